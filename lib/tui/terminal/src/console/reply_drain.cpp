#include "console/reply_drain.hpp"

#include <array>

namespace tui::detail {

bool AttributesReplyScanner::feed(std::string_view bytes) noexcept {
  for (const char c : bytes) {
    if (state_ == State::Found) {
      break;
    }
    const bool parameter = (c >= '0' && c <= '9') || c == ';';
    if (c == '\x1b') {
      state_ = State::Escape;
    } else if (state_ == State::Escape && c == '[') {
      state_ = State::Bracket;
    } else if (state_ == State::Bracket && c == '?') {
      state_ = State::Parameters;
    } else if (state_ == State::Parameters && parameter) {
      // still inside the answer
    } else if (state_ == State::Parameters && c == 'c') {
      state_ = State::Found;
    } else {
      state_ = State::Ground;
    }
  }
  return state_ == State::Found;
}

bool drain_until_reply(ReplyInput& input, std::chrono::nanoseconds deadline) noexcept {
  AttributesReplyScanner scanner;
  std::array<char, 256> buffer{};
  for (;;) {
    const std::chrono::nanoseconds left = deadline - input.now();
    if (left <= std::chrono::nanoseconds::zero()) {
      return false;
    }
    const std::ptrdiff_t n = input.read(buffer, left);
    if (n < 0) {
      return false;
    }
    if (scanner.feed({buffer.data(), static_cast<std::size_t>(n)})) {
      return true;
    }
  }
}

}  // namespace tui::detail
