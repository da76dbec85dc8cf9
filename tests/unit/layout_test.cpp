#include "tui/widgets/layout.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "case_name.hpp"
#include "rect_print.hpp"

namespace tui {
namespace {

struct SplitCase {
  std::string name;
  Direction direction;
  std::vector<int> percents;
  Flex flex;
  Rect area;
  std::vector<Rect> expected;
};

std::ostream& operator<<(std::ostream& out, const SplitCase& c) {
  return out << c.name;
}

Layout layout_of(const SplitCase& c) {
  std::vector<Constraint> constraints;
  for (const int percent : c.percents) {
    constraints.push_back(Constraint::Percentage(percent));
  }
  const Layout layout = c.direction == Direction::Horizontal ? Layout::horizontal(constraints)
                                                             : Layout::vertical(constraints);
  return layout.flex(c.flex);
}

class LayoutSplit : public testing::TestWithParam<SplitCase> {};

TEST_P(LayoutSplit, GivesTheExpectedChunks) {
  const SplitCase& c = GetParam();
  EXPECT_EQ(layout_of(c).split(c.area), c.expected);
}

constexpr Direction H = Direction::Horizontal;
constexpr Direction V = Direction::Vertical;

// A fraction of a cell is dropped; an odd leftover cell goes after the chunks.
INSTANTIATE_TEST_SUITE_P(
    Cases, LayoutSplit,
    testing::Values(
        SplitCase{
            "WholeAreaAtFullPercent", H, {100}, Flex::Start, {3, 4, 80, 24}, {{3, 4, 80, 24}}},
        SplitCase{"SixtyOf80Centred", H, {60}, Flex::Center, {0, 0, 80, 25}, {{16, 0, 48, 25}}},
        SplitCase{
            "SixtyOf79DropsTheFraction", H, {60}, Flex::Center, {0, 0, 79, 25}, {{16, 0, 47, 25}}},
        SplitCase{"SixtyOf81PutsTheOddCellRight",
                  H,
                  {60},
                  Flex::Center,
                  {0, 0, 81, 25},
                  {{16, 0, 48, 25}}},
        SplitCase{"SixtyOf1IsEmpty", H, {60}, Flex::Center, {0, 0, 1, 5}, {{0, 0, 0, 5}}},
        SplitCase{"SixtyOf2", H, {60}, Flex::Center, {0, 0, 2, 5}, {{0, 0, 1, 5}}},
        SplitCase{"SixtyOf3", H, {60}, Flex::Center, {0, 0, 3, 5}, {{1, 0, 1, 5}}},
        SplitCase{"SixtyOfEmpty", H, {60}, Flex::Center, {7, 0, 0, 5}, {{7, 0, 0, 5}}},
        SplitCase{"TwentyOf25Centred", V, {20}, Flex::Center, {16, 0, 48, 25}, {{16, 10, 48, 5}}},
        SplitCase{"TwentyOf24", V, {20}, Flex::Center, {0, 0, 80, 24}, {{0, 10, 80, 4}}},
        SplitCase{"TwentyOf26", V, {20}, Flex::Center, {0, 0, 80, 26}, {{0, 10, 80, 5}}},
        SplitCase{"TwentyOf1", V, {20}, Flex::Center, {0, 0, 9, 1}, {{0, 0, 9, 0}}},
        SplitCase{"TwentyOf2", V, {20}, Flex::Center, {0, 0, 9, 2}, {{0, 1, 9, 0}}},
        SplitCase{"TwentyOf3", V, {20}, Flex::Center, {0, 0, 9, 3}, {{0, 1, 9, 0}}},
        SplitCase{
            "CentredFromAnOffsetOrigin", V, {20}, Flex::Center, {5, 7, 9, 10}, {{5, 11, 9, 2}}},
        SplitCase{"StartLeavesTheRestAfter", H, {60}, Flex::Start, {5, 1, 81, 3}, {{5, 1, 48, 3}}},
        SplitCase{
            "HalvesOf81", H, {50, 50}, Flex::Start, {0, 0, 81, 1}, {{0, 0, 40, 1}, {40, 0, 40, 1}}},
        SplitCase{"QuartersCentredTogether",
                  H,
                  {25, 25},
                  Flex::Center,
                  {0, 0, 10, 1},
                  {{3, 0, 2, 1}, {5, 0, 2, 1}}},
        SplitCase{"OverFullTakesWhatIsLeft",
                  H,
                  {60, 60},
                  Flex::Start,
                  {0, 0, 10, 1},
                  {{0, 0, 6, 1}, {6, 0, 4, 1}}},
        SplitCase{"NothingLeftAfterAFullChunk",
                  V,
                  {100, 50},
                  Flex::Center,
                  {0, 2, 3, 10},
                  {{0, 2, 3, 10}, {0, 12, 3, 0}}},
        SplitCase{"PercentsOutOfRangeAreKeptWithin",
                  H,
                  {-5, 150},
                  Flex::Start,
                  {0, 0, 10, 1},
                  {{0, 0, 0, 1}, {0, 0, 10, 1}}},
        SplitCase{"NoConstraintsNoChunks", H, {}, Flex::Center, {0, 0, 10, 1}, {}}),
    case_name<SplitCase>);

// For every size and share: the chunk stays inside the area, takes floor(size * p / 100)
// cells, and is centred with the odd leftover cell after it.
TEST(Layout, CentredChunkIsWholeCellsInsideTheAreaAtEverySize) {
  for (const int percent : {0, 1, 20, 33, 50, 60, 99, 100}) {
    for (int size = 0; size <= 130; ++size) {
      const Rect area{2, 3, size, size};
      const Rect h =
          Layout::horizontal({Constraint::Percentage(percent)}).flex(Flex::Center).split(area)[0];
      const Rect v =
          Layout::vertical({Constraint::Percentage(percent)}).flex(Flex::Center).split(area)[0];
      SCOPED_TRACE(testing::Message() << "size " << size << ", " << percent << "%");
      EXPECT_EQ(h.width, size * percent / 100);
      EXPECT_EQ(h.intersection(area), h);
      const int before = h.left() - area.left();
      const int after = area.right() - h.right();
      EXPECT_TRUE(after == before || after == before + 1);
      EXPECT_EQ(v, (Rect{area.x, area.y + before, size, h.width}));
    }
  }
}

}  // namespace
}  // namespace tui
