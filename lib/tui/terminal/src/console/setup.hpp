// What taking the console over and giving it back does the same way on every
// platform: game mode as a list of steps with their undos, the panic hook
// that restores the console, and the messages of the two failures.
#pragma once

#include <span>
#include <system_error>

#include "tui/terminal/backend.hpp"
#include "tui/terminal/console_handle.hpp"

namespace tui::detail {

// One step of game mode and its undo. Plain function pointers over plain
// data: a handler of fatal signals runs the same undos, so each one writes
// fixed byte strings and makes only async-signal-safe calls.
struct ModeStep {
  IoResult<> (*enter)();
  IoResult<> (*leave)();
  // Showing the cursor is the terminal object's job on a normal exit, with
  // a failure line of its own; every other way out runs it as this step.
  bool closing_the_terminal_object_undoes = false;
};

// A step with nothing to do on the way in.
inline IoResult<> nothing_to_enter() {
  return {};
}

// Runs the steps in order and stops at the first failure.
IoResult<> enter_steps(std::span<const ModeStep> steps);

// Leaving does not undo only what entering got through: it runs every undo,
// since each one is harmless where its step never ran and a failed or
// interrupted set-up cannot be trusted to know how far it got. The undos run
// in the list's order, not in reverse, because the input mode is what leaves
// a shell unusable when it is not given back, so it goes first; a failing
// undo stops the ones after it. Async-signal-safe.
enum class TerminalObject : bool { Open, Closed };
IoResult<> leave_steps(std::span<const ModeStep> steps, TerminalObject terminal) noexcept;

// The console's own input, for the event source to read; opened by the
// first of init, enter_game_mode and restore, and kept open. Before that
// there is none (-1 on POSIX).
ConsoleHandle console_input();

// Puts a hook that restores the console in front of the installed one.
void install_restoring_hook();

// The set-up's failure: a panic with "failed to initialize terminal: " and the error.
[[noreturn]] void fail_to_initialize(std::error_code error);

// The restore's failure, if `left` is one: a line on standard error, never more.
void report_restore_failure(const IoResult<>& left) noexcept;

}  // namespace tui::detail
