// The game as its pseudo-terminal shows it: the screen a console fed its
// output would show, and whether the terminal is the game's or given back.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "pty_process.hpp"

namespace testing_support {

// The rows a console of `size`, blank at first, shows after `output`.
std::vector<std::string> screen_rows(std::string_view output, TerminalSize size);

// A console of `size` without an alternate screen, filled with a shell's old
// text (OLD_TEXT over and over) before the game started, after `output`.
inline constexpr std::string_view OLD_TEXT = "%old% ";
struct ConsoleView {
  std::vector<std::string> rows;
  int cursor_column;
  int cursor_row;
};
ConsoleView view_over_old_text(std::string_view output, TerminalSize size);

// Whether a row still shows some of OLD_TEXT (the game draws no '%').
bool shows_old_text(const ConsoleView& view);

// Whether a console of `size` that was blank before byte `since` of the
// game's output shows `text` in some row.
bool shows_text(const PtyProcess& game, TerminalSize size, std::string_view text,
                std::uint64_t since = 0);

// Reads the game's output until its screen shows `text`.
bool wait_for_screen_text(PtyProcess& game, TerminalSize size, std::string_view text,
                          std::uint64_t since = 0,
                          std::chrono::milliseconds limit = std::chrono::seconds(10));

// The normal screen, a visible cursor, and line input, echo and signal keys.
void expect_terminal_given_back(const PtyProcess& game);
// Types q: the game must end with status 0, give the terminal back and
// write nothing to standard error (the file at `stderr_path`).
void expect_quits_cleanly(PtyProcess& game, const std::string& stderr_path);

// The game's screen erased and the cursor home, so that on a console
// without an alternate screen the shell goes on from a clean page.
void expect_screen_left_blank(const PtyProcess& game, TerminalSize size);
// The alternate screen, a hidden cursor and raw input.
void expect_terminal_taken(const PtyProcess& game);

}  // namespace testing_support
