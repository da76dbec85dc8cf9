// The scripted session that every figure is measured on: which ticks and keys
// come in which order, and what kind of frame each of them makes the game draw.
//
// The real program plays it on a pseudo-terminal and the in-process replay
// feeds the same steps to the game's own code, so both draw the same frames.
#pragma once

#include <chrono>
#include <vector>

namespace bench {

enum class Action { Tick, Key };

// What a step's frame shows, so that figures can pick the frames they are about.
enum class FrameKind {
  First,   // drawn at start-up, before any step
  Play,    // a tick while playing
  Move,    // a paddle key while playing
  Pause,   // the Esc that pauses: the overlay replaces the playfield
  Paused,  // a tick while paused: nothing on the screen changes
  Resume,  // the Esc that resumes: the playfield comes back
};

// Moments at which the whole-program run reads the game's counters, taken
// once the step's frame has arrived.
enum class Sample { None, PlayStart, PlayEnd, PauseStart, PauseEnd };

struct Step {
  Action action = Action::Tick;
  char key = 0;  // the byte typed for a key step
  FrameKind kind = FrameKind::Play;
  Sample sample = Sample::None;
};

inline constexpr char ESC_KEY = '\x1b';
inline constexpr char QUIT_KEY = 'q';

// How long the parts of the session last. A whole idle game runs 855 ticks
// before the computer's fifth point ends it (about 43 s); 400 idle ticks keep
// the game going and the two sizes together at about a minute.
struct ScriptShape {
  int idle_ticks = 400;
  int presses = 240;  // w and s in turn
  int presses_per_tick = 4;
  int paused_ticks = 100;  // 5 s paused
  int short_pauses = 9;    // quick pause and resume pairs for more Esc samples
  int tail_ticks = 10;     // after the last resume, before q
};

// The first frame is drawn before any step and is not one of them. A quit
// key, sent after the last step, ends the session without a frame.
std::vector<Step> make_script(const ScriptShape& shape);

// When a key step is typed, counted from the frame of the last tick: keys go
// out spread over the first part of a tick period, each after the frame of
// the one before, so that the last one's frame is back well before the next
// tick is due (30 ms of room) and the order of frames stays fixed.
std::chrono::microseconds key_offset(int keys_since_tick);

}  // namespace bench
