#include "ui.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "case_name.hpp"
#include "picture.hpp"
#include "rect_print.hpp"

namespace {

using picture::rows;
using picture::symbols;

tui::Buffer draw(const GameState& state, int width, int height) {
  tui::Buffer buffer(tui::Rect{0, 0, width, height});
  tui::Frame frame(buffer);
  draw_screen(state, frame);
  return buffer;
}

GameState in_phase(GamePhase phase, int player_score = 0, int computer_score = 0) {
  GameState state;
  state.phase = phase;
  state.player_score = player_score;
  state.computer_score = computer_score;
  return state;
}

std::string all_default(const tui::Buffer& buffer) {
  return picture::filled(buffer.area().width, buffer.area().height, '.');
}

// --- Playing -----------------------------------------------------------------

// Both paddles are hollow boxes; the ball sits on the computer paddle's left edge, which is
// painted after it, so it does not show.
TEST(PlayingFrame, StartOfGameAt80x24) {
  const tui::Buffer buffer = draw(GameState{}, 80, 24);
  EXPECT_EQ(symbols(buffer),
            rows({
                "┌Rallix | 0 - 0────────────────────────────────────────────────────────────────┐",
                "│                                       •                                      │",
                "│                                       •                                      │",
                "│                                       •                                      │",
                "│                                       •                                      │",
                "│                                       •                                      │",
                "│███                                    •                                   ███│",
                "│█ █                                    •                                   █ █│",
                "│█ █                                    •                                   █ █│",
                "│█ █                                    •                                   █ █│",
                "│█ █                                    •                                   █ █│",
                "│█ █                                    •                                   █ █│",
                "│███                                    •                                   ███│",
                "│                                       •                                      │",
                "│                                       •                                      │",
                "│                                       •                                      │",
                "│                                       •                                      │",
                "│                                       •                                      │",
                "│                                       •                                      │",
                "│                                       •                                      │",
                "│                                       •                                      │",
                "│                                       •                                      │",
                "│                                       •                                      │",
                "└──────────────────────────────────────────────────────────────────────────────┘",
            }));
  EXPECT_EQ(picture::foreground(buffer),
            rows({
                "................................................................................",
                "........................................W.......................................",
                "........................................W.......................................",
                "........................................W.......................................",
                "........................................W.......................................",
                "........................................W.......................................",
                ".GGG....................................W...................................RRR.",
                ".G.G....................................W...................................R.R.",
                ".G.G....................................W...................................R.R.",
                ".G.G....................................W...................................R.R.",
                ".G.G....................................W...................................R.R.",
                ".G.G....................................W...................................R.R.",
                ".GGG....................................W...................................RRR.",
                "........................................W.......................................",
                "........................................W.......................................",
                "........................................W.......................................",
                "........................................W.......................................",
                "........................................W.......................................",
                "........................................W.......................................",
                "........................................W.......................................",
                "........................................W.......................................",
                "........................................W.......................................",
                "........................................W.......................................",
                "................................................................................",
            }));
  EXPECT_EQ(picture::background(buffer), all_default(buffer));
}

TEST(PlayingFrame, TitleShowsTheUsersScoreFirst) {
  const tui::Buffer buffer = draw(in_phase(GamePhase::Playing, 1, 2), 80, 24);
  EXPECT_EQ(symbols(buffer, tui::Rect{0, 0, 18, 1}), "┌Rallix | 1 - 2───");
  EXPECT_EQ(picture::foreground(buffer, tui::Rect{0, 0, 18, 1}), picture::filled(18, 1, '.'));
}

// The title is cut before the top-right corner; the paddles are one column wide here.
TEST(PlayingFrame, FrameNarrowerThanTheTitle) {
  const tui::Buffer buffer = draw(GameState{}, 12, 17);
  EXPECT_EQ(symbols(buffer), rows({
                                 "┌Rallix | 0┐",
                                 "│     •    │",
                                 "│     •    │",
                                 "│     •    │",
                                 "│█    •   █│",
                                 "│█    •   █│",
                                 "│█    •   █│",
                                 "│█    •   █│",
                                 "│█    •   █│",
                                 "│     •    │",
                                 "│     •    │",
                                 "│     •    │",
                                 "│     •    │",
                                 "│     •    │",
                                 "│     •    │",
                                 "│     •    │",
                                 "└──────────┘",
                             }));
  EXPECT_EQ(picture::background(buffer), all_default(buffer));
}

// On 15 rows the net runs from border to border; on 29 columns its top dot lands in the title.
TEST(PlayingFrame, NetOverTheBorderRowsAndTheTitleOnASmallTerminal) {
  const tui::Buffer buffer = draw(GameState{}, 29, 15);
  EXPECT_EQ(symbols(buffer), rows({
                                 "┌Rallix | 0 - •─────────────┐",
                                 "│             •             │",
                                 "│             •             │",
                                 "│             •             │",
                                 "│██           •           ██│",
                                 "│██           •           ██│",
                                 "│██           •           ██│",
                                 "│██           •           ██│",
                                 "│             •             │",
                                 "│             •             │",
                                 "│             •             │",
                                 "│             •             │",
                                 "│             •             │",
                                 "│             •             │",
                                 "└─────────────•─────────────┘",
                             }));
  EXPECT_EQ(picture::foreground(buffer), rows({
                                             "..............W..............",
                                             "..............W..............",
                                             "..............W..............",
                                             "..............W..............",
                                             ".GG...........W...........RR.",
                                             ".GG...........W...........RR.",
                                             ".GG...........W...........RR.",
                                             ".GG...........W...........RR.",
                                             "..............W..............",
                                             "..............W..............",
                                             "..............W..............",
                                             "..............W..............",
                                             "..............W..............",
                                             "..............W..............",
                                             "..............W..............",
                                         }));
  EXPECT_EQ(picture::background(buffer), all_default(buffer));
}

struct TinyCase {
  std::string name;
  tui::Size size;
  std::string expected;
};

std::ostream& operator<<(std::ostream& out, const TinyCase& c) {
  return out << c.name;
}

class TinyPlayingFrame : public testing::TestWithParam<TinyCase> {};

// Under 3 cells wide or high there is no playfield, but border, title and net are drawn.
TEST_P(TinyPlayingFrame, DrawsBorderAndNetOnly) {
  const TinyCase& c = GetParam();
  const tui::Buffer buffer = draw(GameState{}, c.size.width, c.size.height);
  EXPECT_EQ(symbols(buffer), c.expected);
  EXPECT_EQ(picture::background(buffer), all_default(buffer));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TinyPlayingFrame,
    testing::Values(TinyCase{"FiveByTwo", {5, 2}, rows({"┌R•l┐", "└─•─┘"})},
                    TinyCase{"TwoByFive", {2, 5}, rows({"┌•", "│•", "│•", "│•", "└•"})},
                    TinyCase{"ThreeByTwo", {3, 2}, rows({"┌•┐", "└•┘"})},
                    // The one playfield cell is red, then the net's.
                    TinyCase{"ThreeByThree", {3, 3}, rows({"┌•┐", "│•│", "└•┘"})},
                    TinyCase{"OneCell", {1, 1}, rows({"•"})}, TinyCase{"NoCells", {0, 0}, ""}),
    case_name<TinyCase>);

struct NetCase {
  std::string name;
  tui::Size size;
  int column;
  int top_row;
  int bottom_row;
};

std::ostream& operator<<(std::ostream& out, const NetCase& c) {
  return out << c.name;
}

class NetPosition : public testing::TestWithParam<NetCase> {};

TEST_P(NetPosition, IsOneWhiteDottedColumn) {
  const NetCase& c = GetParam();
  const tui::Buffer buffer = draw(GameState{}, c.size.width, c.size.height);
  std::set<std::pair<int, int>> dots;
  std::set<std::pair<int, int>> expected;
  for (int y = 0; y < c.size.height; ++y) {
    for (int x = 0; x < c.size.width; ++x) {
      const tui::Cell& cell = buffer.at({x, y});
      if (cell.symbol == U'•') {
        dots.insert({x, y});
        EXPECT_EQ(cell.fg, tui::Color::White);
        EXPECT_EQ(cell.bg, tui::Color::Reset);
      }
    }
  }
  for (int y = c.top_row; y <= c.bottom_row; ++y) {
    expected.insert({c.column, y});
  }
  EXPECT_EQ(dots, expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, NetPosition,
                         testing::Values(NetCase{"At80x24", {80, 24}, 40, 1, 22},
                                         NetCase{"At79x17ClearOfTheBorders", {79, 17}, 39, 1, 15},
                                         NetCase{"At81x16OnTheBottomBorder", {81, 16}, 40, 1, 15},
                                         NetCase{"At30x15OnBothBorders", {30, 15}, 15, 0, 14},
                                         NetCase{"At300x100", {300, 100}, 150, 3, 96}),
                         case_name<NetCase>);

// The user's paddle at its highest reaches past the top of the field: no top edge, sides
// running up to the playfield's top row, bottom edge still drawn.
TEST(PlayingFrame, UsersPaddleAtItsHighestIsOpenAtTheTop) {
  GameState state;
  state.player_paddle_y = 11.5;
  const tui::Buffer buffer = draw(state, 80, 24);
  const tui::Rect corner{0, 0, 6, 8};
  EXPECT_EQ(symbols(buffer, corner), rows({
                                         "┌Ralli",
                                         "│█ █  ",
                                         "│█ █  ",
                                         "│█ █  ",
                                         "│█ █  ",
                                         "│█ █  ",
                                         "│███  ",
                                         "│     ",
                                     }));
  EXPECT_EQ(picture::foreground(buffer, corner), rows({
                                                     "......",
                                                     ".G.G..",
                                                     ".G.G..",
                                                     ".G.G..",
                                                     ".G.G..",
                                                     ".G.G..",
                                                     ".GGG..",
                                                     "......",
                                                 }));
}

struct BallCase {
  std::string name;
  double x;
  double y;
  // Where the yellow ball shows on an 80 x 24 frame, if anywhere.
  std::optional<tui::Position> shown_at;
};

std::ostream& operator<<(std::ostream& out, const BallCase& c) {
  return out << c.name;
}

class BallCell : public testing::TestWithParam<BallCase> {};

TEST_P(BallCell, ShowsWhereExpected) {
  const BallCase& c = GetParam();
  GameState state;
  state.ball_x = c.x;
  state.ball_y = c.y;
  const tui::Buffer buffer = draw(state, 80, 24);
  std::vector<tui::Position> yellow;
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < 80; ++x) {
      if (buffer.at({x, y}).fg == tui::Color::Yellow) {
        yellow.push_back({x, y});
        EXPECT_EQ(buffer.at({x, y}).symbol, U'█');
      }
    }
  }
  ASSERT_EQ(yellow.size(), c.shown_at ? 1u : 0u);
  if (c.shown_at) {
    EXPECT_EQ(yellow[0].x, c.shown_at->x);
    EXPECT_EQ(yellow[0].y, c.shown_at->y);
  }
  EXPECT_EQ(picture::background(buffer), all_default(buffer));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BallCell,
    testing::Values(BallCase{"InOpenField", 24.0, 7.5, tui::Position{38, 12}},
                    BallCase{"UnderTheNet", 25.0, 7.5, std::nullopt},
                    BallCase{"UnderTheComputersPaddle", 48.5, 9.5, std::nullopt},
                    BallCase{"UnderTheUsersPaddle", 0.0, 9.5, std::nullopt},
                    BallCase{"OnTheTopEdge", 10.0, 15.0, tui::Position{16, 1}},
                    BallCase{"OnTheBottomEdge", 10.0, 0.0, tui::Position{16, 22}},
                    BallCase{"AboveTheField", 10.0, 15.25, std::nullopt},
                    BallCase{"BelowTheField", 10.0, -0.25, std::nullopt}),
    case_name<BallCase>);

