// The real program in a real kitty, typed at through an X server as a
// keyboard would: the kitty keyboard protocol end to end, with presses,
// releases, auto-repeat, modifiers and Caps Lock as kitty reports them.
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "case_name.hpp"
#include "support/kitty_session.hpp"
#include "support/tmux_session.hpp"

namespace {

using testing_support::KittyOptions;
using testing_support::KittySession;
using testing_support::read_file;
using testing_support::shell_quote;
using testing_support::TempDir;
using testing_support::TmuxSession;

const std::string binary = RALLIX_BINARY;
const std::string TITLE = "┌Rallix | 0 - 0";

// The window runs the game, records its pid and how it ended, then runs
// `after`. By default the window stays, its screen readable, whatever is
// typed after a game that ended too soon: Ctrl+C included.
std::string game_then(const TempDir& dir,
                      const std::string& after = "trap '' INT; exec sleep 600") {
  const std::string game =
      "echo $$ >" + dir.path("pid") + "; exec " + shell_quote(binary) + " 2>" + dir.path("stderr");
  return "sh -c " + shell_quote(game) + "; echo $? >" + dir.path("status") + "; " + after;
}

bool wait_until(const std::function<bool()>& done) {
  return TmuxSession::wait_until(done);
}

// The game asks whether the terminal speaks the keyboard protocol without
// waiting for the answer, and turns the protocol on when the answer comes,
// just after its first frame. A key typed before that would arrive in the
// legacy encoding: no releases or repeats, and Ctrl+C the same with Caps
// Lock as without. kitty shows what it is sent in order, and the game reads
// waiting input at the latest on its second tick, so a few frames on from
// the first the flags are in place.
bool wait_until_playing(const KittySession& kitty) {
  if (!kitty.wait_for_text(TITLE)) {
    return false;
  }
  std::vector<std::string> seen = kitty.screen();
  for (int frame = 0; frame < 4; ++frame) {
    const bool changed = wait_until([&] {
      std::vector<std::string> now = kitty.screen();
      const bool differs = now != seen;
      seen = std::move(now);
      return differs;
    });
    if (!changed) {
      return false;
    }
  }
  return true;
}

// The top row of the user's paddle: the first row with a block in column 1
// (at the top wall the paddle stands half a unit into the border).
int paddle_top_row(const KittySession& kitty) {
  const std::vector<std::string> rows = kitty.screen();
  for (std::size_t row = 0; row < rows.size(); ++row) {
    if (rows[row].starts_with("│█") || rows[row].starts_with("┌█")) {
      return static_cast<int>(row);
    }
  }
  return -1;
}

bool ended(const TempDir& dir) {
  return !read_file(dir.path("status")).empty();
}

// The game's exit status as its shell saw it, once it has ended.
std::string status(const TempDir& dir) {
  wait_until([&] { return ended(dir); });
  return read_file(dir.path("status"));
}

bool shows(const KittySession& kitty, const std::string& text) {
  return testing_support::shows_text(kitty.screen(), text);
}

// Keys reach the game in the order typed, so once Esc has paused it, every
// key typed before has been handled. The pause screen hides the field, and
// a second Esc brings it back as it was. False when the game ended instead.
bool handled(const KittySession& kitty, const TempDir& dir) {
  kitty.key("Escape");
  wait_until([&] { return shows(kitty, "Paused") || ended(dir); });
  if (!shows(kitty, "Paused")) {
    return false;
  }
  kitty.key("Escape");
  return wait_until([&] { return !shows(kitty, "Paused"); });
}

TEST(Kitty, APressMovesThePaddleOneRowAndItsReleaseNothing) {
  const TempDir dir;
  const KittySession kitty(game_then(dir));
  ASSERT_TRUE(wait_until_playing(kitty)) << kitty.logs();
  const int top = paddle_top_row(kitty);
  ASSERT_GT(top, 2);

  kitty.key_down("w");
  EXPECT_TRUE(wait_until([&] { return paddle_top_row(kitty) == top - 1; }))
      << "pressed, the paddle climbs one row from " << top << ", not to " << paddle_top_row(kitty);
  kitty.key_up("w");
  ASSERT_TRUE(handled(kitty, dir));
  EXPECT_TRUE(kitty.sent_key_event(U'w', "RELEASE")) << "the game asked for releases";
  EXPECT_EQ(paddle_top_row(kitty), top - 1) << "let go, the paddle stays";
}

TEST(Kitty, AHeldKeyMovesThePaddleOnEveryRepeat) {
  const TempDir dir;
  const KittySession kitty(game_then(dir), KittyOptions{.auto_repeat = true});
  ASSERT_TRUE(wait_until_playing(kitty)) << kitty.logs();
  const int top = paddle_top_row(kitty);

  // A few repeats carry it from the middle up to the top wall.
  kitty.key_down("w");
  const bool climbed = wait_until([&] {
    const int row = paddle_top_row(kitty);
    return row >= 0 && row <= 1;
  });
  const int reached = paddle_top_row(kitty);
  kitty.key_up("w");
  EXPECT_TRUE(climbed) << "held, the paddle climbed from row " << top << " to row " << reached
                       << " only";
  EXPECT_TRUE(kitty.sent_key_event(U'w', "REPEAT")) << "the repeats came as such";
}

// With Shift or Alt added, Ctrl+C is no quit key, and neither is Q.
TEST(Kitty, CtrlCWithShiftOrAltAndUpperCaseQDoNothingWhileCtrlCQuits) {
  const TempDir dir;
  const KittySession kitty(game_then(dir));
  ASSERT_TRUE(wait_until_playing(kitty)) << kitty.logs();

  for (const char* keys : {"ctrl+shift+c", "ctrl+alt+c", "shift+q"}) {
    SCOPED_TRACE(keys);
    kitty.key(keys);
    ASSERT_TRUE(handled(kitty, dir)) << "the game ended with status " << status(dir);
  }
  kitty.key("ctrl+c");
  EXPECT_EQ(status(dir), "0\n");
  EXPECT_EQ(read_file(dir.path("stderr")), "");
}

// Caps Lock makes kitty report letters upper case, and the game's letter
// keys are lower case, Ctrl+C too; the arrows and Esc are no letters.
TEST(Kitty, WithCapsLockTheLetterKeysDoNothingWhileArrowsAndEscWork) {
  const TempDir dir;
  const KittySession kitty(game_then(dir));
  ASSERT_TRUE(wait_until_playing(kitty)) << kitty.logs();
  const int top = paddle_top_row(kitty);
  kitty.key("Caps_Lock");

  kitty.key("w k q ctrl+c Up");
  ASSERT_TRUE(handled(kitty, dir)) << "the game ended with status " << status(dir);
  EXPECT_EQ(paddle_top_row(kitty), top - 1) << "Up alone moved the paddle";
  kitty.key("s j Down");
  ASSERT_TRUE(handled(kitty, dir));
  EXPECT_EQ(paddle_top_row(kitty), top) << "Down alone moved the paddle";

  kitty.key("Caps_Lock q");
  EXPECT_EQ(status(dir), "0\n");
}

// Once the game is gone, the window's next program gets the keys in the
// legacy encoding on both screens: kitty keeps one stack of keyboard flags
// for each, so flags left on the alternate screen would greet the next
// full-screen program there. It reads what a typed a and Esc send.
std::string legacy_reader(const TempDir& dir) {
  return "stty raw -echo; printf 'reading on the main screen\\r\\n'; head -c 2 >" +
         dir.path("main_keys") +
         "; printf '\\033[?1049hreading on the alternate screen\\r\\n'; head -c 2 >" +
         dir.path("alternate_keys") + "; printf '\\033[?1049l'; exec sleep 600";
}

struct WayOutCase {
  const char* keys;  // typed to end the game; none: it is sent SIGTERM
  const char* status;
  const char* name;
};

using case_printing::PrintTo;

class WayOut : public testing::TestWithParam<WayOutCase> {};

TEST_P(WayOut, EndsWithItsStatusAndLeavesLegacyKeysToTheNextProgram) {
  const TempDir dir;
  const KittySession kitty(game_then(dir, legacy_reader(dir)));
  ASSERT_TRUE(wait_until_playing(kitty)) << kitty.logs();
  if (GetParam().keys != nullptr) {
    // Let go only once the game is gone: a release that kitty encodes
    // before it has read the pop goes out in the protocol and, the game
    // having stopped reading, waits in the terminal for the next program.
    kitty.key_down(GetParam().keys);
    EXPECT_EQ(status(dir), GetParam().status);
    kitty.key_up(GetParam().keys);
  } else {
    ASSERT_EQ(::kill(std::stoi(read_file(dir.path("pid"))), SIGTERM), 0);
    EXPECT_EQ(status(dir), GetParam().status);
  }
  EXPECT_EQ(read_file(dir.path("stderr")), "");

  for (const char* screen : {"main", "alternate"}) {
    SCOPED_TRACE(screen);
    ASSERT_TRUE(kitty.wait_for_text(std::string("reading on the ") + screen + " screen"));
    kitty.key("a Escape");
    const std::string keys = dir.path(std::string(screen) + "_keys");
    EXPECT_TRUE(wait_until([&] { return read_file(keys).size() >= 2; }));
    EXPECT_EQ(read_file(keys), "a\x1b");
  }
}

INSTANTIATE_TEST_SUITE_P(Kitty, WayOut,
                         testing::Values(WayOutCase{"q", "0\n", "q"},
                                         WayOutCase{"ctrl+c", "0\n", "ctrl_c"},
                                         WayOutCase{nullptr, "143\n", "sigterm"}),
                         case_name<WayOutCase>);

}  // namespace
