#include "game_process.hpp"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <optional>

namespace session {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::array FORWARDED{SIGHUP, SIGINT, SIGQUIT, SIGTERM};
constexpr std::size_t LONGEST_TERM = 64;
// The game looks nothing up, but a program with no PATH at all is odd.
constexpr const char* GAME_PATH = "PATH=/usr/bin:/bin";

void default_action(int signal) {
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  ::sigaction(signal, &fallback, nullptr);
}

sigset_t waited_signals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGCHLD);
  for (const int signal : FORWARDED) {
    sigaddset(&set, signal);
  }
  return set;
}

void limit(int resource, rlim_t value) {
  const rlimit both{value, value};
  ::setrlimit(resource, &both);
}

// Between fork and exec: only async-signal-safe calls.
[[noreturn]] void become_game(const GameLaunch& launch, const char* term_entry, int slot) {
  for (int signal = 1; signal < NSIG; ++signal) {
    if (signal != SIGKILL && signal != SIGSTOP) {
      default_action(signal);
    }
  }
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);

  // Only ever lower the priority: a host that already runs the server niced keeps that.
  errno = 0;
  const int niceness = ::getpriority(PRIO_PROCESS, 0);
  if (errno == 0 && niceness < NICENESS) {
    ::setpriority(PRIO_PROCESS, 0, NICENESS);
  }
  limit(RLIMIT_AS, ADDRESS_SPACE);
  limit(RLIMIT_NOFILE, OPEN_FILES);
  limit(RLIMIT_NPROC, 0);  // the account runs many games, so no fork can fit under it
  limit(RLIMIT_CORE, 0);

  // The game inherits the place, so it stays taken while the game runs,
  // even if this session process is killed; nothing else goes with it.
  ::fcntl(slot, F_SETFD, 0);
  if (slot > STDERR_FILENO + 1) {
    ::close_range(STDERR_FILENO + 1, static_cast<unsigned>(slot) - 1, 0);
  }
  ::close_range(static_cast<unsigned>(slot) + 1, ~0U, 0);

  const char* name = std::strrchr(launch.binary.c_str(), '/');
  char* const argv[] = {const_cast<char*>(name != nullptr ? name + 1 : launch.binary.c_str()),
                        nullptr};
  char* const with_term[] = {const_cast<char*>(GAME_PATH), const_cast<char*>(term_entry), nullptr};
  ::execve(launch.binary.c_str(), argv, with_term);
  static constexpr char failed[] = "Rallix could not start the game\n";
  static_cast<void>(::write(STDERR_FILENO, failed, sizeof failed - 1));
  ::_exit(127);
}

// Waits for the game to end: asks it to end with SIGTERM once its time is
// up, passes on the ending signals this process gets, and kills it when it
// does not end within END_GRACE of being asked.
int wait_for_game(pid_t game, Clock::time_point time_up) {
  const sigset_t waited = waited_signals();
  std::optional<Clock::time_point> kill_at;
  for (;;) {
    int status = 0;
    const pid_t ended = ::waitpid(game, &status, WNOHANG);
    if (ended == game) {
      return status;
    }
    const auto now = Clock::now();
    if (kill_at && now >= *kill_at) {
      ::kill(game, SIGKILL);
      kill_at = now + END_GRACE;  // only a process the kernel cannot end outlives this
    } else if (!kill_at && now >= time_up) {
      ::kill(game, SIGTERM);
      kill_at = now + END_GRACE;
    }
    const auto next = std::max(kill_at.value_or(time_up), now) - now;
    const auto whole = std::chrono::duration_cast<std::chrono::seconds>(next);
    const timespec wait{static_cast<time_t>(whole.count()),
                        static_cast<long>(std::chrono::nanoseconds(next - whole).count())};
    const int signal = ::sigtimedwait(&waited, nullptr, &wait);
    if (signal > 0 && signal != SIGCHLD) {
      ::kill(game, signal);
      if (!kill_at) {
        kill_at = Clock::now() + END_GRACE;
      }
    }
  }
}

}  // namespace

std::string sanitized_term(const char* term) {
  if (term == nullptr) {
    return {};
  }
  const std::string_view name(term);
  const bool plain = !name.empty() && name.size() <= LONGEST_TERM &&
                     std::all_of(name.begin(), name.end(), [](char c) {
                       return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                              (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' ||
                              c == '+';
                     });
  return plain ? std::string(name) : std::string();
}

std::expected<int, std::string> play(const GameLaunch& launch, const Slot& slot) {
  // An ignored signal would be dropped before it could be waited for.
  for (const int signal : FORWARDED) {
    default_action(signal);
  }
  default_action(SIGCHLD);
  const sigset_t waited = waited_signals();
  sigset_t before;
  ::sigprocmask(SIG_BLOCK, &waited, &before);

  const std::string term_entry = launch.term.empty() ? std::string() : "TERM=" + launch.term;
  const auto started = Clock::now();
  const pid_t game = ::fork();
  if (game < 0) {
    return std::unexpected(std::string("fork: ") + std::strerror(errno));
  }
  if (game == 0) {
    become_game(launch, term_entry.empty() ? nullptr : term_entry.c_str(), slot.descriptor());
  }
  const int status = wait_for_game(game, started + launch.max_play_time);
  ::sigprocmask(SIG_SETMASK, &before, nullptr);
  return status;
}

void end_like(int wait_status) {
  if (WIFSIGNALED(wait_status)) {
    const int signal = WTERMSIG(wait_status);
    limit(RLIMIT_CORE, 0);
    default_action(signal);
    sigset_t just;
    sigemptyset(&just);
    sigaddset(&just, signal);
    ::sigprocmask(SIG_UNBLOCK, &just, nullptr);
    ::kill(::getpid(), signal);
    ::_exit(128 + signal);
  }
  ::_exit(WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 1);
}

}  // namespace session
