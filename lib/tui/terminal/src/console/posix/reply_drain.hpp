// The drain of the terminal's answers on a POSIX terminal: poll and read on
// its descriptor, and CLOCK_MONOTONIC. Async-signal-safe.
#pragma once

#include <chrono>

#include "console/reply_drain.hpp"

namespace tui::detail {

class TerminalReplyInput final : public ReplyInput {
 public:
  explicit TerminalReplyInput(int terminal) noexcept : terminal_(terminal) {}

  std::chrono::nanoseconds now() noexcept override;
  std::ptrdiff_t read(std::span<char> buffer, std::chrono::nanoseconds timeout) noexcept override;

 private:
  int terminal_;
};

// The time on CLOCK_MONOTONIC, the clock the drain's deadlines are on.
std::chrono::nanoseconds monotonic_now() noexcept;

}  // namespace tui::detail
