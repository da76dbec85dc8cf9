// Plays a long, seeded sequence of games and checks the rules' invariants
// after every tick.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

#include "game.hpp"

namespace {

bool is_multiple_of(double value, double step) {
  return std::fmod(value, step) == 0.0;
}

bool is_ball_speed(double v) {
  return v == BALL_SPEED || v == -BALL_SPEED;
}

// Checks one tick's before-and-after pair; returns a description of the
// first broken rule, or an empty string.
std::string broken_invariant(const GameState& before, const GameState& after) {
  if (!is_ball_speed(after.ball_dx) || !is_ball_speed(after.ball_dy))
    return "velocity";
  if (!is_multiple_of(after.ball_x, 0.5))
    return "ball_x off the half grid";
  if (after.ball_y < -0.25 || after.ball_y > FIELD_HEIGHT + 0.25)
    return "ball_y outside";
  if (after.player_paddle_x != 0.0 || after.computer_paddle_x != 49.0)
    return "paddle x";
  if (after.player_paddle_y < 0.0 || after.player_paddle_y > 11.5)
    return "player_paddle_y";
  if (after.computer_paddle_y < 0.0 || after.computer_paddle_y > 11.0 ||
      !is_multiple_of(after.computer_paddle_y, COMPUTER_PADDLE_SPEED)) {
    return "computer_paddle_y";
  }
  if (std::abs(after.computer_paddle_y - before.computer_paddle_y) > COMPUTER_PADDLE_SPEED) {
    return "computer step";
  }
  const int scored =
      (after.player_score - before.player_score) + (after.computer_score - before.computer_score);
  if (after.player_score < before.player_score || after.computer_score < before.computer_score ||
      scored > 1) {
    return "score step";
  }
  if (after.player_score > WINNING_SCORE || after.computer_score > WINNING_SCORE)
    return "score";
  if (!after.running)
    return "running";
  if (before.phase != GamePhase::Playing && after != before)
    return "tick outside Playing";
  const bool should_have_won = after.player_score == WINNING_SCORE;
  const bool should_have_lost = !should_have_won && after.computer_score == WINNING_SCORE;
  if ((after.phase == GamePhase::Won) != should_have_won)
    return "Won phase";
  if ((after.phase == GamePhase::Lost) != should_have_lost)
    return "Lost phase";
  return "";
}

TEST(GameInvariants, HoldForAMillionTicksOfSeededPlay) {
  std::mt19937 random(20261210);  // the engine's output is fixed by the standard
  GameState state;
  int games = 0;
  constexpr int ticks = 1'200'000;
  for (int tick = 0; tick < ticks; ++tick) {
    switch (random() % 8) {
      case 0:
        state.move_player_paddle_up();
        break;
      case 1:
        state.move_player_paddle_down();
        break;
      case 2:
        if (random() % 64 == 0 && state.phase == GamePhase::Playing)
          state.phase = GamePhase::Paused;
        else if (state.phase == GamePhase::Paused)
          state.phase = GamePhase::Playing;
        break;
      default:
        break;
    }
    const GameState before = state;
    state.update();
    const std::string broken = broken_invariant(before, state);
    ASSERT_EQ(broken, "") << "at tick " << tick;
    if (state.phase == GamePhase::Won || state.phase == GamePhase::Lost) {
      ++games;
      state.reset();
    }
  }
  EXPECT_GT(games, 100);
}

}  // namespace
