#include "game_replay.hpp"

#include "game.hpp"
#include "input.hpp"
#include "tui/input/events.hpp"
#include "tui/screen/frame.hpp"
#include "ui.hpp"

namespace bench {
namespace {

// The key the decoder makes of the byte typed.
tui::InputItem key_item(char key) {
  const tui::KeyCode code = key == ESC_KEY ? tui::KeyCode::named(tui::Key::Esc)
                                           : tui::KeyCode::character(static_cast<char32_t>(key));
  return tui::Event{tui::KeyEvent{code}};
}

}  // namespace

void replay_session(const std::vector<Step>& steps, tui::Size size, const FrameSink& sink) {
  GameState state;
  tui::Buffer buffer(tui::Rect{0, 0, size.width, size.height});
  const auto draw = [&](FrameKind kind) {
    // The draw cycle hands a blank buffer to every frame.
    buffer.reset();
    tui::Frame frame(buffer);
    draw_screen(state, frame);
    sink(buffer, kind);
  };
  draw(FrameKind::First);
  for (const Step& step : steps) {
    if (step.action == Action::Tick) {
      state.update();
    } else {
      handle_input_item(state, key_item(step.key));
    }
    draw(step.kind);
  }
}

}  // namespace bench
