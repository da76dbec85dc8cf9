#include "input.hpp"

#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

#include "case_name.hpp"
#include "event_builders.hpp"

namespace {

using tui::Key;
using tui::KeyCode;
using tui::KeyEventKind;
using tui::Modifiers;

using event_builders::key;

constexpr Modifiers CTRL = Modifiers::CONTROL;
constexpr Modifiers SHIFT = Modifiers::SHIFT;
constexpr Modifiers ALT = Modifiers::ALT;

constexpr std::array<GamePhase, 4> PHASES = {GamePhase::Playing, GamePhase::Paused, GamePhase::Won,
                                             GamePhase::Lost};

// A game in `phase` with every field away from its starting value except
// the user's paddle, which stays at 7.5 so both moves are open.
GameState game_in(GamePhase phase) {
  GameState s;
  s.phase = phase;
  s.computer_paddle_y = 2.0;
  s.ball_x = 20.0;
  s.ball_y = 3.0;
  s.ball_dx = -0.5;
  s.ball_dy = -0.5;
  s.player_score = phase == GamePhase::Won ? 5 : 2;
  s.computer_score = phase == GamePhase::Lost ? 5 : 3;
  return s;
}

enum class Effect { Up, Down, Escape, Quit, Nothing };

GameState expected_after(GameState s, Effect effect) {
  switch (effect) {
    case Effect::Up:
      s.player_paddle_y = 8.5;
      break;
    case Effect::Down:
      s.player_paddle_y = 6.5;
      break;
    case Effect::Escape:
      if (s.phase == GamePhase::Playing) {
        s.phase = GamePhase::Paused;
      } else if (s.phase == GamePhase::Paused) {
        s.phase = GamePhase::Playing;
      } else {
        s = GameState{};
      }
      break;
    case Effect::Quit:
      s.running = false;
      break;
    case Effect::Nothing:
      break;
  }
  return s;
}

struct Case {
  std::string name;
  tui::InputItem item;
  Effect effect;
};

using case_printing::PrintTo;

class KeyTable : public testing::TestWithParam<Case> {};

TEST_P(KeyTable, ActsAlikeInEveryPhase) {
  const Case& c = GetParam();
  for (const GamePhase phase : PHASES) {
    SCOPED_TRACE(testing::Message() << "phase " << static_cast<int>(phase));
    GameState s = game_in(phase);
    handle_input_item(s, c.item);
    EXPECT_EQ(s, expected_after(game_in(phase), c.effect));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Bindings, KeyTable,
    testing::Values(
        Case{"up_arrow", key(Key::Up), Effect::Up}, Case{"w", key(U'w'), Effect::Up},
        Case{"k", key(U'k'), Effect::Up}, Case{"shift_up", key(Key::Up, SHIFT), Effect::Up},
        Case{"ctrl_w", key(U'w', CTRL), Effect::Up},
        Case{"down_arrow", key(Key::Down), Effect::Down}, Case{"s", key(U's'), Effect::Down},
        Case{"j", key(U'j'), Effect::Down}, Case{"alt_down", key(Key::Down, ALT), Effect::Down},
        Case{"esc", key(Key::Esc), Effect::Escape},
        Case{"shift_esc", key(Key::Esc, SHIFT), Effect::Escape}, Case{"q", key(U'q'), Effect::Quit},
        Case{"ctrl_q", key(U'q', CTRL), Effect::Quit}, Case{"alt_q", key(U'q', ALT), Effect::Quit},
        Case{"shift_q_lower_case", key(U'q', SHIFT), Effect::Quit},
        Case{"ctrl_c", key(U'c', CTRL), Effect::Quit}),
    case_name<Case>);

INSTANTIATE_TEST_SUITE_P(
    Unbound, KeyTable,
    testing::Values(Case{"left", key(Key::Left), Effect::Nothing},
                    Case{"right", key(Key::Right), Effect::Nothing},
                    Case{"enter", key(Key::Enter), Effect::Nothing},
                    Case{"space", key(U' '), Effect::Nothing},
                    Case{"backspace", key(Key::Backspace), Effect::Nothing},
                    Case{"tab", key(Key::Tab), Effect::Nothing},
                    Case{"home", key(Key::Home), Effect::Nothing},
                    Case{"delete", key(Key::Delete), Effect::Nothing},
                    Case{"f1", key(KeyCode::function(1)), Effect::Nothing},
                    Case{"f12", key(KeyCode::function(12)), Effect::Nothing},
                    Case{"p", key(U'p'), Effect::Nothing}, Case{"r", key(U'r'), Effect::Nothing},
                    Case{"plain_c", key(U'c'), Effect::Nothing},
                    Case{"shift_c", key(U'c', SHIFT), Effect::Nothing},
                    Case{"alt_c", key(U'c', ALT), Effect::Nothing},
                    Case{"ctrl_shift_c", key(U'c', CTRL | SHIFT), Effect::Nothing},
                    Case{"ctrl_alt_c", key(U'c', CTRL | ALT), Effect::Nothing},
                    Case{"ctrl_super_c", key(U'c', CTRL | Modifiers::SUPER), Effect::Nothing},
                    Case{"upper_W", key(U'W', SHIFT), Effect::Nothing},
                    Case{"upper_S", key(U'S', SHIFT), Effect::Nothing},
                    Case{"upper_J", key(U'J', SHIFT), Effect::Nothing},
                    Case{"upper_K", key(U'K', SHIFT), Effect::Nothing},
                    Case{"upper_Q", key(U'Q', SHIFT), Effect::Nothing},
                    Case{"caps_lock_Q", key(U'Q'), Effect::Nothing},
                    Case{"upper_C", key(U'C', SHIFT), Effect::Nothing},
                    Case{"caps_lock_ctrl_C", key(U'C', CTRL), Effect::Nothing},
                    Case{"ctrl_shift_upper_C", key(U'C', CTRL | SHIFT), Effect::Nothing}),
    case_name<Case>);

INSTANTIATE_TEST_SUITE_P(
    NotAKeyPress, KeyTable,
    testing::Values(
        Case{"release_w", key(U'w', Modifiers::NONE, KeyEventKind::Release), Effect::Nothing},
        Case{"repeat_w", key(U'w', Modifiers::NONE, KeyEventKind::Repeat), Effect::Nothing},
        Case{"release_down", key(Key::Down, Modifiers::NONE, KeyEventKind::Release),
             Effect::Nothing},
        Case{"release_esc", key(Key::Esc, Modifiers::NONE, KeyEventKind::Release), Effect::Nothing},
        Case{"repeat_esc", key(Key::Esc, Modifiers::NONE, KeyEventKind::Repeat), Effect::Nothing},
        Case{"release_q", key(U'q', Modifiers::NONE, KeyEventKind::Release), Effect::Nothing},
        Case{"repeat_ctrl_c", key(U'c', CTRL, KeyEventKind::Repeat), Effect::Nothing},
        Case{"resize", tui::Event{tui::Resize{80, 24}}, Effect::Nothing},
        Case{"paste_q", tui::Event{tui::Paste{"q"}}, Effect::Nothing},
        Case{"mouse_click",
             tui::Event{tui::MouseEvent{tui::MouseEventKind::Down, tui::MouseButton::Left, 3, 4}},
             Effect::Nothing},
        Case{"mouse_scroll", tui::Event{tui::MouseEvent{tui::MouseEventKind::ScrollUp}},
             Effect::Nothing},
        Case{"focus_gained", tui::Event{tui::FocusGained{}}, Effect::Nothing},
        Case{"focus_lost", tui::Event{tui::FocusLost{}}, Effect::Nothing},
        Case{"read_error", tui::InputError{std::make_error_code(std::errc::io_error)},
             Effect::Nothing},
        Case{"end_of_input", tui::EndOfInput{}, Effect::Nothing}),
    case_name<Case>);

// Feeds `item` `count` times and lists the paddle's height after each one.
std::vector<double> heights(GameState& s, const tui::InputItem& item, int count) {
  std::vector<double> seen;
  for (int i = 0; i < count; ++i) {
    handle_input_item(s, item);
    seen.push_back(s.player_paddle_y);
  }
  return seen;
}

TEST(PaddleKeys, StopAtTheLimitsWithWholeSteps) {
  GameState s;
  EXPECT_EQ(heights(s, key(Key::Up), 5), (std::vector<double>{8.5, 9.5, 10.5, 11.5, 11.5}));

  s = GameState{};
  EXPECT_EQ(heights(s, key(U's'), 9),
            (std::vector<double>{6.5, 5.5, 4.5, 3.5, 2.5, 1.5, 0.5, 0.0, 0.0}));

  EXPECT_EQ(heights(s, key(U'k'), 12),
            (std::vector<double>{1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0, 9.0, 10.0, 11.0, 11.0}));
}

TEST(PaddleKeys, OnePhysicalPressMovesOnce) {
  GameState s;
  handle_input_item(s, key(U'w'));
  handle_input_item(s, key(U'w', Modifiers::NONE, KeyEventKind::Release));
  EXPECT_EQ(s.player_paddle_y, 8.5);
}

TEST(EscKey, TwiceFromPlayingChangesNothing) {
  GameState s = game_in(GamePhase::Playing);
  handle_input_item(s, key(Key::Esc));
  EXPECT_EQ(s.phase, GamePhase::Paused);
  handle_input_item(s, key(Key::Esc));
  EXPECT_EQ(s, game_in(GamePhase::Playing));
}

TEST(EscKey, PauseKeepsPaddleMovesMadeWhilePaused) {
  GameState s = game_in(GamePhase::Playing);
  handle_input_item(s, key(Key::Esc));
  handle_input_item(s, key(Key::Up));
  handle_input_item(s, key(Key::Up));
  handle_input_item(s, key(U'j'));
  handle_input_item(s, key(U'w'));
  handle_input_item(s, key(Key::Esc));
  GameState expected = game_in(GamePhase::Playing);
  expected.player_paddle_y = 9.5;
  EXPECT_EQ(s, expected);
}

TEST(EscKey, AfterTheEndStartsANewGameThatPlaysAtOnce) {
  for (const GamePhase end : {GamePhase::Won, GamePhase::Lost}) {
    SCOPED_TRACE(testing::Message() << "phase " << static_cast<int>(end));
    GameState s = game_in(end);
    s.player_paddle_y = 3.0;
    handle_input_item(s, key(Key::Esc));
    EXPECT_EQ(s, GameState{});
    s.update();
    EXPECT_NE(s.ball_x, GameState{}.ball_x) << "the ball moves on the next tick";
  }
}

}  // namespace
