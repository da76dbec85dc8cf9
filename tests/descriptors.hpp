// Pipes and pseudo-terminals for tests of the terminal layer, closed on scope exit.
#pragma once

#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <string>

#include "tui/screen/geometry.hpp"

namespace tui::testing {

inline void close_fd(int& fd) {
  if (fd >= 0) {
    ::close(fd);
    fd = -1;
  }
}

// Reads until there is nothing more: the end of a pipe, a non-blocking
// descriptor with nothing waiting, or a pseudo-terminal whose other side has
// gone (EIO).
inline std::string read_all(int fd) {
  std::string bytes;
  char chunk[4096];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n > 0) {
      bytes.append(chunk, static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return bytes;
    }
  }
}

// A pipe whose read end never blocks, for catching what a writer sent.
struct Pipe {
  int read = -1;
  int write = -1;

  Pipe() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
      throw std::runtime_error("pipe");
    }
    read = ends[0];
    write = ends[1];
    ::fcntl(read, F_SETFL, O_NONBLOCK);
  }
  ~Pipe() {
    close_fd(read);
    close_fd(write);
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;

  std::string take() const { return read_all(read); }
};

struct Pty {
  int master = -1;
  int slave = -1;

  explicit Pty(Size size) {
    winsize window{static_cast<unsigned short>(size.height),
                   static_cast<unsigned short>(size.width), 0, 0};
    if (::openpty(&master, &slave, nullptr, nullptr, &window) != 0) {
      throw std::runtime_error("openpty");
    }
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
  }
  ~Pty() {
    close_fd(master);
    close_fd(slave);
  }
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  void resize(Size size) const {
    const winsize window{static_cast<unsigned short>(size.height),
                         static_cast<unsigned short>(size.width), 0, 0};
    ::ioctl(master, TIOCSWINSZ, &window);
  }
};

}  // namespace tui::testing
