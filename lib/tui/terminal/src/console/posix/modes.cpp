#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "console/io.hpp"
#include "console/posix/reply_drain.hpp"
#include "console/sequences.hpp"
#include "console/setup.hpp"
#include "tui/terminal/ansi_backend.hpp"
#include "tui/terminal/console.hpp"

namespace tui {
namespace {

// All that giving the console back needs, as plain data that is filled in
// before anyone could need it. A handler of fatal signals may read it too, so
// it holds nothing that takes a lock or allocates.
struct SavedState {
  std::atomic<int> terminal{-1};  // standard input if it is a terminal, else /dev/tty
  termios saved{};                // the mode before the game first took the console
  std::atomic<bool> has_saved{false};
  // The terminal answered the keyboard protocol query, and whether our
  // flags are on its stack now. The stack belongs to the alternate screen,
  // so the flags are pushed on entering it and popped before leaving it.
  std::atomic<bool> keyboard_protocol{false};
  std::atomic<bool> keyboard_flags_pushed{false};
  std::atomic<bool> on_alternate_screen{false};
  // The start-up queries went out at this time (CLOCK_MONOTONIC, in
  // nanoseconds), and the answer that ends their answers is not read yet.
  std::atomic<std::int64_t> queries_sent_at{0};
  std::atomic<bool> answers_due{false};
};

constinit SavedState saved;

using detail::last_error;

IoResult<int> controlling_terminal() {
  if (const int known = saved.terminal.load(); known >= 0) {
    return known;
  }
  int fd = STDIN_FILENO;
  if (::isatty(fd) == 0) {
    fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
      return std::unexpected(last_error());
    }
  }
  saved.terminal.store(fd);
  return fd;
}

IoResult<> set_mode(int fd, const termios& mode, int when = TCSANOW) {
  if (::tcsetattr(fd, when, &mode) != 0) {
    return std::unexpected(last_error());
  }
  return {};
}

IoResult<> enable_raw_mode() {
  const IoResult<int> fd = controlling_terminal();
  if (!fd) {
    return std::unexpected(fd.error());
  }
  termios mode{};
  if (::tcgetattr(*fd, &mode) != 0) {
    return std::unexpected(last_error());
  }
  // Entering again after a suspend must not take the game's own mode for
  // the one to give back.
  if (!saved.has_saved.load()) {
    saved.saved = mode;
    saved.has_saved.store(true);
  }
  mode.c_iflag &= ~(IXON | ICRNL);
  mode.c_oflag &= ~OPOST;
  mode.c_lflag &= ~(ICANON | ECHO | ISIG | IEXTEN);
  mode.c_cc[VMIN] = 1;
  mode.c_cc[VTIME] = 0;
  // Keys typed before the game took the console (during a build, over a
  // slow link, while it was stopped) were meant for someone else: they go.
  return set_mode(*fd, mode, TCSAFLUSH);
}

void drain_answers() noexcept;

// Answers still on their way are read first, while the input is raw.
IoResult<> disable_raw_mode() {
  drain_answers();
  const IoResult<int> fd = controlling_terminal();
  if (!fd) {
    return std::unexpected(fd.error());
  }
  termios mode = saved.saved;
  if (!saved.has_saved.load() && ::tcgetattr(*fd, &mode) != 0) {
    return std::unexpected(last_error());
  }
  // A console that came to us without line input, echo or Ctrl+C gets them all the same.
  mode.c_lflag |= ICANON | ECHO | ISIG;
  return set_mode(*fd, mode);
}

using detail::ENTER_ALTERNATE_SCREEN;
using detail::LEAVE_ALTERNATE_SCREEN;
using detail::POP_KEYBOARD_FLAGS;
using detail::PUSH_KEYBOARD_FLAGS;

IoResult<> show_cursor() {
  return detail::write_all(STDOUT_FILENO, detail::SHOW_CURSOR);
}

IoResult<> push_keyboard_flags() {
  if (IoResult<> written = detail::write_all(STDOUT_FILENO, PUSH_KEYBOARD_FLAGS); !written) {
    return written;
  }
  saved.keyboard_flags_pushed.store(true);
  return {};
}

// Entering while already there does nothing: after a stop the process both
// returns from it and receives SIGCONT, and a second push of the keyboard
// flags would outlive the one pop.
IoResult<> enter_alternate_screen() {
  if (saved.on_alternate_screen.load()) {
    return {};
  }
  if (IoResult<> written = detail::write_all(STDOUT_FILENO, ENTER_ALTERNATE_SCREEN); !written) {
    return written;
  }
  saved.on_alternate_screen.store(true);
  return saved.keyboard_protocol.load() ? push_keyboard_flags() : IoResult<>{};
}

// Erases the game's screen, if that is where the game is, and pops the
// keyboard flags, if pushed, before leaving. All goes out in one write, so
// that nothing can come between. Async-signal-safe.
IoResult<> leave_alternate_screen() {
  const bool erase = saved.on_alternate_screen.exchange(false);
  const bool pop = saved.keyboard_flags_pushed.exchange(false);
  std::array<char, detail::ERASE_AND_HOME.size() + POP_KEYBOARD_FLAGS.size() +
                       LEAVE_ALTERNATE_SCREEN.size()>
      bytes{};
  std::size_t length = 0;
  const auto add = [&](std::string_view part) {
    length += part.copy(bytes.data() + length, part.size());
  };
  if (erase) {
    add(detail::ERASE_AND_HOME);
  }
  if (pop) {
    add(POP_KEYBOARD_FLAGS);
  }
  add(LEAVE_ALTERNATE_SCREEN);
  return detail::write_all(STDOUT_FILENO, {bytes.data(), length});
}

// Asks whether the terminal speaks the keyboard protocol, without waiting:
// the answers arrive as input. A terminal that does not know the protocol
// answers only the device attributes request, which every terminal answers.
void send_queries() {
  saved.queries_sent_at.store(detail::monotonic_now().count());
  saved.answers_due.store(detail::write_all(STDOUT_FILENO, detail::QUERIES).has_value());
}

// Reads away what the terminal still owes for the queries, and drops it,
// while the input is still raw: given back first, the console would echo
// the answers and hand them to the shell as typed text. Waits until
// REPLY_WAIT after the queries at most, and not at all once their end has
// been read. Async-signal-safe.
void drain_answers() noexcept {
  const int fd = saved.terminal.load();
  if (fd < 0 || !saved.answers_due.load()) {
    return;
  }
  detail::TerminalReplyInput input(fd);
  const std::chrono::nanoseconds deadline =
      std::chrono::nanoseconds(saved.queries_sent_at.load()) + detail::REPLY_WAIT;
  if (detail::drain_until_reply(input, deadline)) {
    saved.answers_due.store(false);
  }
}

// Game mode, the input mode first: see leave_steps for the order of the undos.
// The cursor is hidden by every frame, so only its undo does anything.
constexpr std::array<detail::ModeStep, 3> GAME_MODE{{
    {enable_raw_mode, disable_raw_mode},
    {detail::nothing_to_enter, show_cursor, true},
    {enter_alternate_screen, leave_alternate_screen},
}};

// A console that went away must come back from a draw as an error, not end
// the process with a signal.
IoResult<> ignore_broken_pipe() {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  if (::sigaction(SIGPIPE, &ignore, nullptr) != 0) {
    return std::unexpected(last_error());
  }
  return {};
}

// A crash must not leave the shell in raw mode on the alternate screen. The
// handler runs in a broken process: the undos are the same as on every way
// out, and make only async-signal-safe calls. Nothing is reported.
extern "C" void restore_on_fatal_signal(int signal) {
  static_cast<void>(leave_game_mode());
  // The handler was reset to the default action on entry, and the signal
  // is not blocked inside it, so this ends the process as the signal would.
  ::raise(signal);
}

IoResult<> restore_on_fatal_signals() {
  struct sigaction restoring {};
  restoring.sa_handler = restore_on_fatal_signal;
  restoring.sa_flags = SA_RESETHAND | SA_NODEFER;
  sigemptyset(&restoring.sa_mask);
  for (const int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
    if (::sigaction(signal, &restoring, nullptr) != 0) {
      return std::unexpected(last_error());
    }
  }
  return {};
}

}  // namespace

