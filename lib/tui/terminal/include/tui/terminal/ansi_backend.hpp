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

#include "tui/terminal/backend.hpp"
#include "tui/terminal/console_handle.hpp"

namespace tui {

namespace detail {
class AnsiEncoder;
}

class AnsiBackend final : public Backend {
 public:
  // A frame longer than this is more than a console takes in one read, so it
  // is wrapped in synchronized output to keep it from showing half drawn.
  static constexpr std::size_t SYNC_THRESHOLD = 4096;

  // Writes to `output` and asks `size_source` for the window size: on POSIX
  // the controlling terminal (the output may be a pipe), on Windows the
  // console screen buffer. Neither is closed.
  AnsiBackend(ConsoleHandle output, ConsoleHandle size_source);
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
  std::uint64_t bytes_written() const { return bytes_written_; }

 private:
  ConsoleHandle output_;
  ConsoleHandle size_source_;
  std::string pending_;
  std::unique_ptr<detail::AnsiEncoder> encoder_;
  std::uint64_t bytes_written_ = 0;
};

}  // namespace tui
