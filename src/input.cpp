#include "input.hpp"

#include <variant>

namespace {

bool is_char(const tui::KeyCode& code, char32_t ch) {
  return code.key == tui::Key::Char && code.ch == ch;
}

bool moves_up(const tui::KeyCode& code) {
  return code.key == tui::Key::Up || is_char(code, U'w') || is_char(code, U'k');
}

bool moves_down(const tui::KeyCode& code) {
  return code.key == tui::Key::Down || is_char(code, U's') || is_char(code, U'j');
}

bool quits(const tui::KeyEvent& key) {
  // Ctrl+C arrives as a key because raw mode keeps the terminal from turning
  // it into a signal. With Shift or Alt added it stays unbound.
  return is_char(key.code, U'q') ||
         (is_char(key.code, U'c') && key.modifiers == tui::Modifiers::CONTROL);
}

void pause_resume_or_restart(GameState& state) {
  switch (state.phase) {
    case GamePhase::Playing:
      state.phase = GamePhase::Paused;
      break;
    case GamePhase::Paused:
      state.phase = GamePhase::Playing;
      break;
    case GamePhase::Won:
    case GamePhase::Lost:
      state.reset();
      break;
  }
}

void handle_key_press(GameState& state, const tui::KeyEvent& key) {
  if (moves_up(key.code)) {
    state.move_player_paddle_up();
  } else if (moves_down(key.code)) {
    state.move_player_paddle_down();
  } else if (key.code.key == tui::Key::Esc) {
    pause_resume_or_restart(state);
  } else if (quits(key)) {
    state.running = false;
  }
}

}  // namespace

void handle_input_item(GameState& state, const tui::InputItem& item) {
  const auto* event = std::get_if<tui::Event>(&item);
  if (event == nullptr) {
    return;  // read errors and the end of input change nothing
  }
  const auto* key = std::get_if<tui::KeyEvent>(event);
  // Only presses act: acting on the release too would make one physical
  // press count twice. Auto-repeat that arrives as presses still counts.
  if (key == nullptr || key->kind != tui::KeyEventKind::Press) {
    return;
  }
  handle_key_press(state, *key);
}