TEST(PlayingFrame, BallUnderTheNetShowsTheNetsDot) {
  GameState state;
  state.ball_x = 25.0;
  state.ball_y = 7.5;
  const tui::Buffer buffer = draw(state, 80, 24);
  EXPECT_EQ(buffer.at({40, 12}), (tui::Cell{U'•', tui::Color::White, tui::Color::Reset}));
}

// --- Overlays ----------------------------------------------------------------

TEST(OverlayArea, IsSixtyByTwentyPercentCentred) {
  EXPECT_EQ(overlay_area({0, 0, 80, 25}), (tui::Rect{16, 10, 48, 5}));
  EXPECT_EQ(overlay_area({0, 0, 80, 24}), (tui::Rect{16, 10, 48, 4}));
  EXPECT_EQ(overlay_area({0, 0, 81, 26}), (tui::Rect{16, 10, 48, 5}));
  EXPECT_EQ(overlay_area({0, 0, 79, 23}), (tui::Rect{16, 9, 47, 4}));
  EXPECT_EQ(overlay_area({3, 2, 10, 10}), (tui::Rect{5, 6, 6, 2}));
  EXPECT_EQ(overlay_area({0, 0, 0, 0}), (tui::Rect{0, 0, 0, 0}));
}

struct Placement {
  int row;
  int column;
  std::string text;
};

