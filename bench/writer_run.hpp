// One frame writer drawing the session's frames, replayed in-process, on a
// pseudo-terminal of the session's size: the bytes of each frame and the
// processor time the writer spent on them.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "frame_writer.hpp"
#include "session_script.hpp"

namespace bench {

struct WriterRun {
  std::vector<std::string> frames;
  std::vector<FrameKind> kinds;
  // This thread's processor time inside FrameWriter::write, the kernel's
  // share of each write included, summed over the frames.
  std::chrono::nanoseconds cpu{0};
};

using WriterFactory = std::unique_ptr<FrameWriter> (*)(int console);

WriterRun run_writer(WriterFactory make, const std::vector<Step>& steps, tui::Size size);

}  // namespace bench
