// Job control, as far as the console's owner takes part in it: Ctrl+Z, a
// stop that only a shell can end, and the count of continues. Windows has
// no job control: there Ctrl+Z is a key like any other and nothing stops.
#pragma once

#include <cstdint>

#include "tui/input/events.hpp"

namespace tui::detail {

// On POSIX, when `event` is a press of Ctrl+Z (no Shift, Alt or Caps Lock),
// sends the process the stop the terminal driver would send for it outside
// raw mode, and says the key goes no further.
bool suspend_on_key(const Event& event);

// Whether a stop could ever be continued: some process in the session but
// outside the process group (a shell with job control) waits on it. In an
// orphaned process group (run straight under tmux, or as an SSH session's
// command) nobody can, and the kernel drops stop signals there.
bool shell_can_continue();

// How many times the process has continued from a stop, as counted while a
// tui::Signals watches; always 0 on Windows.
std::uint32_t continue_count() noexcept;

}  // namespace tui::detail
