#include "game_pane.hpp"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>

#include "../vt_screen.hpp"
#include "tmux_session.hpp"

namespace testing_support {

std::vector<std::string> screen_rows(std::string_view output, TerminalSize size) {
  tui::testing::VtScreen screen({size.width, size.height});
  screen.feed(output);
  return screen.screen().lines();
}

ConsoleView view_over_old_text(std::string_view output, TerminalSize size) {
  tui::testing::VtScreen screen({size.width, size.height});
  screen.fill(OLD_TEXT);
  screen.feed(output);
  return {screen.screen().lines(), screen.cursor().x, screen.cursor().y};
}

bool shows_old_text(const ConsoleView& view) {
  return std::any_of(view.rows.begin(), view.rows.end(),
                     [](const std::string& row) { return row.find('%') != std::string::npos; });
}

bool shows_text(const PtyProcess& game, TerminalSize size, std::string_view text,
                std::uint64_t since) {
  return testing_support::shows_text(screen_rows(game.output_since(since), size),
                                     std::string(text));
}

bool wait_for_screen_text(PtyProcess& game, TerminalSize size, std::string_view text,
                          std::uint64_t since, std::chrono::milliseconds limit) {
  return game.wait_for_output([&](std::string_view) { return shows_text(game, size, text, since); },
                              since, limit);
}

void expect_terminal_given_back(const PtyProcess& game) {
  const ConsoleState console = last_console_state(game.output());
  EXPECT_EQ(console.alternate_screen, false) << "back on the normal screen";
  EXPECT_EQ(console.cursor_visible, true) << "cursor visible";
  EXPECT_TRUE(is_cooked(game.terminal_modes())) << "line input, echo and signal keys on";
}

void expect_quits_cleanly(PtyProcess& game, const std::string& stderr_path) {
  ASSERT_TRUE(game.write("q"));
  const std::optional<int> status = game.wait_exit(std::chrono::seconds(60));
  ASSERT_TRUE(status) << "still running";
  ASSERT_TRUE(WIFEXITED(*status)) << "killed by signal " << WTERMSIG(*status);
  EXPECT_EQ(WEXITSTATUS(*status), 0);
  expect_terminal_given_back(game);
  EXPECT_EQ(read_file(stderr_path), "");
}

void expect_screen_left_blank(const PtyProcess& game, TerminalSize size) {
  const ConsoleView view = view_over_old_text(game.output(), size);
  const std::vector<std::string> blank(size.height, std::string(size.width, ' '));
  EXPECT_EQ(view.rows, blank) << "the screen after the game";
  EXPECT_EQ(view.cursor_column, 0) << "cursor home";
  EXPECT_EQ(view.cursor_row, 0) << "cursor home";
}

void expect_terminal_taken(const PtyProcess& game) {
  const ConsoleState console = last_console_state(game.output());
  EXPECT_EQ(console.alternate_screen, true) << "on the alternate screen";
  EXPECT_EQ(console.cursor_visible, false) << "cursor hidden";
  EXPECT_FALSE(is_cooked(game.terminal_modes())) << "raw input";
}

}  // namespace testing_support
