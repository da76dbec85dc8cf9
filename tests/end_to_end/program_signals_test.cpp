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

// The terminal's answers to the game's queries: it speaks the keyboard
// protocol, and the device attributes end the answers.
constexpr std::string_view PROTOCOL_ANSWER = "\x1b[?0u\x1b[?62;22c";
constexpr std::string_view PUSH_KEYBOARD_FLAGS = "\x1b[>11u";
constexpr std::string_view CTRL_Z = "\x1a";
constexpr std::string_view CTRL_Z_IN_PROTOCOL = "\x1b[122;5u";

// Waits for the first frame and, when asked to, answers the queries as a
// terminal with the keyboard protocol does, until the game has turned it on.
bool start_playing(PtyProcess& game, bool keyboard_protocol) {
  if (!wait_for_screen_text(game, SIZE, TITLE)) {
    return false;
  }
  if (!keyboard_protocol) {
    return true;
  }
  const std::uint64_t before = game.output_bytes();
  if (!game.write(PROTOCOL_ANSWER) || !game.wait_for_text(PUSH_KEYBOARD_FLAGS, before)) {
    return false;
  }
  // and a frame after it, so that the frames end before the way out
  const std::size_t pushed = game.output_since(before).find(PUSH_KEYBOARD_FLAGS);
  return game.wait_for_text(HIDE_CURSOR, before + pushed);
}

// What every way out writes after the last frame, and in this order: the
// cursor shown, the game's screen erased, the keyboard flags popped (when
// they were pushed), the normal screen back.
std::string given_back(bool keyboard_protocol) {
  return std::string("\x1b[?25h\x1b[m\x1b[2J\x1b[H") + (keyboard_protocol ? "\x1b[<u" : "") +
         "\x1b[?1049l";
}

struct WayOutCase {
  const char* keys;  // typed to leave; none: `signal` is sent from outside
  int signal;
  bool keyboard_protocol;
  bool stops;  // a job control stop: the game is a job under a shell
  const char* name;
};

void PrintTo(const WayOutCase& c, std::ostream* out) {
  *out << c.name;
}

class WayOut : public testing::TestWithParam<WayOutCase> {};

TEST_P(WayOut, GivesTheSameBytesBackInTheSameOrder) {
  const WayOutCase& way = GetParam();
  const TempDir dir;
  PtyProcess game(binary, SIZE,
                  {.launch = way.stops ? Launch::Job : Launch::SessionLeader,
                   .stderr_path = dir.path("stderr")});
  ASSERT_TRUE(start_playing(game, way.keyboard_protocol));
  if (way.keys != nullptr) {
    ASSERT_TRUE(game.write(way.keys));
  } else {
    ASSERT_EQ(::kill(game.pid(), way.signal), 0);
  }
  if (way.stops) {
    ASSERT_TRUE(wait_for_state(game, 'T')) << "not stopped";
    game.drain_for(std::chrono::milliseconds(50));
    EXPECT_EQ(game.stop_signals(), std::vector<int>{SIGTSTP});
  } else {
    ASSERT_TRUE(game.wait_exit()) << "still running";
  }
  const std::string_view output = game.output();
  const std::size_t last_frame = output.rfind(HIDE_CURSOR);
  ASSERT_NE(last_frame, std::string_view::npos);
  EXPECT_EQ(output.substr(last_frame + HIDE_CURSOR.size()), given_back(way.keyboard_protocol));
}

INSTANTIATE_TEST_SUITE_P(
    Exits, WayOut,
    testing::Values(WayOutCase{"q", 0, false, false, "quit"},
                    WayOutCase{"\x1b[113u", 0, true, false, "quit_in_protocol"},
                    WayOutCase{nullptr, SIGTERM, true, false, "term"},
                    WayOutCase{nullptr, SIGHUP, true, false, "hup"},
                    WayOutCase{nullptr, SIGINT, true, false, "int"},
                    WayOutCase{nullptr, SIGQUIT, true, false, "quit_signal"},
                    WayOutCase{nullptr, SIGSEGV, true, false, "segv"},
                    WayOutCase{nullptr, SIGABRT, true, false, "abrt"},
                    WayOutCase{nullptr, SIGTSTP, true, true, "terminal_stop"},
                    WayOutCase{CTRL_Z.data(), 0, false, true, "ctrl_z"},
                    WayOutCase{CTRL_Z_IN_PROTOCOL.data(), 0, true, true, "ctrl_z_in_protocol"}),
    case_name<WayOutCase>);

