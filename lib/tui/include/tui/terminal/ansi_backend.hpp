// A back end for consoles that speak ANSI escape sequences (POSIX terminals,
// and Windows consoles with virtual terminal processing on).
//
// Each frame is encoded into one byte buffer and handed to the console in a
// single write at flush. The encoder spends as few bytes as it can: it knows
// where the cursor is, which colours are in force and what the screen shows,
// and takes the shortest way to each changed cell. It expects the console to
// be in raw mode: with output post-processing off, a line feed only moves down.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "tui/terminal/backend.hpp"

namespace tui {

namespace detail {
class AnsiEncoder;
}

class AnsiBackend final : public Backend {
 public:
  // A frame longer than this is more than a console takes in one read, so it
  // is wrapped in synchronized output to keep it from showing half drawn.
  static constexpr std::size_t SYNC_THRESHOLD = 4096;

  // Where the bytes go and where the window size comes from: what differs
  // between the platforms.
  class Console {
   public:
    virtual ~Console() = default;
    // The window's size in cells.
    virtual IoResult<Size> size() = 0;
    // Every byte, or the failure.
    virtual IoResult<> write(std::string_view bytes) = 0;
  };

  explicit AnsiBackend(std::unique_ptr<Console> console);
#if defined(_WIN32)
  // Writes to the `output` handle and asks the console screen buffer
  // `size_source` for the window size. Neither handle is closed.
  AnsiBackend(void* output, void* size_source);
#else
  // Writes to `output` and asks `size_source` (the controlling terminal; the
  // output may be a pipe) for the window size. Neither descriptor is closed.
  AnsiBackend(int output, int size_source);
#endif
  ~AnsiBackend() override;
  AnsiBackend(const AnsiBackend&) = delete;
  AnsiBackend& operator=(const AnsiBackend&) = delete;

  IoResult<Size> size() override;
  IoResult<> clear() override;
  // Cells outside the size last reported by size() are dropped.
  IoResult<> draw(std::span<const CellUpdate> updates) override;
  IoResult<> hide_cursor() override;
  IoResult<> show_cursor() override;
  IoResult<> flush() override;

  // Every byte that reached the output so far.
  std::uint64_t bytes_written() const {
    return bytes_written_;
  }

 private:
  std::unique_ptr<Console> console_;
  std::string pending_;
  std::unique_ptr<detail::AnsiEncoder> encoder_;
  std::uint64_t bytes_written_ = 0;
};

}  // namespace tui
