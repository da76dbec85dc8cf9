#include <windows.h>

#include <array>
#include <atomic>
#include <csignal>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "console/io.hpp"
#include "console/sequences.hpp"
#include "console/setup.hpp"
#include "console/windows/console_screen.hpp"
#include "tui/terminal/ansi_backend.hpp"
#include "tui/terminal/console.hpp"

namespace tui {
namespace {

// All that giving the console back needs, as plain data that is filled in
// before anyone could need it: a console control handler and a crash filter
// run on other threads and read it too.
struct SavedState {
  std::atomic<HANDLE> input{nullptr};   // standard input if it is a console, else CONIN$
  std::atomic<HANDLE> screen{nullptr};  // standard output if it is a console, else CONOUT$
  std::atomic<DWORD> saved_input_mode{0};
  std::atomic<bool> has_saved_input{false};
  std::atomic<DWORD> saved_output_mode{0};
  std::atomic<UINT> saved_code_page{0};
  std::atomic<bool> has_saved_output{false};
  std::atomic<bool> on_alternate_screen{false};
};

constinit SavedState saved;

using detail::last_error;

using detail::ENTER_ALTERNATE_SCREEN;
using detail::LEAVE_ALTERNATE_SCREEN;

bool is_console(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         ::GetConsoleMode(handle, &mode) != 0;
}

// Standard input or output if it is the console, else the console itself,
// as /dev/tty stands in for a redirected standard input on POSIX.
IoResult<HANDLE> console_handle(std::atomic<HANDLE>& slot, DWORD standard, const wchar_t* device) {
  if (HANDLE known = slot.load(); known != nullptr) {
    return known;
  }
  HANDLE handle = ::GetStdHandle(standard);
  if (!is_console(handle)) {
    handle = ::CreateFileW(device, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      return std::unexpected(last_error());
    }
  }
  slot.store(handle);
  return handle;
}

IoResult<HANDLE> console_input() {
  return console_handle(saved.input, STD_INPUT_HANDLE, L"CONIN$");
}

IoResult<HANDLE> console_output() {
  return console_handle(saved.screen, STD_OUTPUT_HANDLE, L"CONOUT$");
}

HANDLE standard_output() {
  return ::GetStdHandle(STD_OUTPUT_HANDLE);
}

IoResult<> set_mode(HANDLE console, DWORD mode) {
  if (::SetConsoleMode(console, mode) == 0) {
    return std::unexpected(last_error());
  }
  return {};
}

IoResult<DWORD> get_mode(HANDLE console) {
  DWORD mode = 0;
  if (::GetConsoleMode(console, &mode) == 0) {
    return std::unexpected(last_error());
  }
  return mode;
}

// What ends line input, echo and Ctrl+C as a signal: keys come one record
// at a time. Virtual terminal input goes too, since it would turn keys into
// escape sequences inside the records; window size changes come as records.
constexpr DWORD COOKED_INPUT = ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT;

IoResult<> enable_raw_mode() {
  const IoResult<HANDLE> input = console_input();
  if (!input) {
    return std::unexpected(input.error());
  }
  const IoResult<DWORD> mode = get_mode(*input);
  if (!mode) {
    return std::unexpected(mode.error());
  }
  // Entering again must not take the game's own mode for the one to give back.
  if (!saved.has_saved_input.load()) {
    saved.saved_input_mode.store(*mode);
    saved.has_saved_input.store(true);
  }
  if (IoResult<> set = set_mode(
          *input, (*mode & ~(COOKED_INPUT | ENABLE_VIRTUAL_TERMINAL_INPUT)) | ENABLE_WINDOW_INPUT);
      !set) {
    return set;
  }
  // Keys typed before the game took the console were meant for someone else.
  if (::FlushConsoleInputBuffer(*input) == 0) {
    return std::unexpected(last_error());
  }
  return {};
}

IoResult<> disable_raw_mode() {
  const IoResult<HANDLE> input = console_input();
  if (!input) {
    return std::unexpected(input.error());
  }
  DWORD mode = saved.saved_input_mode.load();
  if (!saved.has_saved_input.load()) {
    const IoResult<DWORD> current = get_mode(*input);
    if (!current) {
      return std::unexpected(current.error());
    }
    mode = *current;
  }
  // A console that came to us without line input, echo or Ctrl+C gets them all the same.
  return set_mode(*input, mode | COOKED_INPUT);
}

// The encoder moves down with line feeds that keep the column, as on a
// POSIX terminal with output processing off; without this flag a line feed
// also returns the carriage. Consoles that do not know it still get VT.
IoResult<> enable_virtual_terminal(HANDLE screen, DWORD mode) {
  const DWORD vt = mode | ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING;
  if (::SetConsoleMode(screen, vt | DISABLE_NEWLINE_AUTO_RETURN) != 0) {
    return {};
  }
  return set_mode(screen, vt);
}

// The alternate screen is a VT sequence, so on Windows it comes with the
// output mode that reads VT, and leaves before that mode is given back.
IoResult<> enter_alternate_screen() {
  const IoResult<HANDLE> screen = console_output();
  if (!screen) {
    return std::unexpected(screen.error());
  }
  const IoResult<DWORD> mode = get_mode(*screen);
  if (!mode) {
    return std::unexpected(mode.error());
  }
  if (!saved.has_saved_output.load()) {
    saved.saved_output_mode.store(*mode);
    saved.saved_code_page.store(::GetConsoleOutputCP());
    saved.has_saved_output.store(true);
  }
  if (IoResult<> vt = enable_virtual_terminal(*screen, *mode); !vt) {
    return vt;
  }
  // Every frame is UTF-8.
  if (::SetConsoleOutputCP(CP_UTF8) == 0) {
    return std::unexpected(last_error());
  }
  if (IoResult<> entered = detail::write_all(standard_output(), ENTER_ALTERNATE_SCREEN); !entered) {
    return entered;
  }
  saved.on_alternate_screen.store(true);
  return {};
}

// Erases the game's screen first, if that is where the game is.
IoResult<> write_leave_alternate_screen() {
  if (saved.on_alternate_screen.exchange(false)) {
    if (IoResult<> erased = detail::write_all(standard_output(), detail::ERASE_AND_HOME); !erased) {
      return erased;
    }
  }
  return detail::write_all(standard_output(), LEAVE_ALTERNATE_SCREEN);
}

// Without VT processing on the screen, the sequence would show as text.
IoResult<> show_cursor() {
  const IoResult<HANDLE> screen = console_output();
  if (!screen) {
    return std::unexpected(screen.error());
  }
  const IoResult<DWORD> mode = get_mode(*screen);
  if (!mode) {
    return std::unexpected(mode.error());
  }
  return (*mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0
             ? detail::write_all(standard_output(), detail::SHOW_CURSOR)
             : IoResult<>{};
}

IoResult<> leave_alternate_screen() {
  const IoResult<HANDLE> screen = console_output();
  if (!screen) {
    return std::unexpected(screen.error());
  }
  const IoResult<DWORD> mode = get_mode(*screen);
  if (!mode) {
    return std::unexpected(mode.error());
  }
  // Without VT processing the sequence would show as text.
  if ((*mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0) {
    if (IoResult<> left = write_leave_alternate_screen(); !left) {
      return left;
    }
  }
  if (!saved.has_saved_output.load()) {
    return {};
  }
  if (::SetConsoleOutputCP(saved.saved_code_page.load()) == 0) {
    return std::unexpected(last_error());
  }
  return set_mode(*screen, saved.saved_output_mode.load());
}

// Game mode, the input mode first: see leave_steps for the order of the undos.
// The cursor is hidden by every frame, so only its undo does anything.
constexpr std::array<detail::ModeStep, 3> GAME_MODE{{
    {enable_raw_mode, disable_raw_mode},
    {detail::nothing_to_enter, show_cursor, true},
    {enter_alternate_screen, leave_alternate_screen},
}};

// A crash must not leave the console without line input on the alternate
// screen. The process is broken here: the undos are those of every way out,
// plain console calls on the saved state, and nothing is reported.
void restore_after_crash() {
  static_cast<void>(leave_game_mode());
}

LONG WINAPI restore_on_unhandled_exception(EXCEPTION_POINTERS*) {
  restore_after_crash();
  return EXCEPTION_CONTINUE_SEARCH;  // Windows goes on to end the process as it would
}

extern "C" void restore_on_abort(int signal) {
  restore_after_crash();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void restore_on_crashes() {
  ::SetUnhandledExceptionFilter(restore_on_unhandled_exception);
  std::signal(SIGABRT, restore_on_abort);
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
  restore_on_crashes();
  if (IoResult<> entered = enter_game_mode(); !entered) {
    detail::fail_to_initialize(entered.error());
  }
  IoResult<Terminal> terminal =
      Terminal::create(std::make_unique<AnsiBackend>(standard_output(), saved.screen.load()));
  if (!terminal) {
    detail::fail_to_initialize(terminal.error());
  }
  return std::move(*terminal);
}

void restore() noexcept {
  detail::report_restore_failure(detail::leave_steps(GAME_MODE, detail::TerminalObject::Closed));
}

// Console input records tell presses from releases already.
void enable_keyboard_enhancement() {}

// Nothing is asked of a Windows console, so nothing is waited for.
void device_attributes_answered() noexcept {}

namespace detail {

ConsoleHandle console_input() {
  return saved.input.load();
}

HANDLE console_screen() {
  return saved.screen.load();
}

}  // namespace detail
}  // namespace tui
