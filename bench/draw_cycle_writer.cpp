#include <stdexcept>
#include <string>

#include "frame_writer.hpp"
#include "tui/terminal/ansi_backend.hpp"
#include "tui/terminal/terminal.hpp"

namespace bench {
namespace {

tui::Terminal open_terminal(int console) {
  tui::IoResult<tui::Terminal> terminal =
      tui::Terminal::create(std::make_unique<tui::AnsiBackend>(console, console));
  if (!terminal) {
    throw std::runtime_error("no terminal size: " + terminal.error().message());
  }
  return std::move(*terminal);
}

class DrawCycleWriter final : public FrameWriter {
 public:
  explicit DrawCycleWriter(int console) : terminal_(open_terminal(console)) {}

  void write(const tui::Buffer& frame) override {
    const tui::IoResult<> drawn = terminal_.draw([&frame](tui::Frame& f) { f.buffer() = frame; });
    if (!drawn) {
      throw std::runtime_error("draw failed: " + drawn.error().message());
    }
  }

 private:
  tui::Terminal terminal_;
};

}  // namespace

std::unique_ptr<FrameWriter> make_draw_cycle_writer(int console) {
  return std::make_unique<DrawCycleWriter>(console);
}

}  // namespace bench
