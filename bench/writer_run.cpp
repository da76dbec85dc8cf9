#include "writer_run.hpp"

#include <time.h>

#include <stdexcept>

#include "game_replay.hpp"
#include "pty_sink.hpp"

namespace bench {
namespace {

std::chrono::nanoseconds thread_cpu() {
  timespec now{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

}  // namespace

WriterRun run_writer(WriterFactory make, const std::vector<Step>& steps, tui::Size size) {
  WriterRun run;
  PtySink sink(size);
  {
    const std::unique_ptr<FrameWriter> writer = make(sink.console());
    replay_session(steps, size, [&](const tui::Buffer& frame, FrameKind kind) {
      const std::chrono::nanoseconds before = thread_cpu();
      writer->write(frame);
      run.cpu += thread_cpu() - before;
      sink.end_frame();
      run.kinds.push_back(kind);
    });
  }  // what the writer sends on closing belongs to no frame
  run.frames = sink.finish();
  if (run.frames.size() != run.kinds.size()) {
    throw std::runtime_error("frame marks lost on the pseudo-terminal");
  }
  return run;
}

}  // namespace bench
