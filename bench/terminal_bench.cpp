// What one frame of the draw cycle costs, in bytes sent to the console and
// in time, for a game-like picture at a small and a large console size.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <cstdint>
#include <memory>
#include <string>

#include "tui/terminal/ansi_backend.hpp"
#include "tui/terminal/terminal.hpp"

namespace {

using namespace tui;

// A bordered frame with a title, a net down the middle and two paddles.
Buffer game_picture(Size size) {
  Buffer buffer(Rect{0, 0, size.width, size.height});
  const int right = size.width - 1;
  const int bottom = size.height - 1;
  for (int x = 1; x < right; ++x) {
    buffer.at({x, 0}).symbol = U'─';
    buffer.at({x, bottom}).symbol = U'─';
  }
  for (int y = 1; y < bottom; ++y) {
    buffer.at({0, y}).symbol = U'│';
    buffer.at({right, y}).symbol = U'│';
    buffer.at({size.width / 2, y}) = Cell{U'•', Color::White};
  }
  buffer.at({0, 0}).symbol = U'┌';
  buffer.at({right, 0}).symbol = U'┐';
  buffer.at({0, bottom}).symbol = U'└';
  buffer.at({right, bottom}).symbol = U'┘';
  buffer.set_string({1, 0}, "Rallix | 0 - 0", {}, size.width - 2);
  for (int y = size.height / 3; y < size.height / 3 + 7 && y < bottom; ++y) {
    buffer.at({1, y}) = Cell{U'█', Color::Green};
    buffer.at({right - 1, y}) = Cell{U'█', Color::Red};
  }
  return buffer;
}

enum class Change { None, TwoCells, Everything };

void draw_frames(benchmark::State& state, Change change) {
  const Size size{static_cast<int>(state.range(0)), static_cast<int>(state.range(1))};
  winsize window{static_cast<unsigned short>(size.height), static_cast<unsigned short>(size.width),
                 0, 0};
  int master = -1;
  int slave = -1;
  if (::openpty(&master, &slave, nullptr, nullptr, &window) != 0) {
    state.SkipWithError("no pseudo-terminal for the window size");
    return;
  }
  const int sink = ::open("/dev/null", O_WRONLY);
  auto owned = std::make_unique<AnsiBackend>(sink, slave);
  const AnsiBackend& backend = *owned;
  Terminal terminal(std::move(owned), size);

  // The ball moves between two cells: each frame clears one and fills the other.
  Buffer pictures[2] = {game_picture(size), game_picture(size)};
  pictures[0].at({size.width / 4, size.height / 2}) = Cell{U'█', Color::Yellow};
  pictures[1].at({size.width / 4 + 1, size.height / 2 + 1}) = Cell{U'█', Color::Yellow};
  (void)terminal.draw([&](Frame& frame) { frame.buffer() = pictures[0]; });

  const std::uint64_t before = backend.bytes_written();
  std::size_t frame_number = 0;
  for (auto _ : state) {
    if (change == Change::Everything) {
      terminal.force_full_redraw();
    }
    const Buffer& picture = change == Change::TwoCells ? pictures[++frame_number % 2] : pictures[0];
    if (!terminal.draw([&picture](Frame& frame) { frame.buffer() = picture; })) {
      state.SkipWithError("draw failed");
      break;
    }
  }
  const auto frames = static_cast<double>(state.iterations());
  state.counters["bytes_per_frame"] =
      static_cast<double>(backend.bytes_written() - before) / frames;
  state.counters["time_per_frame"] =
      benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  terminal.close();
  ::close(sink);
  ::close(slave);
  ::close(master);
}

void unchanged_frame(benchmark::State& state) {
  draw_frames(state, Change::None);
}
void two_cells_changed(benchmark::State& state) {
  draw_frames(state, Change::TwoCells);
}
void full_redraw(benchmark::State& state) {
  draw_frames(state, Change::Everything);
}

BENCHMARK(unchanged_frame)->Args({80, 24})->Args({300, 100});
BENCHMARK(two_cells_changed)->Args({80, 24})->Args({300, 100});
BENCHMARK(full_redraw)->Args({80, 24})->Args({300, 100});

}  // namespace
