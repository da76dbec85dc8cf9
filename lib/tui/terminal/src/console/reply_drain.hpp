// Reading away the terminal's answers to the queries sent at start-up before
// the console is given back: an answer still on its way then would be echoed
// and read by the shell as typed text.
//
// The device attributes answer comes last (every terminal sends it, after
// its answers to earlier queries), so reading up to its end reads them all.
// All of this may run in a handler of fatal signals: it allocates nothing
// and takes no lock, and the clock and the input come in from outside, so
// that a test can run the wait on a clock of its own.
#pragma once

#include <chrono>
#include <cstddef>
#include <span>
#include <string_view>

namespace tui::detail {

// How long after the queries went out their answers are waited for.
inline constexpr std::chrono::milliseconds REPLY_WAIT{100};

// Finds the end of the device attributes answer, ESC [ ? {digits and ;} c,
// in input read a piece at a time.
class AttributesReplyScanner {
 public:
  // True once the whole answer has been fed, in this call or an earlier one.
  bool feed(std::string_view bytes) noexcept;

 private:
  enum class State : unsigned char { Ground, Escape, Bracket, Parameters, Found };
  State state_ = State::Ground;
};

// What the drain reads: the terminal's input and a monotonic clock.
class ReplyInput {
 public:
  virtual std::chrono::nanoseconds now() noexcept = 0;
  // Waits at most `timeout` for input and reads what has come into `buffer`:
  // the count read, 0 when nothing came in time, or -1 when the input cannot
  // be read any more (the terminal hung up).
  virtual std::ptrdiff_t read(std::span<char> buffer,
                              std::chrono::nanoseconds timeout) noexcept = 0;

 protected:
  ~ReplyInput() = default;
};

// Reads and drops input, keys included, until the device attributes answer
// has gone by or `deadline` has come. True when the answer was read.
bool drain_until_reply(ReplyInput& input, std::chrono::nanoseconds deadline) noexcept;

}  // namespace tui::detail
