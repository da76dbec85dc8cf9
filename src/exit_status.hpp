// The program's exit statuses, one place for the code that returns them and
// the help text that explains them.
#pragma once

// 0 is EXIT_SUCCESS: the user quit, or the help or the version was printed.
constexpr int EXIT_ERROR = 1;    // an error report was printed, or a text could not be written
constexpr int EXIT_USAGE = 2;    // the command line was not understood
constexpr int EXIT_PANIC = 101;  // a panic report was printed