struct OverlayCase {
  std::string name;
  GameState state;
  std::vector<Placement> texts;
  tui::Color colour;
};

std::ostream& operator<<(std::ostream& out, const OverlayCase& c) {
  return out << c.name;
}

class Overlay80x25 : public testing::TestWithParam<OverlayCase> {};

// Only the text, at its place; every other cell blank in the default colours.
TEST_P(Overlay80x25, ShowsOnlyTheCentredText) {
  const OverlayCase& c = GetParam();
  tui::Buffer expected(tui::Rect{0, 0, 80, 25});
  for (const Placement& p : c.texts) {
    expected.set_string({p.column, p.row}, p.text, tui::Style::foreground(c.colour), 80);
  }
  const tui::Buffer buffer = draw(c.state, 80, 25);
  EXPECT_EQ(symbols(buffer), symbols(expected));
  EXPECT_EQ(picture::foreground(buffer), picture::foreground(expected));
  EXPECT_EQ(picture::background(buffer), all_default(buffer));
}

INSTANTIATE_TEST_SUITE_P(Cases, Overlay80x25,
                         testing::Values(OverlayCase{"Paused",
                                                     in_phase(GamePhase::Paused),
                                                     {{10, 37, "Paused"}, {11, 34, "Score: 0 - 0"}},
                                                     tui::Color::Reset},
                                         OverlayCase{"PausedWithScores",
                                                     in_phase(GamePhase::Paused, 3, 4),
                                                     {{10, 37, "Paused"}, {11, 34, "Score: 3 - 4"}},
                                                     tui::Color::Reset},
                                         OverlayCase{"Won",
                                                     in_phase(GamePhase::Won, 5, 2),
                                                     {{10, 36, "You win!"}},
                                                     tui::Color::Green},
                                         OverlayCase{"Lost",
                                                     in_phase(GamePhase::Lost, 1, 5),
                                                     {{10, 36, "You lose!"}},
                                                     tui::Color::Red}),
                         case_name<OverlayCase>);

