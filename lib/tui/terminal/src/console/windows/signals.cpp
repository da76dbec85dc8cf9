// The console's requests to end, on Windows: console control events. There
// is no job control to answer, so a process never continues from a stop.
#include <windows.h>

#include <asio/post.hpp>
#include <csignal>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <utility>

#include "console/job_control.hpp"
#include "input/windows/breaks.hpp"
#include "notifier.hpp"
#include "tui/terminal/console.hpp"
#include "tui/terminal/signals.hpp"

namespace tui {
namespace {

// The console window closed, or the session is ending: a hang-up, with
// the number it has on POSIX so that the exit status reads the same.
constexpr int HANGUP = 1;

// The part of the signals' state that the control handler reaches.
struct Ending {
  explicit Ending(const asio::any_io_executor& on) : executor(on) {}
  virtual ~Ending() = default;
  Ending(const Ending&) = delete;
  Ending& operator=(const Ending&) = delete;
  // Runs on the executor's thread only.
  virtual void end_with(int signal) = 0;
  asio::any_io_executor executor;
};

}  // namespace

struct Signals::State final : Ending {
  explicit State(const asio::any_io_executor& on) : Ending(on), wakeup(on) {}

  detail::Notifier wakeup;
  std::optional<int> termination;
  bool closed = false;

  void end_with(int signal) override {
    if (closed) {
      return;
    }
    if (!termination) {
      termination = signal;
    }
    wakeup.notify();
  }

  void stop() {
    closed = true;
    wakeup.notify();
  }
};

namespace {

// Windows calls the control handler on a thread of its own, with no
// argument to say whose it is, so the signals it serves are found here.
struct Watched {
  std::mutex mutex;
  std::weak_ptr<Ending> state;
};

Watched& watched() {
  static Watched instance;
  return instance;
}

// Hands the ending over to the reactor's thread, where the main loop reads it.
void post_ending(int signal) {
  Watched& w = watched();
  const std::lock_guard lock(w.mutex);
  if (const auto state = w.state.lock()) {
    asio::post(state->executor, [state, signal] { state->end_with(signal); });
  }
}

BOOL WINAPI on_console_control(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      // Like the key: the game quits through its own key handler.
      if (!detail::route_break()) {
        post_ending(event == CTRL_C_EVENT ? SIGINT : SIGBREAK);
      }
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      // Windows ends the process as soon as this returns, whatever the main
      // loop is doing, so the console is given back here and now.
      post_ending(HANGUP);
      restore();
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

Signals::Signals(const asio::any_io_executor& executor)
    : state_(std::make_shared<State>(executor)) {
  Watched& w = watched();
  const std::lock_guard lock(w.mutex);
  w.state = state_;
  ::SetConsoleCtrlHandler(on_console_control, TRUE);
}

Signals::~Signals() {
  close();
}

std::optional<int> Signals::termination() const {
  return state_ ? state_->termination : std::nullopt;
}

bool Signals::take_continued() {
  return false;
}

bool Signals::pending() const {
  return state_ && state_->termination.has_value();
}

WakeUp Signals::wait() {
  return state_->wakeup.wait();
}

void Signals::close() {
  if (!state_ || state_->closed) {
    return;
  }
  state_->stop();
  Watched& w = watched();
  const std::lock_guard lock(w.mutex);
  if (w.state.lock() == std::static_pointer_cast<Ending>(state_)) {
    ::SetConsoleCtrlHandler(on_console_control, FALSE);
    w.state.reset();
  }
}

namespace detail {

bool suspend_on_key(const Event&) {
  return false;
}

bool shell_can_continue() {
  return false;
}

std::uint32_t continue_count() noexcept {
  return 0;
}

}  // namespace detail

// Windows has no default action of a signal to end with.
void end_as_signal(int signal) {
  std::_Exit(128 + signal);
}

}  // namespace tui
