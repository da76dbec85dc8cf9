// The command line: the game takes no arguments, and answers --help and
// --version before anything touches the terminal.
#pragma once

#include <optional>
#include <span>

// Answers the arguments after the program's name. Returns nothing when they
// ask for a game (there are none); otherwise writes the help, the version
// or a usage error and returns the exit status.
std::optional<int> answer_command_line(std::span<const char* const> arguments);
