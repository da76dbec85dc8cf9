#include "game.hpp"

#include <algorithm>

namespace {

// Where a serve starts, measured from the serving paddle's x.
constexpr double PLAYER_SERVE_OFFSET = 2.0;
constexpr double COMPUTER_SERVE_OFFSET = 1.5;

// The computer's paddle returns the ball one unit in front of its face.
constexpr double COMPUTER_HIT_REACH = 1.0;

// How far below the top wall the player's paddle must stay after a move up.
constexpr double PLAYER_TOP_MARGIN = 3.0;

}  // namespace

void GameState::reset() {
  const bool keep_running = running;
  *this = GameState{};
  running = keep_running;
}

void GameState::update() {
  if (phase != GamePhase::Playing) {
    return;
  }
  ball_x += ball_dx;
  ball_y += ball_dy;
  step_computer_paddle();
  bounce_off_edges();
  if (!score_and_serve()) {
    bounce_off_paddles();
  }
  end_game_at_winning_score();
}

void GameState::step_computer_paddle() {
  const double centre = computer_paddle_y + PADDLE_HEIGHT / 2.0;
  if (ball_y > centre) {
    if (computer_paddle_y + PADDLE_HEIGHT < FIELD_HEIGHT) {
      computer_paddle_y += COMPUTER_PADDLE_SPEED;
    }
  } else if (ball_y < centre && computer_paddle_y > 0.0) {
    computer_paddle_y -= COMPUTER_PADDLE_SPEED;
  }
}

void GameState::move_player_paddle_up() {
  const double candidate = player_paddle_y + PLAYER_PADDLE_STEP;
  // The test is made on the candidate with a margin rather than the
  // paddle's height, so from the starting 7.5 the top may end half a unit
  // past the top wall. The move is all or nothing.
  if (candidate + PLAYER_TOP_MARGIN < FIELD_HEIGHT) {
    player_paddle_y = candidate;
  }
}

void GameState::move_player_paddle_down() {
  player_paddle_y = std::max(player_paddle_y - PLAYER_PADDLE_STEP, 0.0);
}

void GameState::bounce_off_edges() {
  // The position is not corrected: a ball past an edge comes back next tick.
  if (ball_y <= 0.0 || ball_y >= FIELD_HEIGHT) {
    ball_dy = -ball_dy;
  }
}

bool GameState::score_and_serve() {
  if (ball_x >= FIELD_WIDTH) {
    ++player_score;
    ball_x = player_paddle_x + PLAYER_SERVE_OFFSET;
    ball_y = player_paddle_y + PADDLE_HEIGHT / 2.0;
    ball_dx = BALL_SPEED;
    ball_dy = BALL_SPEED;
    return true;
  }
  if (ball_x <= 0.0) {
    ++computer_score;
    ball_x = computer_paddle_x - COMPUTER_SERVE_OFFSET;
    ball_y = computer_paddle_y + PADDLE_HEIGHT / 2.0;
    ball_dx = -BALL_SPEED;
    ball_dy = BALL_SPEED;
    return true;
  }
  return false;
}

void GameState::bounce_off_paddles() {
  if (ball_x <= player_paddle_x + PADDLE_WIDTH && ball_y >= player_paddle_y && ball_dx < 0 &&
      ball_y <= player_paddle_y + PADDLE_HEIGHT) {
    ball_dx = -ball_dx;
  }
  if (ball_y >= computer_paddle_y && ball_x >= computer_paddle_x - COMPUTER_HIT_REACH &&
      ball_y <= computer_paddle_y + PADDLE_HEIGHT && ball_dx > 0) {
    ball_dx = -ball_dx;
  }
}

void GameState::end_game_at_winning_score() {
  if (player_score >= WINNING_SCORE) {
    phase = GamePhase::Won;
  } else if (computer_score >= WINNING_SCORE) {
    phase = GamePhase::Lost;
  }
}
