// The figures that the table prints, worked out from the runs.
#pragma once

#include <cstddef>

#include "program_session.hpp"
#include "summary.hpp"
#include "writer_run.hpp"

namespace bench {

struct ProgramFigures {
  std::size_t frames = 0;
  Summary tick_bytes;              // ticks while playing: the idle play a game is mostly made of
  Summary key_bytes;               // paddle keys while playing: a whole paddle moves at once
  Summary playing_bytes;           // both
  Summary paused_bytes;            // ticks while paused: frames where nothing changed
  double first_frame_bytes = 0.0;  // entering game mode included
  double pause_frame_bytes = 0.0;  // mean over the Esc presses that pause
  double resume_frame_bytes = 0.0;
  double playing_cpu_share = 0.0;  // of one core, over the idle play
  double paused_cpu_share = 0.0;   // of one core: what a tick costs with nothing to draw
  // The floor program's over the same stretches: the runtime's tick and
  // terminal wait alone.
  double floor_playing_cpu_share = 0.0;
  double floor_paused_cpu_share = 0.0;
  double session_cpu_share = 0.0;  // of one core, from exec to exit
  double paused_switches_per_second = 0.0;
  double peak_rss_mib = 0.0;
  double first_frame_ms = 0.0;  // from exec
  Summary move_latency_ms;      // w and s
  Summary esc_latency_ms;       // pause and resume
  Summary pause_latency_ms;
  Summary resume_latency_ms;
  int out_of_script = 0;
  int exit_status = 0;
  // The program's frames against the in-process draw cycle's frames.
  std::size_t frames_compared = 0;
  std::size_t frames_equal = 0;
};

struct WriterFigures {
  Summary all_bytes;
  Summary tick_bytes;
  double cpu_us_per_frame = 0.0;
};

ProgramFigures program_figures(const SessionResult& session, const WriterRun& draw_cycle);
WriterFigures writer_figures(const WriterRun& run);

}  // namespace bench
