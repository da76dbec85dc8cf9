#include "figures.hpp"

#include <sys/wait.h>

#include <algorithm>
#include <stdexcept>
#include <string_view>

#include "frame_split.hpp"

namespace bench {
namespace {

using Seconds = std::chrono::duration<double>;
using Milliseconds = std::chrono::duration<double, std::milli>;

bool is_tick(FrameKind kind) {
  return kind == FrameKind::Play;
}

bool is_playing(FrameKind kind) {
  return kind == FrameKind::Play || kind == FrameKind::Move;
}

template <class Pick>
Summary summarize_bytes(const std::vector<std::string_view>& frames,
                        const std::vector<FrameKind>& kinds, Pick pick) {
  std::vector<double> sizes;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    if (pick(kinds[i])) {
      sizes.push_back(static_cast<double>(frames[i].size()));
    }
  }
  return summarize(std::move(sizes));
}

Summary latencies_ms(const std::vector<FrameRecord>& frames, FrameKind a, FrameKind b) {
  std::vector<double> values;
  for (const FrameRecord& frame : frames) {
    if (frame.latency && (frame.kind == a || frame.kind == b)) {
      values.push_back(Milliseconds(*frame.latency).count());
    }
  }
  return summarize(std::move(values));
}

const TimedSample& sample(const std::map<Sample, TimedSample>& samples, Sample which) {
  const auto found = samples.find(which);
  if (found == samples.end()) {
    throw std::runtime_error("a counter sample of the session is missing");
  }
  return found->second;
}

double cpu_share(const TimedSample& from, const TimedSample& to) {
  return Seconds(to.process.cpu - from.process.cpu).count() / Seconds(to.at - from.at).count();
}

double rate(const TimedSample& from, const TimedSample& to) {
  return static_cast<double>(to.process.voluntary_switches - from.process.voluntary_switches) /
         Seconds(to.at - from.at).count();
}

double session_share(const SessionResult& session) {
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  const rusage& usage = session.exit.usage;
  return (seconds(usage.ru_utime) + seconds(usage.ru_stime)) /
         Seconds(session.exit.at - session.exec_at).count();
}

// The first program frame carries the start of game mode ahead of its cells.
void compare_frames(const std::vector<std::string_view>& program, const WriterRun& draw_cycle,
                    ProgramFigures& figures) {
  const std::size_t n = std::min(program.size(), draw_cycle.frames.size());
  for (std::size_t i = 0; i < n; ++i) {
    const bool equal =
        i == 0 ? program[i].ends_with(draw_cycle.frames[i]) : program[i] == draw_cycle.frames[i];
    figures.frames_equal += equal ? 1 : 0;
  }
  figures.frames_compared = std::max(program.size(), draw_cycle.frames.size());
}

void add_frame_bytes(const std::vector<std::string_view>& frames,
                     const std::vector<FrameKind>& kinds, ProgramFigures& figures) {
  figures.frames = frames.size();
  figures.tick_bytes = summarize_bytes(frames, kinds, is_tick);
  figures.key_bytes =
      summarize_bytes(frames, kinds, [](FrameKind k) { return k == FrameKind::Move; });
  figures.playing_bytes = summarize_bytes(frames, kinds, is_playing);
  figures.paused_bytes =
      summarize_bytes(frames, kinds, [](FrameKind k) { return k == FrameKind::Paused; });
  figures.first_frame_bytes = frames.empty() ? 0.0 : static_cast<double>(frames.front().size());
  figures.pause_frame_bytes =
      summarize_bytes(frames, kinds, [](FrameKind k) { return k == FrameKind::Pause; }).mean;
  figures.resume_frame_bytes =
      summarize_bytes(frames, kinds, [](FrameKind k) { return k == FrameKind::Resume; }).mean;
}

}  // namespace

ProgramFigures program_figures(const SessionResult& session, const WriterRun& draw_cycle) {
  std::vector<std::size_t> ends;
  std::vector<FrameKind> kinds;
  for (const FrameRecord& frame : session.frames) {
    ends.push_back(frame.end);
    kinds.push_back(frame.kind);
  }
  const std::vector<std::string_view> frames = split_frames(session.output, ends);
  ProgramFigures figures;
  add_frame_bytes(frames, kinds, figures);
  compare_frames(frames, draw_cycle, figures);

  const auto& game = session.samples;
  const auto& floor = session.floor_samples;
  figures.playing_cpu_share =
      cpu_share(sample(game, Sample::PlayStart), sample(game, Sample::PlayEnd));
  figures.paused_cpu_share =
      cpu_share(sample(game, Sample::PauseStart), sample(game, Sample::PauseEnd));
  figures.floor_playing_cpu_share =
      cpu_share(sample(floor, Sample::PlayStart), sample(floor, Sample::PlayEnd));
  figures.floor_paused_cpu_share =
      cpu_share(sample(floor, Sample::PauseStart), sample(floor, Sample::PauseEnd));
  figures.session_cpu_share = session_share(session);
  figures.paused_switches_per_second =
      rate(sample(game, Sample::PauseStart), sample(game, Sample::PauseEnd));
  figures.peak_rss_mib = static_cast<double>(session.before_quit.peak_rss_kib) / 1024.0;
  if (!session.frames.empty()) {
    figures.first_frame_ms = Milliseconds(session.frames.front().at - session.exec_at).count();
  }
  figures.move_latency_ms = latencies_ms(session.frames, FrameKind::Move, FrameKind::Move);
  figures.esc_latency_ms = latencies_ms(session.frames, FrameKind::Pause, FrameKind::Resume);
  figures.pause_latency_ms = latencies_ms(session.frames, FrameKind::Pause, FrameKind::Pause);
  figures.resume_latency_ms = latencies_ms(session.frames, FrameKind::Resume, FrameKind::Resume);
  figures.out_of_script = session.out_of_script;
  figures.exit_status = WIFEXITED(session.exit.status) ? WEXITSTATUS(session.exit.status) : -1;
  return figures;
}

WriterFigures writer_figures(const WriterRun& run) {
  const std::vector<std::string_view> frames(run.frames.begin(), run.frames.end());
  WriterFigures figures;
  figures.all_bytes = summarize_bytes(frames, run.kinds, [](FrameKind) { return true; });
  figures.tick_bytes = summarize_bytes(frames, run.kinds, is_tick);
  const double count = std::max<double>(1.0, static_cast<double>(run.frames.size()));
  figures.cpu_us_per_frame = std::chrono::duration<double, std::micro>(run.cpu).count() / count;
  return figures;
}

}  // namespace bench
