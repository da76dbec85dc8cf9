// The real program on a pseudo-terminal, at the two ends of its time there:
// it leaves none of the terminal's answers to its queries for the shell to
// read, plays no key typed before it took the console, and leaves no stale
// text on a console without an alternate screen, on the way in or out.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <ostream>
#include <string>
#include <string_view>

#include "case_name.hpp"
#include "support/game_pane.hpp"
#include "support/pty_process.hpp"
#include "support/tmux_session.hpp"

namespace {

using namespace std::chrono_literals;
using testing_support::ConsoleView;
using testing_support::expect_quits_cleanly;
using testing_support::expect_screen_left_blank;
using testing_support::expect_terminal_given_back;
using testing_support::PtyProcess;
using testing_support::read_file;
using testing_support::shows_old_text;
using testing_support::shows_text;
using testing_support::TempDir;
using testing_support::TerminalSize;
using testing_support::view_over_old_text;
using testing_support::wait_for_screen_text;
using Clock = std::chrono::steady_clock;

const std::string binary = RALLIX_BINARY;
constexpr TerminalSize SIZE{80, 24};
constexpr std::string_view TITLE = "┌Rallix | 0 - 0";
constexpr std::string_view HIDE_CURSOR = "\x1b[?25l";  // the end of every frame

// What the game asks at start: the keyboard protocol's flags, then the
// device attributes. A terminal that speaks the protocol answers both, in
// that order; the game then pushes flags of its own.
constexpr std::string_view QUERIES = "\x1b[?u\x1b[c";
constexpr std::string_view ANSWERS = "\x1b[?0u\x1b[?62;22c";
constexpr std::string_view PUSH_KEYBOARD_FLAGS = "\x1b[>11u";

enum class Answer { AtOnce, AfterTheQuit, Never };

struct AnswerCase {
  Answer answer;
  const char* name;
};

using case_printing::PrintTo;

class TerminalAnswers : public testing::TestWithParam<AnswerCase> {};

// An answer still on its way when the game gives the terminal back would be
// read by the shell as typed text ("1;2c" in front of the next command).
TEST_P(TerminalAnswers, NoneIsLeftForTheShellAndNoneHoldsTheExit) {
  const TempDir dir;
  PtyProcess game(binary, SIZE, {.stderr_path = dir.path("stderr")});
  ASSERT_TRUE(game.wait_for_text(QUERIES)) << "never asked";
  const Clock::time_point asked = Clock::now();
  if (GetParam().answer == Answer::AtOnce) {
    ASSERT_TRUE(game.write(ANSWERS));
    ASSERT_TRUE(game.wait_for_text(PUSH_KEYBOARD_FLAGS)) << "an answer in time is acted on";
  }
  ASSERT_TRUE(wait_for_screen_text(game, SIZE, TITLE));

  const std::uint64_t before_quit = game.output_bytes();
  const Clock::time_point quit = Clock::now();
  ASSERT_TRUE(game.write("q"));
  if (GetParam().answer == Answer::AfterTheQuit) {
    // 40 ms after the q, but inside the 100 ms the game waits from the
    // queries on, even where a slow build drew the first frame late.
    const Clock::time_point answer = std::min(quit + 40ms, asked + 70ms);
    game.drain_for(std::chrono::duration_cast<std::chrono::milliseconds>(
        std::max(answer - Clock::now(), Clock::duration::zero())));
    ASSERT_TRUE(game.write(ANSWERS));
  }
  const std::optional<int> status = game.wait_exit(
      std::chrono::duration_cast<std::chrono::milliseconds>(quit + 1s - Clock::now()));
  ASSERT_TRUE(status) << "still running 1 s after the quit";
  ASSERT_TRUE(WIFEXITED(*status)) << "killed by signal " << WTERMSIG(*status);
  EXPECT_EQ(WEXITSTATUS(*status), 0);
  expect_terminal_given_back(game);
  EXPECT_EQ(read_file(dir.path("stderr")), "");
  EXPECT_EQ(game.unread_input(), "")
      << "the quit went out "
      << std::chrono::duration_cast<std::chrono::milliseconds>(quit - asked).count()
      << " ms after the queries were seen";
  EXPECT_EQ(game.output_since(before_quit).find(PUSH_KEYBOARD_FLAGS), std::string_view::npos)
      << "an answer read on the way out is not acted on";
}

INSTANTIATE_TEST_SUITE_P(Queries, TerminalAnswers,
                         testing::Values(AnswerCase{Answer::AtOnce, "at_once"},
                                         AnswerCase{Answer::AfterTheQuit, "after_the_quit"},
                                         AnswerCase{Answer::Never, "never"}),
                         case_name<AnswerCase>);

struct TypedAheadCase {
  std::string keys;
  const char* name;
};

class TypedAhead : public testing::TestWithParam<TypedAheadCase> {};

// Keys typed while the game was being built or started were meant for
// something else; keys typed once the game shows are played.
TEST_P(TypedAhead, IsNotPlayedWhileKeysTypedAfterTheFirstFrameAre) {
  const TempDir dir;
  PtyProcess game(binary, SIZE,
                  {.stderr_path = dir.path("stderr"), .typed_ahead = GetParam().keys});
  ASSERT_TRUE(wait_for_screen_text(game, SIZE, TITLE));
  game.drain_for(300ms);  // long past the grace period that makes a lone ESC the Esc key
  ASSERT_FALSE(game.try_wait()) << "a key typed ahead ended the game";
  EXPECT_FALSE(shows_text(game, SIZE, "Paused")) << "a key typed ahead paused the game";

  const std::uint64_t before_pause = game.output_bytes();
  ASSERT_TRUE(game.write("\x1b"));
  EXPECT_TRUE(wait_for_screen_text(game, SIZE, "Paused", before_pause)) << "Esc not played";
  expect_quits_cleanly(game, dir.path("stderr"));
}

INSTANTIATE_TEST_SUITE_P(Keys, TypedAhead,
                         testing::Values(TypedAheadCase{"q", "quit"},
                                         TypedAheadCase{"\x1b", "pause"},
                                         TypedAheadCase{"ww\x1b[Aq", "several"}),
                         case_name<TypedAheadCase>);

// A console without an alternate screen (or with it turned off, as tmux
// allows) still shows what the shell printed before the game started.
TEST(OldText, IsErasedBeforeTheFirstFrameAndTheGameBeforeTheShellComesBack) {
  const TempDir dir;
  PtyProcess game(binary, SIZE, {.stderr_path = dir.path("stderr")});
  ASSERT_TRUE(wait_for_screen_text(game, SIZE, TITLE));
  ASSERT_TRUE(game.wait_for_text(HIDE_CURSOR));
  const ConsoleView first = view_over_old_text(game.output(), SIZE);
  EXPECT_FALSE(shows_old_text(first)) << testing::PrintToString(first.rows);

  expect_quits_cleanly(game, dir.path("stderr"));
  expect_screen_left_blank(game, SIZE);
}

}  // namespace
