#include "pty_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <stdexcept>
#include <thread>
#include <vector>

#include "spawn.hpp"

namespace testing_support {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Ends this process the way `status` says the program ended.
[[noreturn]] void pass_on(int status) {
  if (WIFSIGNALED(status)) {
    const int signal = WTERMSIG(status);
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
    ::kill(::getpid(), signal);
    ::_exit(128 + signal);
  }
  ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : 125);
}

// The job's parent: starts the program in a process group of its own that
// owns the terminal, tells the test its pid, and waits for it without
// reacting to its stops, as a shell's job stays in the foreground; it tells
// the test the signal of each stop, as a shell learns it from waitpid.
[[noreturn]] void run_job(char* const* argv, char* const* envp, int pid_pipe) {
  const pid_t program = ::fork();
  if (program < 0) {
    ::_exit(125);
  }
  if (program == 0) {
    ::setpgid(0, 0);
    // A process outside the foreground group may only take the terminal
    // while it ignores SIGTTOU.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    struct sigaction fallback = ignore;
    fallback.sa_handler = SIG_DFL;
    ::sigaction(SIGTTOU, &ignore, nullptr);
    ::tcsetpgrp(STDIN_FILENO, ::getpid());
    ::sigaction(SIGTTOU, &fallback, nullptr);
    exec_program(argv, envp);
  }
  ::setpgid(program, program);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGHUP, &ignore, nullptr);
  static_cast<void>(::write(pid_pipe, &program, sizeof program));
  int status = 0;
  for (;;) {
    if (::waitpid(program, &status, WUNTRACED) < 0) {
      if (errno != EINTR) {
        ::_exit(125);
      }
    } else if (WIFSTOPPED(status)) {
      const int signal = WSTOPSIG(status);
      static_cast<void>(::write(pid_pipe, &signal, sizeof signal));
    } else {
      break;
    }
  }
  ::close(pid_pipe);
  pass_on(status);
}

// Blocks until the test says the program may start.
void wait_for_go(int fd) {
  char go = 0;
  while (::read(fd, &go, 1) < 0 && errno == EINTR) {
  }
  ::close(fd);
}

void write_blocking(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
    } else if (n < 0 && errno != EINTR) {
      throw std::runtime_error("writing to the terminal failed");
    }
  }
}

pid_t read_pid(int fd) {
  pid_t pid = -1;
  ssize_t n = 0;
  do {
    n = ::read(fd, &pid, sizeof pid);
  } while (n < 0 && errno == EINTR);
  return n == sizeof pid ? pid : -1;
}

}  // namespace

PtyProcess::PtyProcess(const std::string& binary, TerminalSize size, const LaunchOptions& options)
    : PtyProcess(std::vector<std::string>{binary}, size, options) {}

