// Taking the console over for the game and giving it back.
//
// Game mode is raw input (keys arrive one at a time, unechoed, Ctrl+C as a
// key) and the alternate screen. The record of what the console was like
// before is process-wide, since every way out (a normal exit, a panic on any
// thread, a fatal signal, a stop) has to be able to give it back, and each
// runs the same undos in the same order.
#pragma once

#include "tui/terminal/backend.hpp"
#include "tui/terminal/terminal.hpp"

namespace tui {

// Sets the terminal up, once, at start-up: puts a hook that restores the
// console in front of the installed panic hook, enters game mode and creates
// the terminal object on standard output. Any failure is a panic with the
// message "failed to initialize terminal: " and the error.
Terminal init();

// Gives the console back after a normal exit, once the terminal object has
// shown the cursor: raw mode off (line input, echo and Ctrl+C on, whatever
// they were before), then the normal screen. Both are done even if
// init never got to them. A failure is one line on standard error; restore
// never throws and never ends the program. While the input is still raw,
// answers to init's queries still on their way are read and dropped, for
// up to 100 ms after the queries went out; this delays no exit once they
// have come (see device_attributes_answered).
void restore() noexcept;

// The two halves of game mode on their own, so that they can be run again
// (leaving for a suspend and entering once more when the process continues).
// Leaving is every way out but the normal exit's: as restore, and it shows
// the cursor too, between the input mode and the screen. It reports nothing.
IoResult<> enter_game_mode();
IoResult<> leave_game_mode() noexcept;

// Called by the event source when the terminal answers that it speaks the
// kitty keyboard protocol: from then on keys arrive with their releases and
// modifiers told apart, while the game has the alternate screen. Later
// calls do nothing.
void enable_keyboard_enhancement();

// Called by the event source when the terminal's answer to the device
// attributes request, the
// last of its answers to init's queries, has been read: from then on
// giving the console back waits for nothing.
void device_attributes_answered() noexcept;

}  // namespace tui
