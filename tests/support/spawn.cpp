#include "spawn.hpp"

#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include "child_signals.hpp"

extern char** environ;

namespace testing_support {
namespace {

std::vector<char*> c_strings(const std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (const std::string& s : strings) {
    pointers.push_back(const_cast<char*>(s.c_str()));
  }
  pointers.push_back(nullptr);
  return pointers;
}

void put(int from, int descriptor) {
  if (from >= 0 && ::dup2(from, descriptor) < 0) {
    ::_exit(126);
  }
}

// From here to the exec runs in the forked child.
[[noreturn]] void start_child(const SpawnOptions& options, char* const* argv, char* const* envp,
                              int report) {
  if (options.own_group) {
    ::setpgid(0, 0);
  }
  reset_signals_for_exec();
  if (!options.core_dumps) {
    const rlimit no_core{0, 0};
    ::setrlimit(RLIMIT_CORE, &no_core);
  }
  const PseudoTerminal& terminal = options.terminal;
  if (terminal.slave >= 0) {
    ::close(terminal.master);
    if (::setsid() < 0 || ::ioctl(terminal.slave, TIOCSCTTY, 0) != 0) {
      ::_exit(126);
    }
    for (const int descriptor : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
      put(terminal.slave, descriptor);
    }
    if (terminal.slave > STDERR_FILENO) {
      ::close(terminal.slave);
    }
  }
  put(options.input, STDIN_FILENO);
  put(options.output, STDOUT_FILENO);
  put(options.error, STDERR_FILENO);
  if (options.inherited >= 0 && ::fcntl(options.inherited, F_SETFD, 0) != 0) {
    ::_exit(126);
  }
  if (options.before_exec) {
    options.before_exec(argv, envp);
  }
  exec_program(argv, envp, report);
}

}  // namespace

PseudoTerminal open_pseudo_terminal(tui::Size size) {
  winsize window{};
  window.ws_col = static_cast<unsigned short>(size.width);
  window.ws_row = static_cast<unsigned short>(size.height);
  PseudoTerminal pty;
  if (::openpty(&pty.master, &pty.slave, nullptr, nullptr, &window) != 0) {
    throw std::runtime_error(std::string("openpty failed: ") + std::strerror(errno));
  }
  ::fcntl(pty.master, F_SETFD, FD_CLOEXEC);
  return pty;
}

std::vector<std::string> environment_with(const std::vector<std::string>& overrides,
                                          const std::vector<std::string>& removed) {
  const auto name_of = [](std::string_view entry) { return entry.substr(0, entry.find('=')); };
  const auto dropped = [&](std::string_view name) {
    return std::ranges::any_of(overrides, [&](const auto& o) { return name_of(o) == name; }) ||
           std::ranges::find(removed, name) != removed.end();
  };
  std::vector<std::string> result;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (!dropped(name_of(*entry))) {
      result.emplace_back(*entry);
    }
  }
  result.insert(result.end(), overrides.begin(), overrides.end());
  return result;
}

void exec_program(char* const* argv, char* const* envp, int report) {
  ::execvpe(argv[0], argv, envp);
  const int error = errno;
  if (report >= 0) {
    static_cast<void>(::write(report, &error, sizeof error));
  }
  ::_exit(127);
}

Spawned::Spawned(const SpawnOptions& options) : own_group_(options.own_group) {
  const std::vector<char*> argv = c_strings(options.argv);
  const std::vector<char*> envp =
      c_strings(options.environment.value_or(std::vector<std::string>{}));
  char* const* const env = options.environment ? envp.data() : environ;
  std::array<int, 2> report{-1, -1};
  if (::pipe2(report.data(), O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe2 failed");
  }
  pid_ = ::fork();
  if (pid_ < 0) {
    ::close(report[0]);
    ::close(report[1]);
    throw std::runtime_error("cannot fork for " + options.argv.front());
  }
  if (pid_ == 0) {
    ::close(report[0]);
    start_child(options, argv.data(), env, report[1]);
  }
  ::close(report[1]);
  exec_report_ = report[0];
  if (own_group_) {
    // Set on both sides, so that the group exists whichever runs first.
    ::setpgid(pid_, pid_);
  }
}

Spawned::~Spawned() {
  if (!try_wait()) {
    kill(SIGKILL);
    wait();
  }
  if (exec_report_ >= 0) {
    ::close(exec_report_);
  }
}

void Spawned::kill(int signal) const {
  ::kill(own_group_ ? -pid_ : pid_, signal);
}

std::optional<ChildEnd> Spawned::try_wait() {
  if (!end_) {
    ChildEnd end;
    if (::wait4(pid_, &end.status, WNOHANG, &end.usage) == pid_) {
      end_ = end;
    }
  }
  return end_;
}

ChildEnd Spawned::wait() {
  while (!end_) {
    ChildEnd end;
    if (::wait4(pid_, &end.status, 0, &end.usage) == pid_) {
      end_ = end;
    } else if (errno != EINTR) {
      throw std::runtime_error("wait4 failed");
    }
  }
  return *end_;
}

void Spawned::wait_for_exec() {
  int error = 0;
  ssize_t n = 0;
  do {
    n = ::read(exec_report_, &error, sizeof error);
  } while (n < 0 && errno == EINTR);
  if (n > 0) {
    throw std::runtime_error(std::string("exec failed: ") + std::strerror(error));
  }
}

}  // namespace testing_support
