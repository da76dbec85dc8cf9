#include "console/io.hpp"

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

namespace tui::detail {
namespace {

IoResult<> wait_until_writable(int fd) {
  pollfd entry{fd, POLLOUT, 0};
  while (::poll(&entry, 1, -1) < 0) {
    if (errno != EINTR) {
      return std::unexpected(last_error());
    }
  }
  if ((entry.revents & POLLNVAL) != 0) {
    return std::unexpected(std::error_code(EBADF, std::system_category()));
  }
  // On an error or a hang-up the next write reports what went wrong.
  return {};
}

}  // namespace

std::error_code last_error() {
  return {errno, std::system_category()};
}

IoResult<> write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(written));
    } else if (written == 0) {
      return std::unexpected(std::error_code(EIO, std::system_category()));
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      if (const IoResult<> ready = wait_until_writable(fd); !ready) {
        return ready;
      }
    } else if (errno != EINTR) {
      return std::unexpected(last_error());
    }
  }
  return {};
}

IoResult<Size> window_size(int terminal) {
  winsize window{};
  if (::ioctl(terminal, TIOCGWINSZ, &window) != 0) {
    return std::unexpected(last_error());
  }
  return Size{window.ws_col, window.ws_row};
}

}  // namespace tui::detail
