#include <asio/signal_set.hpp>
#include <csignal>
#include <cstdlib>
#include <utility>

#include "terminal/fd_write.hpp"
#include "terminal/wakeup.hpp"
#include "tui/terminal/console.hpp"
#include "tui/terminal/console_signals.hpp"

namespace tui {

struct ConsoleSignals::State : std::enable_shared_from_this<State> {
  explicit State(const asio::any_io_executor& executor)
      : ending(executor, SIGTERM, SIGHUP, SIGINT),
        jobs(executor, SIGTSTP, SIGCONT),
        wakeup(executor) {
    ending.add(SIGQUIT);
  }

  asio::signal_set ending;
  asio::signal_set jobs;
  detail::Wakeup wakeup;
  std::optional<int> termination;
  bool continued = false;
  bool closed = false;

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

  void watch_jobs() {
    jobs.async_wait([self = shared_from_this()](std::error_code error, int signal) {
      if (error || self->closed) {
        return;
      }
      if (signal == SIGTSTP) {
        self->stop_process();
      }
      // A stop by SIGSTOP cannot be caught, so every continue takes the
      // console over again, whoever stopped us.
      static_cast<void>(enter_game_mode());
      self->continued = true;
      self->wakeup.notify();
      self->watch_jobs();
    });
  }

  // Gives the console back and stops with SIGTSTP's own default action, so
  // the shell sees an ordinary job stop; returns once the process continues.
  void stop_process() {
    static_cast<void>(detail::write_all(STDOUT_FILENO, "\x1b[?25h"));
    static_cast<void>(leave_game_mode());
    std::error_code ignored;
    jobs.remove(SIGTSTP, ignored);
    std::raise(SIGTSTP);
    jobs.add(SIGTSTP, ignored);
  }

  void stop() {
    closed = true;
    std::error_code ignored;
    ending.cancel(ignored);
    jobs.cancel(ignored);
    ending.clear(ignored);
    jobs.clear(ignored);
    wakeup.notify();
  }
};

ConsoleSignals::ConsoleSignals(const asio::any_io_executor& executor)
    : state_(std::make_shared<State>(executor)) {
  state_->watch_ending();
  state_->watch_jobs();
}

ConsoleSignals::~ConsoleSignals() {
  close();
}

std::optional<int> ConsoleSignals::termination() const {
  return state_ ? state_->termination : std::nullopt;
}

bool ConsoleSignals::take_continued() {
  return state_ && std::exchange(state_->continued, false);
}

bool ConsoleSignals::pending() const {
  return state_ && (state_->termination || state_->continued);
}

WakeUp ConsoleSignals::wait() {
  return state_->wakeup.wait();
}

void ConsoleSignals::close() {
  if (state_) {
    state_->stop();
  }
}

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
