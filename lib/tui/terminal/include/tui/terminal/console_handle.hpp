// How the platform names the console's input and output: a descriptor on
// POSIX, a HANDLE on Windows.
#pragma once

namespace tui {

#if defined(_WIN32)
using ConsoleHandle = void*;
#else
using ConsoleHandle = int;
#endif

}  // namespace tui
