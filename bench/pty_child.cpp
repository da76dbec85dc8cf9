#include "pty_child.hpp"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <stdexcept>

namespace bench {
namespace {

// The child's time just before exec, from a pipe it writes to.
Clock::time_point read_exec_time(int report) {
  timespec at{};
  if (::read(report, &at, sizeof at) != static_cast<ssize_t>(sizeof at)) {
    throw std::runtime_error("the benchmark's child died before exec");
  }
  // steady_clock is CLOCK_MONOTONIC, the clock the child read.
  return Clock::time_point(std::chrono::seconds(at.tv_sec) + std::chrono::nanoseconds(at.tv_nsec));
}

}  // namespace

PtyChild::PtyChild(const std::string& binary, tui::Size size) {
  std::array<int, 2> report{-1, -1};
  if (::pipe2(report.data(), O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe2 failed");
  }
  const testing_support::PseudoTerminal pty = testing_support::open_pseudo_terminal(size);
  master_ = pty.master;
  try {
    // The terminal type of a common emulator, and none of the size
    // overrides that would make the program ignore the window's size.
    child_ = std::make_unique<testing_support::Spawned>(testing_support::SpawnOptions{
        .argv = {binary},
        .environment =
            testing_support::environment_with({"TERM=xterm-256color"}, {"LINES", "COLUMNS"}),
        .terminal = pty,
        .before_exec =
            [&report](char* const*, char* const*) {
              timespec now{};
              ::clock_gettime(CLOCK_MONOTONIC, &now);
              static_cast<void>(::write(report[1], &now, sizeof now));
            },
    });
    ::close(pty.slave);
    ::close(report[1]);
    report[1] = -1;
    exec_at_ = read_exec_time(report[0]);
    child_->wait_for_exec();
  } catch (...) {
    for (const int fd : report) {
      if (fd >= 0) {
        ::close(fd);
      }
    }
    child_.reset();
    ::close(master_);
    throw;
  }
  ::close(report[0]);
}

PtyChild::~PtyChild() {
  child_.reset();  // a child still running is killed and reaped
  ::close(master_);
}

pid_t PtyChild::pid() const {
  return child_->pid();
}

ChildExit PtyChild::wait() {
  const testing_support::ChildEnd end = child_->wait();
  return {end.status, end.usage, Clock::now()};
}

}  // namespace bench
