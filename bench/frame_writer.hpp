// The ways of putting a frame of cells on a console that the benchmark
// compares, each writing to a pseudo-terminal's slave side.
#pragma once

#include <memory>

#include "tui/screen/buffer.hpp"
#include "tui/screen/geometry.hpp"

namespace bench {

class FrameWriter {
 public:
  virtual ~FrameWriter() = default;
  // Puts `frame` (the whole screen) on the console; throws std::runtime_error
  // when the console fails.
  virtual void write(const tui::Buffer& frame) = 0;
};

// The program's own draw cycle: tui::Terminal over tui::AnsiBackend.
std::unique_ptr<FrameWriter> make_draw_cycle_writer(int console);

// Every cell of every frame, colour changes only where a cell's colours
// differ from the cell before, in one write per frame.
std::unique_ptr<FrameWriter> make_full_redraw_writer(int console);

// ncurses (wide characters): the cells copied into stdscr, then a refresh.
std::unique_ptr<FrameWriter> make_curses_writer(int console);

}  // namespace bench
