#include "pty_child.hpp"

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <string_view>
#include <vector>

extern char** environ;

namespace bench {
namespace {

// Our environment with the terminal type of a common emulator, and without
// the size overrides that would make the program ignore the window's size.
std::vector<std::string> child_environment() {
  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    if (!text.starts_with("TERM=") && !text.starts_with("LINES=") &&
        !text.starts_with("COLUMNS=")) {
      env.emplace_back(text);
    }
  }
  env.emplace_back("TERM=xterm-256color");
  return env;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> result;
  for (std::string& s : strings) {
    result.push_back(s.data());
  }
  result.push_back(nullptr);
  return result;
}

// Runs in the forked child: only async-signal-safe calls. The time goes
// through a pipe that exec closes, so end of file there means exec worked.
[[noreturn]] void exec_child(int report, char* const argv[], char* const envp[]) {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  static_cast<void>(::write(report, &now, sizeof now));
  ::execve(argv[0], argv, envp);
  const int error = errno;
  static_cast<void>(::write(report, &error, sizeof error));
  ::_exit(127);
}

// The child's exec time, once exec has closed the pipe; throws if exec failed.
Clock::time_point read_exec_time(int report) {
  timespec at{};
  if (::read(report, &at, sizeof at) != static_cast<ssize_t>(sizeof at)) {
    throw std::runtime_error("the benchmark's child died before exec");
  }
  int error = 0;
  if (::read(report, &error, sizeof error) > 0) {
    throw std::runtime_error(std::string("exec failed: ") + std::strerror(error));
  }
  // steady_clock is CLOCK_MONOTONIC, the clock the child read.
  return Clock::time_point(std::chrono::seconds(at.tv_sec) + std::chrono::nanoseconds(at.tv_nsec));
}

}  // namespace

PtyChild::PtyChild(const std::string& binary, tui::Size size) {
  std::vector<std::string> env = child_environment();
  std::vector<char*> envp = pointers(env);
  std::vector<std::string> args{binary};
  std::vector<char*> argv = pointers(args);
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe2 failed");
  }
  winsize window{static_cast<unsigned short>(size.height), static_cast<unsigned short>(size.width),
                 0, 0};
  pid_ = ::forkpty(&master_, nullptr, nullptr, &window);
  if (pid_ == 0) {
    ::close(report[0]);
    exec_child(report[1], argv.data(), envp.data());
  }
  ::close(report[1]);
  if (pid_ < 0) {
    ::close(report[0]);
    throw std::runtime_error("forkpty failed");
  }
  try {
    exec_at_ = read_exec_time(report[0]);
  } catch (...) {
    ::close(report[0]);
    discard();
    throw;
  }
  ::close(report[0]);
}

PtyChild::~PtyChild() {
  discard();
}

void PtyChild::discard() {
  if (pid_ > 0 && !reaped_) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    reaped_ = true;
  }
  if (master_ >= 0) {
    ::close(master_);
    master_ = -1;
  }
}

ChildExit PtyChild::wait() {
  ChildExit exit;
  while (::wait4(pid_, &exit.status, 0, &exit.usage) < 0) {
    if (errno != EINTR) {
      throw std::runtime_error("wait4 failed");
    }
  }
  exit.at = Clock::now();
  reaped_ = true;
  return exit;
}

}  // namespace bench
