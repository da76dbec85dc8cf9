// What taking the console over and giving it back does the same way on every
// platform: game mode as a list of steps with their undos, the panic hook
// that restores the console, and the messages of the two failures.
#pragma once

#include <span>
#include <string_view>
#include <system_error>

#include "tui/terminal/backend.hpp"

namespace tui::detail {

// The game's screen erased in the default colours and the cursor home, the
// last thing written on the alternate screen before it is left: a console
// without one (or with it switched off) would keep the last frame under the
// shell's prompt.
inline constexpr std::string_view ERASE_AND_HOME = "\x1b[m\x1b[2J\x1b[H";

// One step of game mode and its undo.
struct ModeStep {
  IoResult<> (*enter)();
  IoResult<> (*leave)();
};

// Runs the steps in order and stops at the first failure.
IoResult<> enter_steps(std::span<const ModeStep> steps);

// Leaving does not undo only what entering got through: it runs every undo,
// since each one is harmless where its step never ran and a failed or
// interrupted set-up cannot be trusted to know how far it got. The undos run
// in the list's order, not in reverse, because the input mode is what leaves
// a shell unusable when it is not given back, so it goes first; a failing
// undo stops the ones after it.
IoResult<> leave_steps(std::span<const ModeStep> steps);

// Puts a hook that restores the console in front of the installed one.
void install_restoring_hook();

// The set-up's failure: a panic with "failed to initialize terminal: " and the error.
[[noreturn]] void fail_to_initialize(std::error_code error);

// The restore's failure, if `left` is one: a line on standard error, never more.
void report_restore_failure(const IoResult<>& left) noexcept;

}  // namespace tui::detail
