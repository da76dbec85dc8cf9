// The main loop's turns, driven in process: a terminal object over the
// in-memory console, and an event source reading keys that the test types
// into a pseudo-terminal.
//
// Ticks come from the real clock, so their number is not fixed in advance;
// it is read back from the game afterwards (the play is deterministic), and
// every rule is checked against it.
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>
#include <asio/co_spawn.hpp>
#include <asio/io_context.hpp>
#include <asio/steady_timer.hpp>

#include <algorithm>
#include <chrono>
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "case_name.hpp"
#include "descriptors.hpp"
#include "game.hpp"
#include "main_loop.hpp"
#include "tui/terminal/event_source.hpp"
#include "tui/terminal/memory_backend.hpp"
#include "tui/terminal/signals.hpp"
#include "tui/terminal/terminal.hpp"

namespace {

using namespace std::chrono_literals;
using Call = tui::MemoryBackend::Call;
using case_printing::PrintTo;

constexpr tui::Size SCREEN{80, 24};

// How many ticks of play from a fresh game give `state`; none when no
// number within a long game does (the loop played something else).
std::optional<int> ticks_played(GameState state) {
  state.running = true;  // what the quit key changed
  GameState replay;
  for (int ticks = 0; ticks <= 100'000; ++ticks) {
    if (replay == state) {
      return ticks;
    }
    replay.update();
  }
  return std::nullopt;
}

struct Turns {
  int frames = 0;
  std::optional<int> ticks;
  bool succeeded = false;
};

struct Case {
  const char* name;
  std::string keys;
  // Items that end a turn before the loop ends: keys that change nothing.
  int items_before_end;
  std::chrono::milliseconds delay;
  // After the keys the terminal goes away, rather than a key quitting.
  bool hang_up = false;
};

// Runs the loop until it returns; the keys are typed after the delay.
Turns play(const Case& c) {
  asio::io_context context;
  tui::testing::Pty pty(SCREEN);
  termios raw{};
  ::tcgetattr(pty.slave, &raw);
  ::cfmakeraw(&raw);
  ::tcsetattr(pty.slave, TCSANOW, &raw);

  auto owned = std::make_unique<tui::MemoryBackend>(SCREEN);
  const tui::MemoryBackend& console = *owned;
  tui::Terminal terminal(std::move(owned), SCREEN);
  tui::EventSource events = tui::EventSource::open(context.get_executor(), pty.slave);
  tui::Signals signals(context.get_executor());
  GameState state;

  asio::steady_timer typing(context, c.delay);
  typing.async_wait([&](std::error_code) {
    EXPECT_EQ(::write(pty.master, c.keys.data(), c.keys.size()),
              static_cast<ssize_t>(c.keys.size()));
    if (c.hang_up) {
      tui::testing::close_fd(pty.master);
    }
  });
  std::optional<RunResult> result;
  asio::co_spawn(context, run(events, state, terminal, signals),
                 [&](std::exception_ptr error, RunResult ended) {
                   if (error) {
                     std::rethrow_exception(error);
                   }
                   result = std::move(ended);
                   signals.close();
                 });
  // Only a loop that never ends runs this long.
  context.run_for(20s);

  const auto& calls = console.calls();
  return Turns{.frames = static_cast<int>(std::ranges::count(calls, Call::Size)),
               .ticks = ticks_played(state),
               .succeeded = result.has_value() && result->has_value()};
}

class MainLoopTurns : public testing::TestWithParam<Case> {};

// A frame before the first wait, one after every tick and every item, and
// none once a quit key has ended the game or the terminal has gone (which
// ends it with an error).
TEST_P(MainLoopTurns, DrawOneFramePerTickAndItemAndNoneAfterTheEnd) {
  const Case& c = GetParam();
  const Turns turns = play(c);
  EXPECT_EQ(turns.succeeded, !c.hang_up);
  ASSERT_TRUE(turns.ticks.has_value()) << "the game was not left as ticks alone leave it";
  EXPECT_EQ(turns.frames, 1 + *turns.ticks + c.items_before_end);
}

INSTANTIATE_TEST_SUITE_P(Keys, MainLoopTurns,
                         testing::Values(Case{"QuitAtOnce", "q", 0, 0ms},
                                         Case{"QuitAfterTicks", "q", 0, 300ms},
                                         Case{"UnboundKeysThenQuit", "xQ1 q", 4, 100ms},
                                         Case{"CtrlC", "\x03", 0, 100ms},
                                         Case{"HangUp", "", 0, 200ms, true}),
                         case_name<Case>);

}  // namespace
