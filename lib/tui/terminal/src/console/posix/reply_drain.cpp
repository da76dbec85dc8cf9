#include "console/posix/reply_drain.hpp"

#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

namespace tui::detail {

std::chrono::nanoseconds monotonic_now() noexcept {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

std::chrono::nanoseconds TerminalReplyInput::now() noexcept {
  return monotonic_now();
}

std::ptrdiff_t TerminalReplyInput::read(std::span<char> buffer,
                                        std::chrono::nanoseconds timeout) noexcept {
  // Rounded up, so that a wait never ends just short of the deadline.
  const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(timeout).count();
  pollfd entry{terminal_, POLLIN, 0};
  const int ready = ::poll(&entry, 1, static_cast<int>(milliseconds));
  if (ready <= 0) {
    return ready == 0 || errno == EINTR ? 0 : -1;
  }
  if ((entry.revents & POLLIN) == 0) {
    return -1;  // hung up or closed, with nothing left to read
  }
  const ssize_t n = ::read(terminal_, buffer.data(), buffer.size());
  if (n > 0) {
    return n;
  }
  return n < 0 && (errno == EINTR || errno == EAGAIN) ? 0 : -1;
}

}  // namespace tui::detail