IoResult<> enter_game_mode() {
  return detail::enter_steps(GAME_MODE);
}

IoResult<> leave_game_mode() noexcept {
  return detail::leave_steps(GAME_MODE, detail::TerminalObject::Open);
}

Terminal init() {
  detail::install_restoring_hook();
  for (IoResult<> (*prepare)() : {ignore_broken_pipe, restore_on_fatal_signals}) {
    if (IoResult<> prepared = prepare(); !prepared) {
      detail::fail_to_initialize(prepared.error());
    }
  }
  if (IoResult<> entered = enter_game_mode(); !entered) {
    detail::fail_to_initialize(entered.error());
  }
  send_queries();
  IoResult<Terminal> terminal =
      Terminal::create(std::make_unique<AnsiBackend>(STDOUT_FILENO, saved.terminal.load()));
  if (!terminal) {
    detail::fail_to_initialize(terminal.error());
  }
  return std::move(*terminal);
}

void restore() noexcept {
  detail::report_restore_failure(detail::leave_steps(GAME_MODE, detail::TerminalObject::Closed));
}

void enable_keyboard_enhancement() {
  if (saved.keyboard_protocol.exchange(true) || saved.keyboard_flags_pushed.load() ||
      !saved.on_alternate_screen.load()) {
    return;
  }
  static_cast<void>(push_keyboard_flags());
}

void device_attributes_answered() noexcept {
  saved.answers_due.store(false);
}

namespace detail {

ConsoleHandle console_input() {
  return saved.terminal.load();
}

}  // namespace detail

}  // namespace tui
