#include "tui/screen/buffer.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "tui/screen/utf8.hpp"

namespace tui {
namespace {

using Lines = std::vector<std::string>;

TEST(Buffer, SetStringCutsAtWidthAndEdgeAndStylesOnlyItsCells) {
  Buffer buffer(Rect{0, 0, 6, 2});
  EXPECT_EQ(buffer.set_string({1, 0}, "ab•cdef", Style::foreground(Color::Green), 4), 5);
  EXPECT_EQ(buffer.set_string({4, 1}, "xyz", {}, 10), 6);
  EXPECT_EQ(buffer.lines(), (Lines{" ab•c ", "    xy"}));
  EXPECT_EQ(buffer.at({3, 0}).fg, Color::Green);
  EXPECT_EQ(buffer.at({5, 0}).fg, Color::Reset);
}

TEST(Buffer, DiffListsChangedCellsInRowOrderAndEverythingAfterAResize) {
  Buffer previous(Rect{0, 0, 3, 2});
  Buffer next = previous;
  next.at({2, 0}).symbol = U'x';
  next.at({0, 1}).bg = Color::Red;
  std::vector<CellUpdate> updates;
  next.diff(previous, updates);
  EXPECT_EQ(updates, (std::vector<CellUpdate>{{{2, 0}, Cell{U'x'}},
                                              {{0, 1}, Cell{U' ', Color::Reset, Color::Red}}}));

  next.diff(next, updates);
  EXPECT_TRUE(updates.empty());

  const Buffer larger(Rect{0, 0, 4, 2});
  larger.diff(previous, updates);
  EXPECT_EQ(updates.size(), 8u);
}

TEST(Buffer, DiffSkipsUnchangedRowsOfAnAreaAwayFromTheOrigin) {
  const Buffer previous(Rect{2, 1, 4, 3});
  Buffer next = previous;
  next.at({5, 1}).symbol = U'a';
  next.at({2, 3}).fg = Color::Green;
  std::vector<CellUpdate> updates;
  next.diff(previous, updates);
  EXPECT_EQ(updates,
            (std::vector<CellUpdate>{{{5, 1}, Cell{U'a'}}, {{2, 3}, Cell{U' ', Color::Green}}}));
}

TEST(Utf8, DecodesValidTextAndReplacesEachBadByte) {
  std::string_view text = "a\xE2\x80\xA2\xFF\xC0\xAF\xE2\x80";
  std::u32string decoded;
  while (!text.empty()) {
    decoded.push_back(pop_code_point(text));
  }
  EXPECT_EQ(decoded, U"a•\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
  std::string round_trip;
  for (char32_t c : std::u32string_view(U"█•┌x\U0001F600")) {
    append_utf8(round_trip, c);
  }
  EXPECT_EQ(round_trip, "█•┌x\U0001F600");
}

}  // namespace
}  // namespace tui
