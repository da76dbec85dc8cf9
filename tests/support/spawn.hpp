// Starts a program for a test or a benchmark: its arguments, environment and
// descriptors, the process group or terminal session it runs in; and reaps
// or kills it. Everything the child needs is made before the fork, since the
// child may only make async-signal-safe calls until it execs.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tui/screen/geometry.hpp"

namespace testing_support {

// Both sides of a new pseudo-terminal of `size`; the master is closed on exec.
struct PseudoTerminal {
  int master = -1;
  int slave = -1;
};
PseudoTerminal open_pseudo_terminal(tui::Size size);

// This process's environment with `overrides` (NAME=value) in place of the
// variables of those names, and without the ones named in `removed`.
std::vector<std::string> environment_with(const std::vector<std::string>& overrides,
                                          const std::vector<std::string>& removed = {});

struct SpawnOptions {
  // argv[0] is a path, or a name looked up in PATH.
  std::vector<std::string> argv;
  // NAME=value, the whole of it; none: this process's own.
  std::optional<std::vector<std::string>> environment{};
  // A pseudo-terminal whose slave side the child's new session has as its
  // controlling terminal and standard input, output and error. The child
  // closes the master, so that closing it here hangs the terminal up even
  // when the child forks before it execs.
  PseudoTerminal terminal{};
  // Descriptors put in place of standard input, output and error (after
  // the terminal's); -1 leaves one as it is.
  int input = -1;
  int output = -1;
  int error = -1;
  // Kept open across exec.
  int inherited = -1;
  // A process group of its own, that ending the child ends whole.
  bool own_group = false;
  bool core_dumps = true;
  // Runs in the child just before exec, with what it execs: async-signal-
  // safe calls only. It may end the child itself instead, or fork again
  // and exec_program in the grandchild, as a job's parent does.
  std::function<void(char* const* argv, char* const* envp)> before_exec{};
};

// Replaces a forked copy of the caller by the program, or ends it with
// status 127 when it cannot; only async-signal-safe calls.
// `report`, if set, is told exec's errno.
[[noreturn]] void exec_program(char* const* argv, char* const* envp, int report = -1);

// What a wait reports of a child that ended.
struct ChildEnd {
  int status = 0;  // as waitpid reports it
  rusage usage{};
};

// A started child. Its signals are reset to their defaults and unblocked, so
// that the test runner's own do not change how the program meets them.
class Spawned {
 public:
  explicit Spawned(const SpawnOptions& options);
  // Kills a child still running (its group, if it has one) and reaps it.
  ~Spawned();
  Spawned(const Spawned&) = delete;
  Spawned& operator=(const Spawned&) = delete;

  pid_t pid() const { return pid_; }
  // Sends `signal` to the child, or to its group if it has one.
  void kill(int signal) const;
  // The child's end once it has ended, reaping it; without waiting.
  std::optional<ChildEnd> try_wait();
  ChildEnd wait();
  // Waits for the exec; throws when it failed. For a child whose
  // before_exec returns promptly.
  void wait_for_exec();

 private:
  bool own_group_ = false;
  pid_t pid_ = -1;
  int exec_report_ = -1;  // the read end of a pipe that exec closes
  std::optional<ChildEnd> end_;
};

}  // namespace testing_support
