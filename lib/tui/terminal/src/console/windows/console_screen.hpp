// The Windows console screen buffer the game draws on.
#pragma once

#include <windows.h>

namespace tui::detail {

// Standard output if it is a console, else the console's own output. Opened
// with the console input by the first of init, enter_game_mode and restore;
// null before.
HANDLE console_screen();

}  // namespace tui::detail
