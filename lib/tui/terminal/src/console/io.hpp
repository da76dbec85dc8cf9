// Writing to the console and asking it for its window's size: the calls each
// platform makes its own way, in posix/io.cpp and windows/io.cpp.
#pragma once

#include <string_view>
#include <system_error>

#include "tui/screen/geometry.hpp"
#include "tui/terminal/backend.hpp"
#include "tui/terminal/console_handle.hpp"

namespace tui::detail {

// The error of the system call that just failed.
std::error_code last_error();

// Writes every byte, going on after partial writes and interruptions. On
// POSIX a descriptor can be non-blocking without anyone here having asked for
// it (it may share its open file description with the console input), so a
// full one is waited on until it takes more; only async-signal-safe calls are
// used there.
IoResult<> write_all(ConsoleHandle output, std::string_view bytes);

// The window's size in cells: as the terminal driver knows it on POSIX, the
// visible window of the console screen buffer on Windows (the buffer behind
// it may be larger).
IoResult<Size> window_size(ConsoleHandle terminal);

}  // namespace tui::detail
