// The terminal object: the draw cycle over two cell buffers on one back end.
#pragma once

#include <array>
#include <concepts>
#include <cstdint>
#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

#include "tui/screen/buffer.hpp"
#include "tui/screen/frame.hpp"
#include "tui/terminal/backend.hpp"

namespace tui {

class Terminal {
 public:
  // Takes the console's size as the drawing area.
  static IoResult<Terminal> create(std::unique_ptr<Backend> backend);
  Terminal(std::unique_ptr<Backend> backend, Size size);

  Terminal(Terminal&& other) noexcept;
  Terminal& operator=(Terminal&&) = delete;
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;
  ~Terminal();

  // Draws one frame: `build` fills a blank buffer of the console's size, and
  // only the cells that differ from the previous frame are written; the
  // first frame erases the screen and writes every cell that is not blank. A
  // failure of the console aborts the frame and is returned; the next frame
  // then erases and rewrites the whole screen, since this one may have left
  // part of itself there.
  template <class Build>
  requires std::invocable<Build&, Frame&> IoResult<> draw(Build&& build) {
    using Callable = std::remove_reference_t<Build>;
    return draw_frame(
        [](void* callable, Frame& frame) { std::invoke(*static_cast<Callable*>(callable), frame); },
        const_cast<void*>(static_cast<const void*>(std::addressof(build))));
  }

  // The next frame erases the screen and writes every cell, as needed when
  // someone else may have drawn on the console. After the process has
  // continued from a stop the next frame does so by itself.
  void force_full_redraw() { full_redraw_ = true; }

  // Shows the cursor again if a frame hid it, and releases the buffers. A
  // failure is reported on standard error and is not passed on, so that the
  // rest of a shut-down still runs. Later calls do nothing.
  void close();

  // The size of the last frame (or of the console at creation).
  Size size() const { return size_; }

 private:
  using BuildFrame = void (*)(void* callable, Frame& frame);
  IoResult<> draw_frame(BuildFrame build, void* callable);
  IoResult<> cycle(BuildFrame build, void* callable);
  Buffer& current() { return buffers_[current_]; }
  Buffer& previous() { return buffers_[1 - current_]; }

  std::unique_ptr<Backend> backend_;
  std::array<Buffer, 2> buffers_;
  std::size_t current_ = 0;
  Size size_;
  bool cursor_hidden_ = false;
  // The console may show anything before the first frame: a console without
  // an alternate screen (or with it switched off) shows the shell's text.
  bool full_redraw_ = true;
  bool closed_ = false;
  std::uint32_t continues_drawn_;  // the process's continues before the last frame
  std::vector<CellUpdate> updates_;
};

}  // namespace tui
