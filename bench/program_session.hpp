// The real game played through the scripted session on a pseudo-terminal.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "pty_child.hpp"
#include "session_script.hpp"
#include "support/process_probe.hpp"
#include "tui/screen/geometry.hpp"

namespace bench {

using testing_support::ProcessSample;

struct FrameRecord {
  std::size_t end = 0;   // one past its cursor request in the output
  Clock::time_point at;  // when that request was read
  FrameKind kind = FrameKind::First;
  // For a key's frame: from writing the key byte to reading the whole frame.
  std::optional<Clock::duration> latency;
};

struct TimedSample {
  ProcessSample process;
  Clock::time_point at;
};

struct SessionResult {
  std::string output;  // every byte the program wrote
  std::vector<FrameRecord> frames;
  // The steps as they happened: the script, with a tick put in wherever one
  // came early (see out_of_script), so that a replay draws the same frames.
  std::vector<Step> played;
  std::map<Sample, TimedSample> samples;
  // The floor program's counters, read at the same moments as the game's.
  std::map<Sample, TimedSample> floor_samples;
  ProcessSample before_quit;
  Clock::time_point exec_at;
  ChildExit exit;
  // Frames that came while a key was still to be typed: a tick came earlier
  // than the script allows for, and the frames no longer line up with it.
  int out_of_script = 0;
};

// Throws std::runtime_error when the program does not start, stops drawing
// or does not end after the quit key. A `floor` process, when given, runs
// beside it and is sampled with it.
SessionResult run_program_session(const std::string& binary, tui::Size size,
                                  const std::vector<Step>& steps, pid_t floor = -1);

}  // namespace bench