struct SmallOverlayCase {
  std::string name;
  GameState state;
  tui::Size size;
  std::string expected;
};

std::ostream& operator<<(std::ostream& out, const SmallOverlayCase& c) {
  return out << c.name;
}

class SmallOverlay : public testing::TestWithParam<SmallOverlayCase> {};

TEST_P(SmallOverlay, ShowsWhatFits) {
  const SmallOverlayCase& c = GetParam();
  const tui::Buffer buffer = draw(c.state, c.size.width, c.size.height);
  EXPECT_EQ(symbols(buffer), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SmallOverlay,
                         testing::Values(SmallOverlayCase{"PausedOnTwoRows",
                                                          in_phase(GamePhase::Paused, 3, 4),
                                                          {20, 10},
                                                          rows({
                                                              "                    ",
                                                              "                    ",
                                                              "                    ",
                                                              "                    ",
                                                              "       Paused       ",
                                                              "    Score: 3 - 4    ",
                                                              "                    ",
                                                              "                    ",
                                                              "                    ",
                                                              "                    ",
                                                          })},
                                         SmallOverlayCase{"OneRowShowsOnlyPaused",
                                                          in_phase(GamePhase::Paused),
                                                          {20, 5},
                                                          rows({
                                                              "                    ",
                                                              "                    ",
                                                              "       Paused       ",
                                                              "                    ",
                                                              "                    ",
                                                          })},
                                         SmallOverlayCase{"NarrowerThanTheScoreLine",
                                                          in_phase(GamePhase::Paused),
                                                          {15, 10},
                                                          rows({
                                                              "               ",
                                                              "               ",
                                                              "               ",
                                                              "               ",
                                                              "    Paused     ",
                                                              "   Score: 0    ",
                                                              "               ",
                                                              "               ",
                                                              "               ",
                                                              "               ",
                                                          })},
                                         SmallOverlayCase{"NoRowsShowsNothing",
                                                          in_phase(GamePhase::Paused),
                                                          {20, 4},
                                                          rows({
                                                              "                    ",
                                                              "                    ",
                                                              "                    ",
                                                              "                    ",
                                                          })},
                                         SmallOverlayCase{"NoColumnsShowsNothing",
                                                          in_phase(GamePhase::Won),
                                                          {1, 10},
                                                          rows({" ", " ", " ", " ", " ", " ", " ",
                                                                " ", " ", " "})},
                                         SmallOverlayCase{"LostCutOnTheRight",
                                                          in_phase(GamePhase::Lost),
                                                          {12, 5},
                                                          rows({
                                                              "            ",
                                                              "            ",
                                                              "  You los   ",
                                                              "            ",
                                                              "            ",
                                                          })}),
                         case_name<SmallOverlayCase>);

TEST(Overlay, ColoursOnlyTheCharactersOfTheEndText) {
  const tui::Buffer buffer = draw(in_phase(GamePhase::Won), 20, 5);
  EXPECT_EQ(symbols(buffer, tui::Rect{0, 2, 20, 1}), "      You win!      ");
  EXPECT_EQ(picture::foreground(buffer, tui::Rect{0, 2, 20, 1}), "......GGGGGGGG......");
  EXPECT_EQ(picture::foreground(buffer, tui::Rect{0, 0, 20, 2}), picture::filled(20, 2, '.'));
}

}  // namespace
