// A program started on a pseudo-terminal of its own, as a terminal emulator
// would start it: the slave side is its controlling terminal and standard
// streams, and the master side is ours to type into and read from.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string>

#include "support/spawn.hpp"
#include "tui/screen/geometry.hpp"

namespace bench {

using Clock = std::chrono::steady_clock;

struct ChildExit {
  int status = 0;  // as wait4 reports it
  rusage usage{};
  Clock::time_point at;
};

class PtyChild {
 public:
  // Starts `binary` with TERM=xterm-256color on a window of `size`; throws
  // std::runtime_error when the program cannot be started.
  PtyChild(const std::string& binary, tui::Size size);
  // A child still running (a run that failed half-way) is killed and reaped.
  ~PtyChild();
  PtyChild(const PtyChild&) = delete;
  PtyChild& operator=(const PtyChild&) = delete;

  int master() const { return master_; }
  pid_t pid() const;
  // Read by the child itself just before it called exec.
  Clock::time_point exec_at() const { return exec_at_; }

  // Waits for the program to end.
  ChildExit wait();

 private:
  int master_ = -1;
  std::unique_ptr<testing_support::Spawned> child_;
  Clock::time_point exec_at_;
};

}  // namespace bench
