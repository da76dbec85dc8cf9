// Writing all of a byte string to a descriptor that may be non-blocking.
#pragma once

#include <string_view>

#include "tui/terminal/backend.hpp"

namespace tui::detail {

// The error of the system call that just failed.
std::error_code last_error();

// Writes every byte, going on after partial writes and interruptions. A
// descriptor can be non-blocking without anyone here having asked for it (it
// may share its open file description with the console input), so a full
// one is waited on until it takes more. Uses only async-signal-safe calls.
IoResult<> write_all(int fd, std::string_view bytes);

}  // namespace tui::detail
