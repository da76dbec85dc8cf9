#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "case_name.hpp"
#include "picture.hpp"
#include "rect_print.hpp"
#include "tui/widgets/block.hpp"
#include "tui/widgets/clear.hpp"
#include "tui/widgets/paragraph.hpp"

namespace tui {
namespace {

using picture::rows;
using picture::symbols;

// --- Block -------------------------------------------------------------------

struct BlockCase {
  std::string name;
  Borders borders;
  std::string title;
  Size size;
  std::string expected;
};

class BlockPicture : public testing::TestWithParam<BlockCase> {};

TEST_P(BlockPicture, DrawsBordersCornersAndTitle) {
  const BlockCase& c = GetParam();
  Buffer buffer(Rect{0, 0, c.size.width, c.size.height});
  Block{c.borders, c.title}.render(buffer.area(), buffer);
  EXPECT_EQ(symbols(buffer), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BlockPicture,
    testing::Values(BlockCase{"TitleFits",
                              Borders::ALL,
                              "Title",
                              {9, 3},
                              rows({
                                  "┌Title──┐",
                                  "│       │",
                                  "└───────┘",
                              })},
                    BlockCase{"TitleFillsTheTopExactly",
                              Borders::ALL,
                              "Title",
                              {7, 2},
                              rows({
                                  "┌Title┐",
                                  "└─────┘",
                              })},
                    BlockCase{"TitleCutBeforeTheCorner",
                              Borders::ALL,
                              "Title",
                              {5, 3},
                              rows({
                                  "┌Tit┐",
                                  "│   │",
                                  "└───┘",
                              })},
                    BlockCase{"NoRoomForTitle",
                              Borders::ALL,
                              "Title",
                              {2, 2},
                              rows({
                                  "┌┐",
                                  "└┘",
                              })},
                    BlockCase{
                        "OneCellShowsTheTopLeftCorner", Borders::ALL, "", {1, 1}, rows({"┌"})},
                    BlockCase{"OneRow", Borders::ALL, "", {4, 1}, rows({"┌──┐"})},
                    BlockCase{"OneColumn", Borders::ALL, "", {1, 3}, rows({"┌", "│", "└"})},
                    BlockCase{"TopAndLeftOnly",
                              Borders::TOP | Borders::LEFT,
                              "ab",
                              {4, 3},
                              rows({
                                  "┌ab─",
                                  "│   ",
                                  "│   ",
                              })},
                    BlockCase{"BottomAndRightOnly",
                              Borders::BOTTOM | Borders::RIGHT,
                              "",
                              {3, 2},
                              rows({
                                  "  │",
                                  "──┘",
                              })},
                    BlockCase{"TitleWithoutBorders",
                              Borders::NONE,
                              "Title",
                              {7, 2},
                              rows({
                                  "Title  ",
                                  "       ",
                              })},
                    BlockCase{"NothingAtAll", Borders::NONE, "", {3, 1}, rows({"   "})}),
    case_name<BlockCase>);

TEST(Block, InnerIsTheAreaLessEachBorderAndTheTitleRow) {
  EXPECT_EQ((Block{Borders::ALL}.inner({2, 3, 10, 5})), (Rect{3, 4, 8, 3}));
  EXPECT_EQ((Block{Borders::ALL, "Title"}.inner({2, 3, 10, 5})), (Rect{3, 4, 8, 3}));
  EXPECT_EQ((Block{Borders::ALL}.inner({2, 3, 2, 1})), (Rect{3, 4, 0, 0}));
  EXPECT_EQ((Block{Borders::ALL}.inner({2, 3, 0, 0})), (Rect{3, 4, 0, 0}));
  EXPECT_EQ((Block{}.inner({2, 3, 10, 5})), (Rect{2, 3, 10, 5}));
  EXPECT_EQ((Block{Borders::NONE, "T"}.inner({2, 3, 10, 5})), (Rect{2, 4, 10, 4}));
  EXPECT_EQ((Block{Borders::LEFT | Borders::BOTTOM}.inner({2, 3, 10, 5})), (Rect{3, 3, 9, 4}));
}

TEST(Block, ChangesOnlySymbolsAndStaysInsideTheBuffer) {
  Buffer buffer(Rect{0, 0, 4, 2});
  buffer.set_style(buffer.area(), {Color::Green, Color::Blue});
  Block{Borders::ALL, "abc"}.render({1, 0, 6, 4}, buffer);
  EXPECT_EQ(symbols(buffer), rows({
                                 " ┌ab",
                                 " │  ",
                             }));
  EXPECT_EQ(picture::foreground(buffer), picture::filled(4, 2, 'G'));
  EXPECT_EQ(picture::background(buffer), picture::filled(4, 2, 'B'));
}

// --- Paragraph ---------------------------------------------------------------

struct ParagraphCase {
  std::string name;
  Alignment alignment;
  std::vector<std::string> lines;
  Size size;
  std::string expected;
};

class ParagraphPicture : public testing::TestWithParam<ParagraphCase> {};

TEST_P(ParagraphPicture, PlacesEachLineOnItsOwnRow) {
  const ParagraphCase& c = GetParam();
  Paragraph paragraph{.alignment = c.alignment};
  for (const std::string& text : c.lines) {
    paragraph.lines.push_back({text, {}});
  }
  Buffer buffer(Rect{0, 0, c.size.width, c.size.height});
  paragraph.render(buffer.area(), buffer);
  EXPECT_EQ(symbols(buffer), c.expected);
}

// A centred line starts at floor(width / 2) - floor(line width / 2).
INSTANTIATE_TEST_SUITE_P(Cases, ParagraphPicture,
                         testing::Values(ParagraphCase{"CentredInOddWidth",
                                                       Alignment::Center,
                                                       {"a", "bb", "ccc", "dddd"},
                                                       {7, 4},
                                                       rows({
                                                           "   a   ",
                                                           "  bb   ",
                                                           "  ccc  ",
                                                           " dddd  ",
                                                       })},
                                         ParagraphCase{"CentredInEvenWidth",
                                                       Alignment::Center,
                                                       {"a", "bb", "ccc", "dddd"},
                                                       {8, 4},
                                                       rows({
                                                           "    a   ",
                                                           "   bb   ",
                                                           "   ccc  ",
                                                           "  dddd  ",
                                                       })},
                                         ParagraphCase{"WideLinesStartLeftAndAreCut",
                                                       Alignment::Center,
                                                       {"abcd", "abcde", "abcdefghij", "•••••"},
                                                       {4, 4},
                                                       rows({
                                                           "abcd",
                                                           "abcd",
                                                           "abcd",
                                                           "••••",
                                                       })},
                                         ParagraphCase{"LinesPastTheLastRowAreDropped",
                                                       Alignment::Center,
                                                       {"one", "two", "three"},
                                                       {5, 2},
                                                       rows({
                                                           " one ",
                                                           " two ",
                                                       })},
                                         ParagraphCase{"FewerLinesThanRows",
                                                       Alignment::Center,
                                                       {"x"},
                                                       {3, 2},
                                                       rows({
                                                           " x ",
                                                           "   ",
                                                       })},
                                         ParagraphCase{"LeftAligned",
                                                       Alignment::Left,
                                                       {"ab", "abcdef"},
                                                       {4, 2},
                                                       rows({
                                                           "ab  ",
                                                           "abcd",
                                                       })},
                                         ParagraphCase{"EmptyLineKeepsItsRow",
                                                       Alignment::Center,
                                                       {"", "ab"},
                                                       {4, 2},
                                                       rows({
                                                           "    ",
                                                           " ab ",
                                                       })}),
                         case_name<ParagraphCase>);

TEST(Paragraph, StylesOnlyTheCellsHoldingCharacters) {
  Buffer buffer(Rect{0, 0, 8, 3});
  const Paragraph paragraph{
      .lines = {{"ab", Style::foreground(Color::Green)}, {"xyz", Style::background(Color::Blue)}},
      .alignment = Alignment::Center,
  };
  paragraph.render({1, 1, 6, 2}, buffer);
  EXPECT_EQ(symbols(buffer), rows({
                                 "        ",
                                 "   ab   ",
                                 "   xyz  ",
                             }));
  EXPECT_EQ(picture::foreground(buffer), rows({
                                             "........",
                                             "...GG...",
                                             "........",
                                         }));
  EXPECT_EQ(picture::background(buffer), rows({
                                             "........",
                                             "........",
                                             "...BBB..",
                                         }));
}

TEST(Paragraph, FillsTheInnerAreaOfItsBlock) {
  Buffer buffer(Rect{0, 0, 7, 4});
  const Paragraph paragraph{
      .lines = {{"hi", {}}, {"there", {}}, {"cut", {}}},
      .alignment = Alignment::Center,
      .block = Block{Borders::ALL, "T"},
  };
  paragraph.render(buffer.area(), buffer);
  EXPECT_EQ(symbols(buffer), rows({
                                 "┌T────┐",
                                 "│ hi  │",
                                 "│there│",
                                 "└─────┘",
                             }));
}

TEST(Paragraph, DrawsNothingInAnEmptyArea) {
  Buffer buffer(Rect{0, 0, 3, 2});
  const Paragraph paragraph{.lines = {{"abc", {}}}, .alignment = Alignment::Center};
  paragraph.render({0, 0, 0, 2}, buffer);
  paragraph.render({0, 1, 3, 0}, buffer);
  EXPECT_EQ(buffer, Buffer(Rect{0, 0, 3, 2}));
}

TEST(Paragraph, SplitLinesBreaksAtEveryLineBreak) {
  const auto texts = [](const std::vector<TextLine>& lines) {
    std::vector<std::string> out;
    for (const TextLine& line : lines) {
      out.push_back(line.text);
    }
    return out;
  };
  using Texts = std::vector<std::string>;
  EXPECT_EQ(texts(split_lines("Paused\nScore: 1 - 2")), (Texts{"Paused", "Score: 1 - 2"}));
  EXPECT_EQ(texts(split_lines("a\n\nb\n")), (Texts{"a", "", "b", ""}));
  EXPECT_EQ(texts(split_lines("")), (Texts{""}));
  EXPECT_EQ(split_lines("x", Style::foreground(Color::Red))[0].style,
            Style::foreground(Color::Red));
}

// --- Clear -------------------------------------------------------------------

TEST(Clear, BlanksEveryCellOfTheAreaThatLiesInTheBuffer) {
  Buffer buffer = Buffer::with_lines({"xxxxx", "xxxxx", "xxxxx"});
  buffer.set_style(buffer.area(), {Color::Red, Color::Blue});
  Clear{}.render({2, 1, 9, 9}, buffer);
  EXPECT_EQ(symbols(buffer), rows({
                                 "xxxxx",
                                 "xx   ",
                                 "xx   ",
                             }));
  EXPECT_EQ(picture::foreground(buffer), rows({
                                             "RRRRR",
                                             "RR...",
                                             "RR...",
                                         }));
  EXPECT_EQ(picture::background(buffer), rows({
                                             "BBBBB",
                                             "BB...",
                                             "BB...",
                                         }));
}

}  // namespace
}  // namespace tui