PtyProcess::PtyProcess(const std::vector<std::string>& argv, TerminalSize size,
                       const LaunchOptions& options) {
  std::array<int, 2> pid_pipe{-1, -1};
  if (options.launch == Launch::Job && ::pipe2(pid_pipe.data(), O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe2 failed");
  }
  // Keys typed ahead must be in the terminal before the program starts.
  std::array<int, 2> go_pipe{-1, -1};
  if (!options.typed_ahead.empty() && ::pipe2(go_pipe.data(), O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe2 failed");
  }
  const PseudoTerminal pty = open_pseudo_terminal({size.width, size.height});
  master_ = pty.master;
  // Opened before the fork: the child may not allocate or open files.
  const auto open_output = [](const std::string& path) {
    return path.empty() ? -1 : ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  };
  const int output = open_output(options.stdout_path);
  const int error = open_output(options.stderr_path);
  child_ = std::make_unique<Spawned>(SpawnOptions{
      .argv = argv,
      .terminal = pty,
      .output = output,
      .error = error,
      .core_dumps = false,  // the fatal-signal tests must not leave core files behind
      .before_exec =
          [&](char* const* child_argv, char* const* envp) {
            if (go_pipe[0] >= 0) {
              ::close(go_pipe[1]);
              wait_for_go(go_pipe[0]);
            }
            if (options.launch == Launch::Job) {
              ::close(pid_pipe[0]);
              run_job(child_argv, envp, pid_pipe[1]);
            }
          },
  });
  for (const int fd : {pty.slave, output, error}) {
    if (fd >= 0) {
      ::close(fd);
    }
  }
  std::array<char, 128> slave_name{};
  if (::ptsname_r(master_, slave_name.data(), slave_name.size()) == 0) {
    slave_ = ::open(slave_name.data(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  }
  if (go_pipe[1] >= 0) {
    ::close(go_pipe[0]);
    write_blocking(master_, options.typed_ahead);
    write_blocking(go_pipe[1], "g");
    ::close(go_pipe[1]);
  }
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  program_ = child_->pid();
  if (options.launch == Launch::Job) {
    ::close(pid_pipe[1]);
    program_ = read_pid(pid_pipe[0]);
    job_stops_ = pid_pipe[0];
    ::fcntl(job_stops_, F_SETFL, O_NONBLOCK);
    if (program_ < 0) {
      throw std::runtime_error("the job did not start");
    }
  }
}

PtyProcess::~PtyProcess() {
  if (!try_wait()) {
    ::kill(program_, SIGKILL);
  }
  child_.reset();  // kills the direct child and reaps it
  if (master_ >= 0) {
    ::close(master_);
  }
  if (slave_ >= 0) {
    ::close(slave_);
  }
  if (job_stops_ >= 0) {
    ::close(job_stops_);
  }
}

std::vector<int> PtyProcess::stop_signals() {
  int signal = 0;
  while (job_stops_ >= 0 && ::read(job_stops_, &signal, sizeof signal) == sizeof signal) {
    stops_.push_back(signal);
  }
  return stops_;
}

void PtyProcess::keep(std::string_view bytes) {
  output_.append(bytes);
  output_total_ += bytes.size();
  if (output_.size() > 2 * KEPT_OUTPUT) {
    output_.erase(0, output_.size() - KEPT_OUTPUT);
  }
}

void PtyProcess::read_available() {
  if (master_ < 0) {
    return;
  }
  std::array<char, 65536> chunk{};
  for (;;) {
    const ssize_t n = ::read(master_, chunk.data(), chunk.size());
    if (n > 0) {
      keep({chunk.data(), static_cast<std::size_t>(n)});
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return;  // nothing waiting, or EIO once no one holds the terminal any more
    }
  }
}

void PtyProcess::read_for(milliseconds limit, const std::function<bool()>& done) {
  const auto give_up = Clock::now() + limit;
  for (;;) {
    read_available();
    if (done() || Clock::now() >= give_up) {
      return;
    }
    if (master_ < 0) {
      std::this_thread::sleep_for(milliseconds(10));
      continue;
    }
    pollfd watch{master_, POLLIN, 0};
    // A master whose slave is closed reports a hang-up at once, every time.
    if (::poll(&watch, 1, 20) > 0 && (watch.revents & POLLHUP) != 0) {
      std::this_thread::sleep_for(milliseconds(10));
    }
  }
}

bool PtyProcess::write(std::string_view bytes, milliseconds limit) {
  const auto give_up = Clock::now() + limit;
  while (!bytes.empty()) {
    if (master_ < 0 || Clock::now() >= give_up) {
      return false;
    }
    pollfd watch{master_, POLLIN | POLLOUT, 0};
    if (::poll(&watch, 1, 100) < 0 && errno != EINTR) {
      return false;
    }
    if ((watch.revents & POLLIN) != 0) {
      read_available();
    }
    if ((watch.revents & POLLOUT) != 0) {
      const std::size_t size = std::min<std::size_t>(bytes.size(), 65536);
      const ssize_t n = ::write(master_, bytes.data(), size);
      if (n > 0) {
        bytes.remove_prefix(static_cast<std::size_t>(n));
      } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        return false;
      }
    } else if ((watch.revents & (POLLHUP | POLLERR)) != 0) {
      return false;
    }
  }
  return true;
}

void PtyProcess::drain_for(milliseconds duration) {
  read_for(duration, [] { return false; });
}

bool PtyProcess::wait_for_output(const std::function<bool(std::string_view)>& done,
                                 std::uint64_t since, milliseconds limit) {
  const auto holds = [&] { return done(output_since(since)); };
  read_for(limit, holds);
  return holds();
}

bool PtyProcess::wait_for_text(std::string_view text, std::uint64_t since, milliseconds limit) {
  return wait_for_output(
      [text](std::string_view output) { return output.find(text) != std::string_view::npos; },
      since, limit);
}

std::string_view PtyProcess::output_since(std::uint64_t since) const {
  const std::uint64_t kept_from = output_total_ - output_.size();
  const std::uint64_t skip = since > kept_from ? since - kept_from : 0;
  return std::string_view(output_).substr(std::min<std::size_t>(skip, output_.size()));
}

void PtyProcess::resize(TerminalSize size) const {
  winsize window{};
  window.ws_col = size.width;
  window.ws_row = size.height;
  if (::ioctl(master_, TIOCSWINSZ, &window) != 0) {
    throw std::runtime_error("TIOCSWINSZ failed");
  }
}

termios PtyProcess::terminal_modes() const {
  termios modes{};
  if (::tcgetattr(master_, &modes) != 0) {
    throw std::runtime_error("tcgetattr on the master failed");
  }
  return modes;
}

std::string PtyProcess::unread_input() const {
  termios modes{};
  if (slave_ < 0 || ::tcgetattr(slave_, &modes) != 0) {
    throw std::runtime_error("the slave side cannot be read");
  }
  modes.c_lflag &= ~(ICANON | ECHO);
  modes.c_cc[VMIN] = 0;
  modes.c_cc[VTIME] = 0;
  if (::tcsetattr(slave_, TCSANOW, &modes) != 0) {
    throw std::runtime_error("tcsetattr on the slave failed");
  }
  std::string unread;
  std::array<char, 4096> chunk{};
  for (;;) {
    const ssize_t n = ::read(slave_, chunk.data(), chunk.size());
    if (n > 0) {
      unread.append(chunk.data(), static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return unread;
    }
  }
}

void PtyProcess::close_master() {
  if (master_ >= 0) {
    ::close(master_);
    master_ = -1;
  }
}

std::optional<int> PtyProcess::try_wait() {
  if (!status_) {
    if (const std::optional<ChildEnd> end = child_->try_wait()) {
      status_ = end->status;
    }
  }
  return status_;
}

std::optional<int> PtyProcess::wait_exit(milliseconds limit) {
  read_for(limit, [this] { return try_wait().has_value(); });
  if (status_) {
    read_available();  // what the program wrote last is still in the terminal
  }
  return status_;
}

ConsoleState last_console_state(std::string_view output) {
  const auto last = [output](std::string_view on, std::string_view off) -> std::optional<bool> {
    const std::size_t at_on = output.rfind(on);
    const std::size_t at_off = output.rfind(off);
    if (at_on == std::string_view::npos && at_off == std::string_view::npos) {
      return std::nullopt;
    }
    return at_off == std::string_view::npos || (at_on != std::string_view::npos && at_on > at_off);
  };
  return {last("\x1b[?1049h", "\x1b[?1049l"), last("\x1b[?25h", "\x1b[?25l")};
}

bool is_cooked(const termios& modes) {
  const tcflag_t cooked = ICANON | ECHO | ISIG;
  return (modes.c_lflag & cooked) == cooked;
}

}  // namespace testing_support