struct SuspendCase {
  const char* keys;  // typed to stop; none: SIGTSTP is sent from outside
  bool keyboard_protocol;
  const char* name;
};

void PrintTo(const SuspendCase& c, std::ostream* out) {
  *out << c.name;
}

class Suspend : public testing::TestWithParam<SuspendCase> {};

// A job control stop hands the terminal to the shell, on a clean page;
// continuing takes it over again and draws the whole frame, since the shell
// wrote over it. Ctrl+Z stops the game as the terminal driver would.
TEST_P(Suspend, GivesTheTerminalBackUntilContinuedThenRedrawsAndPlaysOn) {
  const TempDir dir;
  PtyProcess game(binary, SIZE, {.launch = Launch::Job, .stderr_path = dir.path("stderr")});
  ASSERT_TRUE(start_playing(game, GetParam().keyboard_protocol));

  if (GetParam().keys != nullptr) {
    ASSERT_TRUE(game.write(GetParam().keys));
  } else {
    ASSERT_EQ(::kill(game.pid(), SIGTSTP), 0);
  }
  ASSERT_TRUE(wait_for_state(game, 'T')) << "not stopped";
  game.drain_for(std::chrono::milliseconds(50));
  EXPECT_EQ(game.stop_signals(), std::vector<int>{SIGTSTP});
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

INSTANTIATE_TEST_SUITE_P(Stops, Suspend,
                         testing::Values(SuspendCase{nullptr, false, "terminal_stop"},
                                         SuspendCase{CTRL_Z.data(), false, "ctrl_z"},
                                         SuspendCase{CTRL_Z_IN_PROTOCOL.data(), true,
                                                     "ctrl_z_in_protocol"}),
                         case_name<SuspendCase>);

struct NoStopCase {
  const char* keys;  // typed; none: SIGTSTP is sent from outside
  bool keyboard_protocol;
  Launch launch;
  const char* name;
};

void PrintTo(const NoStopCase& c, std::ostream* out) {
  *out << c.name;
}

class NoStop : public testing::TestWithParam<NoStopCase> {};

// Only Ctrl+Z itself stops the game, and only where a shell can continue
// it: a process group without one (run straight under tmux, or as an SSH
// session's command) could never be continued, so the game keeps the
// console and plays on.
TEST_P(NoStop, KeepsTheConsoleAndPlaysOn) {
  const TempDir dir;
  PtyProcess game(binary, SIZE, {.launch = GetParam().launch, .stderr_path = dir.path("stderr")});
  ASSERT_TRUE(start_playing(game, GetParam().keyboard_protocol));
  const std::uint64_t before = game.output_bytes();
  if (GetParam().keys != nullptr) {
    ASSERT_TRUE(game.write(GetParam().keys));
  } else {
    ASSERT_EQ(::kill(game.pid(), SIGTSTP), 0);
  }
  // Esc pauses: by the time that shows, the key before it has been handled.
  ASSERT_TRUE(game.write("\x1b"));
  ASSERT_TRUE(wait_for_screen_text(game, SIZE, "Paused"));
  game.drain_for(std::chrono::milliseconds(300));
  EXPECT_NE(process_stat(game.pid())->state, 'T');
  EXPECT_EQ(game.output_since(before).find("\x1b[?1049l"), std::string_view::npos)
      << "the console was left";
  expect_quits_cleanly(game, dir.path("stderr"));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, NoStop,
    testing::Values(NoStopCase{"\x1b[122;5:3u", true, Launch::Job, "ctrl_z_release"},
                    NoStopCase{"\x1b[122;6u", true, Launch::Job, "ctrl_shift_z"},
                    NoStopCase{"\x1b[122;7u", true, Launch::Job, "ctrl_alt_z"},
                    NoStopCase{"\x1b[122;69u", true, Launch::Job, "ctrl_z_with_caps_lock"},
                    NoStopCase{CTRL_Z.data(), false, Launch::SessionLeader, "orphaned_ctrl_z"},
                    NoStopCase{CTRL_Z_IN_PROTOCOL.data(), true, Launch::SessionLeader,
                               "orphaned_ctrl_z_in_protocol"},
                    NoStopCase{nullptr, false, Launch::SessionLeader, "orphaned_terminal_stop"}),
    case_name<NoStopCase>);

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
