// What the Windows console back end's files share: the handles the game
// draws on, writing to them and asking them for the window's size.
#pragma once

#include <windows.h>

#include <string_view>
#include <system_error>

#include "tui/screen/geometry.hpp"
#include "tui/terminal/backend.hpp"

namespace tui::detail {

// The error of the Windows call that just failed.
std::error_code last_error();

// Writes every byte to `output` (a console or whatever standard output
// was redirected to), going on after partial writes.
IoResult<> write_all(HANDLE output, std::string_view bytes);

// The visible window of the console screen buffer `screen`, in cells; the
// buffer behind it may be larger.
IoResult<Size> window_size(HANDLE screen);

// The console screen buffer the game draws on: standard output if it is a
// console, else the console's own output. Opened with the console input by
// the first of init, enter_game_mode and restore; null before.
HANDLE console_screen();

}  // namespace tui::detail
