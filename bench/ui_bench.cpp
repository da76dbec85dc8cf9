// How long building one frame takes, from the game record to a filled cell buffer.
#include <benchmark/benchmark.h>

#include "game.hpp"
#include "tui/screen/buffer.hpp"
#include "tui/screen/frame.hpp"
#include "ui.hpp"

namespace {

void draw_frame(benchmark::State& bench, GamePhase phase) {
  const int width = static_cast<int>(bench.range(0));
  const int height = static_cast<int>(bench.range(1));
  GameState state;
  state.phase = phase;
  tui::Buffer buffer(tui::Rect{0, 0, width, height});
  for (auto _ : bench) {
    // The draw cycle hands over a blank buffer for every frame.
    buffer.reset();
    tui::Frame frame(buffer);
    draw_screen(state, frame);
    benchmark::DoNotOptimize(buffer);
  }
  bench.SetItemsProcessed(bench.iterations());
  bench.counters["cells"] = static_cast<double>(width) * height;
}

void BM_DrawPlayingFrame(benchmark::State& bench) {
  draw_frame(bench, GamePhase::Playing);
}
void BM_DrawPausedFrame(benchmark::State& bench) {
  draw_frame(bench, GamePhase::Paused);
}

BENCHMARK(BM_DrawPlayingFrame)->Args({80, 24})->Args({300, 100});
BENCHMARK(BM_DrawPausedFrame)->Args({80, 24})->Args({300, 100});

}  // namespace
