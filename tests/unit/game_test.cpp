#include "game.hpp"

#include <gtest/gtest.h>

#include <string>

#include "case_name.hpp"

namespace {

GameState fresh() {
  return GameState{};
}

TEST(GameState, StartsWithTheBallInFrontOfTheComputer) {
  const GameState s;
  EXPECT_EQ(s.player_paddle_x, 0.0);
  EXPECT_EQ(s.player_paddle_y, 7.5);
  EXPECT_EQ(s.computer_paddle_x, 49.0);
  EXPECT_EQ(s.computer_paddle_y, 7.5);
  EXPECT_EQ(s.ball_x, 48.5);
  EXPECT_EQ(s.ball_y, 9.5);
  EXPECT_EQ(s.ball_dx, 0.5);
  EXPECT_EQ(s.ball_dy, 0.5);
  EXPECT_EQ(s.player_score, 0);
  EXPECT_EQ(s.computer_score, 0);
  EXPECT_TRUE(s.running);
  EXPECT_EQ(s.phase, GamePhase::Playing);
}

TEST(GamePhase, IsStoredInOneByteWithFixedValues) {
  static_assert(sizeof(GamePhase) == 1);
  EXPECT_EQ(static_cast<int>(GamePhase::Playing), 0);
  EXPECT_EQ(static_cast<int>(GamePhase::Paused), 1);
  EXPECT_EQ(static_cast<int>(GamePhase::Won), 2);
  EXPECT_EQ(static_cast<int>(GamePhase::Lost), 3);
}

TEST(GameState, FirstTickReturnsTheBallAndSecondCarriesItAway) {
  GameState s;
  s.update();
  GameState expected = fresh();
  expected.ball_x = 49.0;
  expected.ball_y = 10.0;
  expected.computer_paddle_y = 7.75;
  expected.ball_dx = -0.5;
  EXPECT_EQ(s, expected);

  s.update();
  expected.ball_x = 48.5;
  expected.ball_y = 10.5;
  expected.computer_paddle_y = 8.0;
  EXPECT_EQ(s, expected);
}

TEST(GameState, ResetFromWonGivesTheFreshStateAndKeepsRunning) {
  GameState s;
  s.player_paddle_y = 2.0;
  s.computer_paddle_y = 11.0;
  s.ball_x = 2.0;
  s.ball_y = 4.0;
  s.ball_dx = -0.5;
  s.ball_dy = -0.5;
  s.player_score = 5;
  s.computer_score = 3;
  s.phase = GamePhase::Won;
  s.reset();
  EXPECT_EQ(s, fresh());

  s.running = false;
  s.reset();
  EXPECT_FALSE(s.running) << "reset never brings a quit back";
}

// One tick with the ball arriving at (x, y): the fixture places it one step
// before, so the table reads in the positions the hit tests see.
struct HitCase {
  std::string name;
  double x, y, dx;
  double player_y, computer_y;  // before the tick; the computer moves first
  double expected_dx;
  int expected_player_score, expected_computer_score;
};

class PaddleHit : public testing::TestWithParam<HitCase> {};

TEST_P(PaddleHit, ReturnsTheBallOnlyInsideItsZone) {
  const HitCase& c = GetParam();
  GameState s;
  s.ball_dx = c.dx;
  s.ball_dy = 0.5;
  s.ball_x = c.x - c.dx;
  s.ball_y = c.y - 0.5;
  s.player_paddle_y = c.player_y;
  s.computer_paddle_y = c.computer_y;
  s.update();
  EXPECT_EQ(s.ball_dx, c.expected_dx);
  EXPECT_EQ(s.player_score, c.expected_player_score);
  EXPECT_EQ(s.computer_score, c.expected_computer_score);
}

// The user's paddle covers y 5.0 to 9.0. The computer's paddle is moved by
// a quarter towards the ball before the test: 7.25 becomes 7.5 (covering
// 7.5 to 11.5) when the ball is above its centre, 7.75 becomes 7.5 below.
INSTANTIATE_TEST_SUITE_P(
    BothPaddles, PaddleHit,
    testing::Values(HitCase{"user_face", 1.0, 7.0, -0.5, 5.0, 7.5, 0.5, 0, 0},
                    HitCase{"user_behind_face", 0.5, 7.0, -0.5, 5.0, 7.5, 0.5, 0, 0},
                    HitCase{"user_goal_line_scores", 0.0, 7.0, -0.5, 5.0, 7.5, -0.5, 0, 1},
                    HitCase{"user_too_far_out", 1.5, 7.0, -0.5, 5.0, 7.5, -0.5, 0, 0},
                    HitCase{"user_bottom_end", 1.0, 5.0, -0.5, 5.0, 7.5, 0.5, 0, 0},
                    HitCase{"user_top_end", 1.0, 9.0, -0.5, 5.0, 7.5, 0.5, 0, 0},
                    HitCase{"user_below", 1.0, 4.5, -0.5, 5.0, 7.5, -0.5, 0, 0},
                    HitCase{"user_above", 1.0, 9.5, -0.5, 5.0, 7.5, -0.5, 0, 0},
                    HitCase{"user_ball_moving_away", 1.0, 7.0, 0.5, 5.0, 7.5, 0.5, 0, 0},
                    HitCase{"computer_reach", 48.0, 9.5, 0.5, 5.0, 7.5, -0.5, 0, 0},
                    HitCase{"computer_short_of_reach", 47.5, 9.5, 0.5, 5.0, 7.5, 0.5, 0, 0},
                    HitCase{"computer_behind_face", 49.5, 9.5, 0.5, 5.0, 7.5, -0.5, 0, 0},
                    HitCase{"computer_goal_line_scores", 50.0, 9.5, 0.5, 5.0, 7.5, 0.5, 1, 0},
                    HitCase{"computer_top_end", 48.5, 11.5, 0.5, 5.0, 7.25, -0.5, 0, 0},
                    HitCase{"computer_above", 48.5, 11.75, 0.5, 5.0, 7.25, 0.5, 0, 0},
                    HitCase{"computer_bottom_end", 48.5, 7.5, 0.5, 5.0, 7.75, -0.5, 0, 0},
                    HitCase{"computer_below", 48.5, 7.25, 0.5, 5.0, 7.75, 0.5, 0, 0},
                    HitCase{"computer_ball_moving_away", 49.0, 9.5, -0.5, 5.0, 7.5, -0.5, 0, 0}),
    case_name<HitCase>);

struct EdgeCase {
  std::string name;
  double y, dy;  // before the tick
  double expected_y, expected_dy;
};

class EdgeBounce : public testing::TestWithParam<EdgeCase> {};

TEST_P(EdgeBounce, TurnsTheBallWithoutCorrectingIt) {
  const EdgeCase& c = GetParam();
  GameState s;
  s.ball_x = 25.0;
  s.ball_y = c.y;
  s.ball_dy = c.dy;
  s.update();
  EXPECT_EQ(s.ball_y, c.expected_y);
  EXPECT_EQ(s.ball_dy, c.expected_dy);
}

INSTANTIATE_TEST_SUITE_P(
    TopAndBottom, EdgeBounce,
    testing::Values(EdgeCase{"top_exact", 14.5, 0.5, 15.0, -0.5},
                    EdgeCase{"bottom_exact", 0.5, -0.5, 0.0, 0.5},
                    EdgeCase{"top_quarter_overshoots", 14.75, 0.5, 15.25, -0.5},
                    EdgeCase{"bottom_quarter_overshoots", 0.25, -0.5, -0.25, 0.5},
                    EdgeCase{"short_of_top", 14.25, 0.5, 14.75, 0.5},
                    EdgeCase{"short_of_bottom", 0.75, -0.5, 0.25, -0.5}),
    case_name<EdgeCase>);

TEST(GameState, UserPointIsServedFromTheUsersPaddle) {
  GameState s;
  s.ball_x = 49.5;
  s.ball_y = 14.5;  // reaches the top edge in the scoring tick
  s.computer_paddle_y = 0.0;
  s.player_paddle_y = 3.0;
  s.update();
  EXPECT_EQ(s.player_score, 1);
  EXPECT_EQ(s.ball_x, 2.0);
  EXPECT_EQ(s.ball_y, 5.0);
  EXPECT_EQ(s.ball_dx, 0.5);
  EXPECT_EQ(s.ball_dy, 0.5) << "the serve replaces the edge bounce";
  EXPECT_EQ(s.phase, GamePhase::Playing);
}

TEST(GameState, ComputerPointIsServedFromItsPaddleAfterItsStep) {
  GameState s;
  s.ball_x = 0.5;
  s.ball_dx = -0.5;
  s.ball_y = 3.0;
  s.ball_dy = -0.5;
  s.player_paddle_y = 9.0;
  s.computer_paddle_y = 4.0;  // centre 6.0 is above the ball: steps down to 3.75
  s.update();
  EXPECT_EQ(s.computer_score, 1);
  EXPECT_EQ(s.computer_paddle_y, 3.75);
  EXPECT_EQ(s.ball_x, 47.5);
  EXPECT_EQ(s.ball_y, 5.75);
  EXPECT_EQ(s.ball_dx, -0.5);
  EXPECT_EQ(s.ball_dy, 0.5);
}

TEST(GameState, EdgeAndPaddleCanBothTurnTheBallInOneTick) {
  GameState s;
  s.ball_x = 1.5;
  s.ball_y = 14.5;
  s.ball_dx = -0.5;
  s.ball_dy = 0.5;
  s.player_paddle_y = 11.0;
  s.update();
  EXPECT_EQ(s.ball_dx, 0.5);
  EXPECT_EQ(s.ball_dy, -0.5);
}

TEST(GameState, FifthPointServesAndEndsTheGameInOneTick) {
  GameState won;
  won.player_score = 4;
  won.computer_score = 4;
  won.ball_x = 49.5;
  won.computer_paddle_y = 0.0;
  won.update();
  EXPECT_EQ(won.player_score, 5);
  EXPECT_EQ(won.ball_x, 2.0);
  EXPECT_EQ(won.ball_y, won.player_paddle_y + 2.0);
  EXPECT_EQ(won.phase, GamePhase::Won);

  GameState lost;
  lost.computer_score = 4;
  lost.ball_x = 0.5;
  lost.ball_dx = -0.5;
  lost.player_paddle_y = 0.0;
  lost.update();
  EXPECT_EQ(lost.computer_score, 5);
  EXPECT_EQ(lost.ball_x, 47.5);
  EXPECT_EQ(lost.phase, GamePhase::Lost);
}

TEST(GameState, TicksOutsidePlayingChangeNothing) {
  for (const GamePhase phase : {GamePhase::Paused, GamePhase::Won, GamePhase::Lost}) {
    GameState s;
    s.ball_y = 2.0;  // far below the computer's centre: it would move if called
    s.phase = phase;
    const GameState before = s;
    for (int tick = 0; tick < 100; ++tick) {
      s.update();
    }
    EXPECT_EQ(s, before) << "phase " << static_cast<int>(phase);
  }
}

struct ComputerCase {
  std::string name;
  double paddle_y, ball_y, expected;
};

class ComputerPaddle : public testing::TestWithParam<ComputerCase> {};

TEST_P(ComputerPaddle, StepsAQuarterTowardsTheBallInsideTheField) {
  const ComputerCase& c = GetParam();
  GameState s;
  s.computer_paddle_y = c.paddle_y;
  s.ball_y = c.ball_y;
  s.step_computer_paddle();
  EXPECT_EQ(s.computer_paddle_y, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Steps, ComputerPaddle,
                         testing::Values(ComputerCase{"ball_above_centre", 7.5, 10.0, 7.75},
                                         ComputerCase{"ball_level_with_centre", 7.5, 9.5, 7.5},
                                         ComputerCase{"last_step_up", 10.75, 14.0, 11.0},
                                         ComputerCase{"top_touches_the_wall", 11.0, 14.0, 11.0},
                                         ComputerCase{"down_from_the_top", 11.0, 5.0, 10.75},
                                         ComputerCase{"last_step_down", 0.25, 0.0, 0.0},
                                         ComputerCase{"at_the_bottom", 0.0, 0.0, 0.0}),
                         case_name<ComputerCase>);

}  // namespace
