#include "session_script.hpp"

namespace bench {
namespace {

void add_ticks(std::vector<Step>& steps, int count, FrameKind kind) {
  for (int i = 0; i < count; ++i) {
    steps.push_back({Action::Tick, 0, kind, Sample::None});
  }
}

void add_key(std::vector<Step>& steps, char key, FrameKind kind) {
  steps.push_back({Action::Key, key, kind, Sample::None});
}

void add_presses(std::vector<Step>& steps, const ScriptShape& shape) {
  for (int i = 0; i < shape.presses; ++i) {
    if (i > 0 && i % shape.presses_per_tick == 0) {
      add_ticks(steps, 1, FrameKind::Play);
    }
    // Alternating keeps every press a real move: the paddle never reaches a wall.
    add_key(steps, i % 2 == 0 ? 'w' : 's', FrameKind::Move);
  }
  add_ticks(steps, 1, FrameKind::Play);
}

}  // namespace

std::vector<Step> make_script(const ScriptShape& shape) {
  std::vector<Step> steps;
  add_ticks(steps, shape.idle_ticks, FrameKind::Play);
  steps.front().sample = Sample::PlayStart;
  steps.back().sample = Sample::PlayEnd;
  add_presses(steps, shape);

  add_key(steps, ESC_KEY, FrameKind::Pause);
  steps.back().sample = Sample::PauseStart;
  add_ticks(steps, shape.paused_ticks, FrameKind::Paused);
  steps.back().sample = Sample::PauseEnd;
  add_key(steps, ESC_KEY, FrameKind::Resume);
  add_ticks(steps, 2, FrameKind::Play);

  for (int i = 0; i < shape.short_pauses; ++i) {
    add_key(steps, ESC_KEY, FrameKind::Pause);
    add_ticks(steps, 1, FrameKind::Paused);
    add_key(steps, ESC_KEY, FrameKind::Resume);
    add_ticks(steps, 2, FrameKind::Play);
  }
  add_ticks(steps, shape.tail_ticks, FrameKind::Play);
  return steps;
}

std::chrono::microseconds key_offset(int keys_since_tick) {
  return std::chrono::microseconds(2000 + 6000 * keys_since_tick);
}

}  // namespace bench
