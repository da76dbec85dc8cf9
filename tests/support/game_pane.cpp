#include "game_pane.hpp"

#include <gtest/gtest.h>

#include "../vt_screen.hpp"

namespace testing_support {

std::vector<std::string> screen_rows(std::string_view output, TerminalSize size) {
  tui::testing::VtScreen screen({size.width, size.height});
  screen.feed(output);
  return screen.screen().lines();
}

bool shows_text(const PtyProcess& game, TerminalSize size, std::string_view text,
                std::uint64_t since) {
  for (const std::string& row : screen_rows(game.output_since(since), size)) {
    if (row.find(text) != std::string::npos) {
      return true;
    }
  }
  return false;
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

void expect_terminal_taken(const PtyProcess& game) {
  const ConsoleState console = last_console_state(game.output());
  EXPECT_EQ(console.alternate_screen, true) << "on the alternate screen";
  EXPECT_EQ(console.cursor_visible, false) << "cursor hidden";
  EXPECT_FALSE(is_cooked(game.terminal_modes())) << "raw input";
}

}  // namespace testing_support
