// The game record and the fixed-step rules that advance it.
//
// World units: x runs from 0 at the left edge to FIELD_WIDTH at the right,
// y from 0 at the bottom edge to FIELD_HEIGHT at the top. Speeds are per tick.
#pragma once

#include <cstdint>

inline constexpr double FIELD_WIDTH = 50.0;
inline constexpr double FIELD_HEIGHT = 15.0;
inline constexpr double PADDLE_WIDTH = 1.0;
inline constexpr double PADDLE_HEIGHT = 4.0;
inline constexpr double BALL_SPEED = 0.5;
inline constexpr double COMPUTER_PADDLE_SPEED = 0.25;
inline constexpr std::int32_t WINNING_SCORE = 5;

// How far one press of an up or down key moves the user's paddle.
inline constexpr double PLAYER_PADDLE_STEP = 1.0;

enum class GamePhase : std::uint8_t {
  Playing = 0,
  Paused = 1,
  Won = 2,
  Lost = 3,
};

struct GameState {
  double player_paddle_x = 0.0;
  double player_paddle_y = 7.5;
  double computer_paddle_x = 49.0;
  double computer_paddle_y = 7.5;
  // The ball starts just in front of the computer's paddle, inside its hit
  // zone, so the first tick of every game returns it towards the user.
  double ball_x = 48.5;
  double ball_y = 9.5;
  double ball_dx = BALL_SPEED;
  double ball_dy = BALL_SPEED;
  std::int32_t player_score = 0;
  std::int32_t computer_score = 0;
  bool running = true;
  GamePhase phase = GamePhase::Playing;

  bool operator==(const GameState&) const = default;

  // Starts a new game: every field but `running` back to its starting value.
  void reset();

  // One tick of play; does nothing outside Playing.
  void update();

  // The computer's move within a tick: a fixed step towards the ball's height.
  void step_computer_paddle();

  // The user's moves, allowed in every phase.
  void move_player_paddle_up();
  void move_player_paddle_down();

 private:
  void bounce_off_edges();
  // Returns true when the ball left the field and a point was scored.
  bool score_and_serve();
  void bounce_off_paddles();
  void end_game_at_winning_score();
};
