#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <asio/posix/stream_descriptor.hpp>
#include <asio/signal_set.hpp>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "console/job_control.hpp"
#include "console/setup.hpp"
#include "notifier.hpp"
#include "tui/terminal/console.hpp"
#include "tui/terminal/signals.hpp"

namespace tui {
namespace {

// What the handler of SIGCONT reaches. A continue must be seen the moment
// the process runs again, before the loop takes one more overdue tick, and
// a signal set tells of it only once the reactor runs. So the handler
// counts continues itself and writes a byte to a pipe that wakes the
// reactor; it may interrupt anything, so it does nothing else.
struct Continues {
  std::atomic<std::uint32_t> count{0};
  std::atomic<int> wake{-1};  // the pipe's write end, while someone watches
};
static_assert(std::atomic<std::uint32_t>::is_always_lock_free);
static_assert(std::atomic<int>::is_always_lock_free);

constinit Continues continues;

extern "C" void count_continue(int) {
  const int saved_errno = errno;
  continues.count.fetch_add(1);
  if (const int fd = continues.wake.load(); fd >= 0) {
    static_cast<void>(::write(fd, "c", 1));
  }
  errno = saved_errno;
}

}  // namespace

struct Signals::State : std::enable_shared_from_this<State> {
  explicit State(const asio::any_io_executor& executor)
      : ending(executor, SIGTERM, SIGHUP, SIGINT),
        stops(executor, SIGTSTP),
        continue_pipe(executor),
        wakeup(executor) {
    ending.add(SIGQUIT);
    count_continues();
  }

  asio::signal_set ending;
  asio::signal_set stops;
  asio::posix::stream_descriptor continue_pipe;  // its read end
  int continue_writer = -1;
  struct sigaction previous_continue {};
  std::uint32_t continues_taken = 0;
  detail::Notifier wakeup;
  std::optional<int> termination;
  bool closed = false;

  bool continued() const { return !closed && continues.count.load() != continues_taken; }

  // Without a pipe the reactor still wakes for the next tick, and the
  // count is all the loop looks at.
  void count_continues() {
    std::array<int, 2> ends{-1, -1};
    if (::pipe2(ends.data(), O_CLOEXEC | O_NONBLOCK) == 0) {
      continue_pipe.assign(ends[0]);
      continue_writer = ends[1];
      continues.wake.store(continue_writer);
    }
    continues_taken = continues.count.load();
    struct sigaction counting {};
    counting.sa_handler = count_continue;
    counting.sa_flags = SA_RESTART;
    sigemptyset(&counting.sa_mask);
    ::sigaction(SIGCONT, &counting, &previous_continue);
  }

  void watch_continues() {
    if (!continue_pipe.is_open()) {
      return;
    }
    continue_pipe.async_wait(asio::posix::stream_descriptor::wait_read,
                             [self = shared_from_this()](std::error_code error) {
                               if (!error && !self->closed) {
                                 self->on_continued();
                               }
                             });
  }

  // Empties the pipe (several continues may have written to it), wakes the
  // loop and watches for the next one.
  void on_continued() {
    std::array<char, 64> bytes{};
    while (::read(continue_pipe.native_handle(), bytes.data(), bytes.size()) > 0) {
    }
    wakeup.notify();
    watch_continues();
  }

  void watch_ending() {
    ending.async_wait([self = shared_from_this()](std::error_code error, int signal) {
      if (error || self->closed) {
        return;
      }
      if (!self->termination) {
        self->termination = signal;
      }
      self->wakeup.notify();
      self->watch_ending();
    });
  }

  void watch_stops() {
    stops.async_wait([self = shared_from_this()](std::error_code error, int) {
      if (error || self->closed) {
        return;
      }
      self->stop_process();  // returns once continued, and counted as such
      self->wakeup.notify();
      self->watch_stops();
    });
  }

  // Gives the console back and stops with SIGTSTP's own default action, so
  // the shell sees an ordinary job stop; returns once the process continues.
  // Where no shell could continue it, the kernel would drop the stop, so
  // the console is kept and the game goes on.
  void stop_process() {
    if (!detail::shell_can_continue()) {
      return;
    }
    detail::report_restore_failure(leave_game_mode());
    std::error_code ignored;
    stops.remove(SIGTSTP, ignored);
    std::raise(SIGTSTP);
    stops.add(SIGTSTP, ignored);
  }

  void stop() {
    closed = true;
    std::error_code ignored;
    ending.cancel(ignored);
    stops.cancel(ignored);
    ending.clear(ignored);
    stops.clear(ignored);
    ::sigaction(SIGCONT, &previous_continue, nullptr);
    continues.wake.store(-1);
    continue_pipe.close(ignored);
    if (continue_writer >= 0) {
      ::close(continue_writer);
      continue_writer = -1;
    }
    wakeup.notify();
  }
};

Signals::Signals(const asio::any_io_executor& executor)
    : state_(std::make_shared<State>(executor)) {
  state_->watch_ending();
  state_->watch_stops();
  state_->watch_continues();
}

Signals::~Signals() {
  close();
}

std::optional<int> Signals::termination() const {
  return state_ ? state_->termination : std::nullopt;
}

// A stop by SIGSTOP cannot be caught, so every continue takes the console
// over again, whoever stopped us.
bool Signals::take_continued() {
  if (!state_ || !state_->continued()) {
    return false;
  }
  state_->continues_taken = continues.count.load();
  static_cast<void>(enter_game_mode());
  return true;
}

bool Signals::pending() const {
  return state_ && (state_->termination || state_->continued());
}

WakeUp Signals::wait() {
  return state_->wakeup.wait();
}

void Signals::close() {
  if (state_) {
    state_->stop();
  }
}

namespace detail {

std::uint32_t continue_count() noexcept {
  return continues.count.load();
}

}  // namespace detail

void end_as_signal(int signal) {
  std::signal(signal, SIG_DFL);
  sigset_t only{};
  sigemptyset(&only);
  sigaddset(&only, signal);
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  std::raise(signal);
  std::_Exit(128 + signal);
}

}  // namespace tui
