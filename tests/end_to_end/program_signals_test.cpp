// The real program on a pseudo-terminal, signalled from outside: every way
// it is asked to end, stopped or crashed gives the terminal back.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <csignal>
#include <ostream>
#include <string>
#include <vector>

#include "case_name.hpp"
#include "support/game_pane.hpp"
#include "support/process_probe.hpp"
#include "support/pty_process.hpp"
#include "support/tmux_session.hpp"

namespace {

using testing_support::expect_quits_cleanly;
using testing_support::expect_screen_left_blank;
using testing_support::expect_terminal_given_back;
using testing_support::expect_terminal_taken;
using testing_support::Launch;
using testing_support::process_stat;
using testing_support::PtyProcess;
using testing_support::read_file;
using testing_support::screen_rows;
using testing_support::TempDir;
using testing_support::TerminalSize;
using testing_support::wait_for_screen_text;

using namespace std::chrono_literals;

const std::string binary = RALLIX_BINARY;
constexpr TerminalSize SIZE{80, 24};
constexpr std::string_view TITLE = "┌Rallix | 0 - 0";
constexpr std::string_view HIDE_CURSOR = "\x1b[?25l";  // the end of every frame
constexpr int TICKS_IN_HALF_A_SECOND = 10;

int count_frames(std::string_view output) {
  int n = 0;
  for (auto at = output.find(HIDE_CURSOR); at != std::string_view::npos;
       at = output.find(HIDE_CURSOR, at + 1)) {
    ++n;
  }
  return n;
}

// The border all round and the title; the score may have moved meanwhile.
bool shows_whole_frame(const std::vector<std::string>& rows) {
  return rows.front().starts_with("┌Rallix | ") && rows.front().ends_with("┐") &&
         rows.back().starts_with("└") && rows.back().ends_with("┘");
}

bool wait_for_state(PtyProcess& game, char state) {
  return game.wait_for_output([&](std::string_view) {
    const auto stat = process_stat(game.pid());
    return stat && stat->state == state;
  });
}

struct SignalCase {
  int signal;
  const char* name;
};

using case_printing::PrintTo;

class EndsBySignal : public testing::TestWithParam<SignalCase> {};

// Asked to end, the game shuts down as on a quit key; crashed, its handler
// gives the terminal back, the game's screen erased. Either way the parent
// then sees the signal itself, not an exit status that only looks like it.
TEST_P(EndsBySignal, GivesTheTerminalBackAndDiesOfTheSignal) {
  const TempDir dir;
  PtyProcess game(binary, SIZE, {.stderr_path = dir.path("stderr")});
  ASSERT_TRUE(wait_for_screen_text(game, SIZE, TITLE));
  ASSERT_EQ(::kill(game.pid(), GetParam().signal), 0);

  const std::optional<int> status = game.wait_exit();
  ASSERT_TRUE(status) << "still running";
  ASSERT_TRUE(WIFSIGNALED(*status)) << "exited with status " << WEXITSTATUS(*status);
  EXPECT_EQ(WTERMSIG(*status), GetParam().signal);
  expect_terminal_given_back(game);
  expect_screen_left_blank(game, SIZE);
  EXPECT_EQ(read_file(dir.path("stderr")), "");
}

INSTANTIATE_TEST_SUITE_P(Ending, EndsBySignal,
                         testing::Values(SignalCase{SIGTERM, "term"}, SignalCase{SIGHUP, "hup"},
                                         SignalCase{SIGINT, "int"}, SignalCase{SIGQUIT, "quit"}),
                         case_name<SignalCase>);

INSTANTIATE_TEST_SUITE_P(Fatal, EndsBySignal,
                         testing::Values(SignalCase{SIGSEGV, "segv"}, SignalCase{SIGABRT, "abrt"},
                                         SignalCase{SIGBUS, "bus"}, SignalCase{SIGFPE, "fpe"},
                                         SignalCase{SIGILL, "ill"}),
                         case_name<SignalCase>);

// A job control stop hands the terminal to the shell, on a clean page;
// continuing takes it over again and draws the whole frame, since the shell
// wrote over it.
TEST(Suspend, GivesTheTerminalBackUntilContinuedThenRedrawsAndPlaysOn) {
  const TempDir dir;
  PtyProcess game(binary, SIZE, {.launch = Launch::Job, .stderr_path = dir.path("stderr")});
  ASSERT_TRUE(wait_for_screen_text(game, SIZE, TITLE));

  ASSERT_EQ(::kill(game.pid(), SIGTSTP), 0);
  ASSERT_TRUE(wait_for_state(game, 'T')) << "not stopped";
  game.drain_for(std::chrono::milliseconds(50));
  expect_terminal_given_back(game);
  expect_screen_left_blank(game, SIZE);

  const std::uint64_t before_continue = game.output_bytes();
  ASSERT_EQ(::kill(game.pid(), SIGCONT), 0);
  const auto redrawn = [&] { return screen_rows(game.output_since(before_continue), SIZE); };
  EXPECT_TRUE(game.wait_for_output([&](std::string_view) { return shows_whole_frame(redrawn()); }))
      << testing::PrintToString(redrawn());
  expect_terminal_taken(game);

  // Each tick moves the ball or a paddle, and each move draws a block.
  EXPECT_TRUE(game.wait_for_output(
      [](std::string_view drawn) { return drawn.find("█") != std::string_view::npos; },
      game.output_bytes()))
      << "the game no longer moves";

  expect_quits_cleanly(game, dir.path("stderr"));
}

struct StopCase {
  int signal;
  Launch launch;
  const char* name;
};

class StoppedForASecond : public testing::TestWithParam<StopCase> {};

// No one sees the game while it is stopped, so none of that time is played
// after the continue: it goes on where it was, at its usual pace, whether it
// gave the terminal back first (SIGTSTP) or was stopped where it stood
// (SIGSTOP).
TEST_P(StoppedForASecond, PlaysNoneOfTheMissedTicksOnceContinued) {
  const TempDir dir;
  PtyProcess game(binary, SIZE, {.launch = GetParam().launch, .stderr_path = dir.path("stderr")});
  ASSERT_TRUE(wait_for_screen_text(game, SIZE, TITLE));
  ASSERT_EQ(::kill(game.pid(), GetParam().signal), 0);
  ASSERT_TRUE(wait_for_state(game, 'T')) << "not stopped";
  game.drain_for(1s);

  const std::uint64_t before_continue = game.output_bytes();
  ASSERT_EQ(::kill(game.pid(), SIGCONT), 0);
  game.drain_for(500ms);
  // One frame redraws the whole screen, then each tick draws one.
  const int ticks = count_frames(game.output_since(before_continue)) - 1;
  EXPECT_LE(ticks, TICKS_IN_HALF_A_SECOND + 1) << "ticks drawn in the 0.5 s after the continue";
  EXPECT_TRUE(game.wait_for_text(HIDE_CURSOR, game.output_bytes())) << "the game no longer plays";

  expect_quits_cleanly(game, dir.path("stderr"));
}

INSTANTIATE_TEST_SUITE_P(Stops, StoppedForASecond,
                         testing::Values(StopCase{SIGSTOP, Launch::SessionLeader, "stop"},
                                         StopCase{SIGTSTP, Launch::Job, "terminal_stop"}),
                         case_name<StopCase>);

}  // namespace
