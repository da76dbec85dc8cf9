// The real program on a pseudo-terminal under hostile conditions: the
// terminal hanging up, floods of input, tiny and changing window sizes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <csignal>
#include <ostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "case_name.hpp"
#include "support/game_pane.hpp"
#include "support/process_probe.hpp"
#include "support/pty_process.hpp"
#include "support/tmux_session.hpp"
#include "vt_screen.hpp"

namespace {

using namespace std::chrono_literals;
using testing_support::expect_quits_cleanly;
using testing_support::Launch;
using testing_support::peak_memory;
using testing_support::process_stat;
using testing_support::ProcessStat;
using testing_support::PtyProcess;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::TerminalSize;
using testing_support::wait_for_screen_text;

const std::string binary = RALLIX_BINARY;
constexpr TerminalSize SIZE{80, 24};

// Every input item costs the game a turn of its loop and a frame, so random
// input goes in at tens of KiB a second: the flood is sized to fill the
// input queue and the terminal's buffer many times over, not by megabytes.
#if defined(__SANITIZE_ADDRESS__)
// The sanitized program runs slower still, and keeps freed memory in
// quarantine, so it gets a smaller flood and more room.
constexpr std::size_t FLOOD_KIB = 32;
constexpr std::uint64_t PEAK_MEMORY_LIMIT = 512ull << 20;
#else
constexpr std::size_t FLOOD_KIB = 256;
constexpr std::uint64_t PEAK_MEMORY_LIMIT = 64ull << 20;
#endif
constexpr std::size_t PASTE_MIB = 2;

// Waits for the program to end, keeping the last look at it before it was gone.
bool wait_sampling_cpu(PtyProcess& game, std::optional<ProcessStat>& last,
                       std::chrono::milliseconds limit) {
  const auto give_up = std::chrono::steady_clock::now() + limit;
  while (!game.try_wait()) {
    if (std::chrono::steady_clock::now() > give_up) {
      return false;
    }
    if (const std::optional<ProcessStat> stat = process_stat(game.pid())) {
      last = stat;
    }
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

struct HangupCase {
  Launch launch;
  const char* name;
};

using case_printing::PrintTo;

class Hangup : public testing::TestWithParam<HangupCase> {};

// A closed terminal window leaves input that fails at once on every read and
// output that fails on every write; the program must end, not spin on them.
// As the session's leader it also gets SIGHUP; as a job, only the failures.
TEST_P(Hangup, EndsPromptlyWithoutSpinning) {
  const TempDir dir;
  PtyProcess game(binary, SIZE, {.launch = GetParam().launch, .stderr_path = dir.path("stderr")});
  ASSERT_TRUE(wait_for_screen_text(game, SIZE, "┌Rallix | 0 - 0"));
  const std::optional<ProcessStat> before = process_stat(game.pid());
  ASSERT_TRUE(before);

  game.close_master();
  std::optional<ProcessStat> last = before;
  const bool ended = wait_sampling_cpu(game, last, 20s);
  ASSERT_TRUE(ended) << "still running; its state " << last->state;
  EXPECT_LT((last->cpu - before->cpu).count(), 0.5) << "seconds of CPU until it was gone";
  const int status = *game.try_wait();
  EXPECT_TRUE(WIFEXITED(status) || WTERMSIG(status) == SIGHUP)
      << "killed by signal " << WTERMSIG(status) << "\n"
      << read_file(dir.path("stderr"));
}

INSTANTIATE_TEST_SUITE_P(Terminal, Hangup,
                         testing::Values(HangupCase{Launch::SessionLeader, "session_leader"},
                                         HangupCase{Launch::Job, "job"}),
                         case_name<HangupCase>);

// Random bytes with the quit keys taken out (q, Ctrl+Q: q with any modifier
// quits; Ctrl+C), so that the game must survive every other key, broken
// sequence and stray escape.
std::string random_input(std::size_t size) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string bytes;
  bytes.reserve(size);
  while (bytes.size() < size) {
    const char b = static_cast<char>(byte(random));
    if (b != 'q' && b != '\x11' && b != '\x03') {
      bytes += b;
    }
  }
  return bytes;
}

// Ends whatever the random bytes left open: a final byte closes a control
// sequence, BEL or ST a terminal string.
constexpr std::string_view CLOSE_ANY_SEQUENCE = "a\x07\x1b\\a";

// A paste longer than the decoder keeps; it holds quit keys that must stay text.
std::string long_paste(std::size_t size) {
  constexpr std::string_view line = "the quick brown fox quits the lazy dog\r";
  std::string text = "\x1b[200~";
  while (text.size() < size) {
    text += line;
  }
  return text + "\x1b[201~";
}

TEST(Flood, RandomBytesAndALongPasteLeaveTheGameRunningInBoundedMemory) {
  const TempDir dir;
  PtyProcess game(binary, SIZE, {.stderr_path = dir.path("stderr")});
  ASSERT_TRUE(wait_for_screen_text(game, SIZE, "┌Rallix | 0 - 0"));

  ASSERT_TRUE(game.write(random_input(FLOOD_KIB << 10), 120s)) << "the game stopped reading";
  ASSERT_TRUE(game.write(CLOSE_ANY_SEQUENCE));
  game.drain_for(100ms);
  ASSERT_TRUE(game.write(long_paste(PASTE_MIB << 20), 120s)) << "the game stopped reading";
  game.drain_for(100ms);
  ASSERT_FALSE(game.try_wait()) << "the game ended";

  // A new size makes it draw the whole frame again.
  const std::uint64_t before_resize = game.output_bytes();
  game.resize({100, 30});
  EXPECT_TRUE(wait_for_screen_text(game, {100, 30}, "┌Rallix | ", before_resize, 60s))
      << "no longer drawing";

  const std::optional<std::uint64_t> peak = peak_memory(game.pid());
  ASSERT_TRUE(peak);
  EXPECT_LT(*peak, PEAK_MEMORY_LIMIT);
  expect_quits_cleanly(game, dir.path("stderr"));
}

struct SizeCase {
  TerminalSize size;
  const char* name;
};

class TinyOrThinTerminal : public testing::TestWithParam<SizeCase> {};

TEST_P(TinyOrThinTerminal, DrawsOnScreenAndQuitsCleanly) {
  const TempDir dir;
  const TerminalSize size = GetParam().size;
  PtyProcess game(binary, size, {.stderr_path = dir.path("stderr")});
  ASSERT_TRUE(game.wait_for_text("\x1b[?1049h")) << "never took the terminal";
  game.drain_for(300ms);
  ASSERT_FALSE(game.try_wait()) << "the game ended";
  EXPECT_NE(game.output().find("\x1b[H"), std::string_view::npos) << "never drew";

  expect_quits_cleanly(game, dir.path("stderr"));
  ASSERT_LE(game.output_bytes(), PtyProcess::KEPT_OUTPUT);
  tui::testing::VtScreen screen({size.width, size.height});
  screen.feed(game.output());
  EXPECT_EQ(screen.moves_off_screen(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Sizes, TinyOrThinTerminal,
                         testing::Values(SizeCase{{1, 1}, "w1_h1"}, SizeCase{{2, 2}, "w2_h2"},
                                         SizeCase{{3, 3}, "w3_h3"}, SizeCase{{10, 3}, "w10_h3"},
                                         SizeCase{{200, 1}, "w200_h1"},
                                         SizeCase{{1, 200}, "w1_h200"}),
                         case_name<SizeCase>);

TEST(ResizeStorm, KeepsRunningAndQuitsCleanly) {
  const TempDir dir;
  PtyProcess game(binary, SIZE, {.stderr_path = dir.path("stderr")});
  ASSERT_TRUE(wait_for_screen_text(game, SIZE, "┌Rallix | 0 - 0"));

  std::mt19937 random(7);
  std::uniform_int_distribution<int> width(1, 300);
  std::uniform_int_distribution<int> height(1, 100);
  for (int i = 0; i < 300; ++i) {
    game.resize(
        {static_cast<unsigned short>(width(random)), static_cast<unsigned short>(height(random))});
    game.drain_for(2ms);
  }
  const std::uint64_t before_last = game.output_bytes();
  game.resize(SIZE);
  EXPECT_TRUE(wait_for_screen_text(game, SIZE, "┌Rallix | ", before_last, 30s))
      << "no longer drawing";
  ASSERT_FALSE(game.try_wait()) << "the game ended";
  expect_quits_cleanly(game, dir.path("stderr"));
}

}  // namespace
