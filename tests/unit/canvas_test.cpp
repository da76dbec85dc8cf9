#include "tui/widgets/canvas.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "case_name.hpp"
#include "picture.hpp"

namespace tui {
namespace {

using picture::rows;
using picture::symbols;

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double INF = std::numeric_limits<double>::infinity();

// --- World point to cell -----------------------------------------------------

struct MappingCase {
  std::string name;
  Size size;
  Bounds x_bounds;
  Bounds y_bounds;
  double x;
  double y;
  std::optional<Position> expected;
};

std::ostream& operator<<(std::ostream& out, const MappingCase& c) {
  return out << c.name;
}

class CanvasMapping : public testing::TestWithParam<MappingCase> {};

TEST_P(CanvasMapping, PutsAWorldPointInTheNearestCell) {
  const MappingCase& c = GetParam();
  const Painter painter(c.size, c.x_bounds, c.y_bounds);
  const std::optional<Position> cell = painter.cell_at(c.x, c.y);
  ASSERT_EQ(cell.has_value(), c.expected.has_value());
  if (cell) {
    EXPECT_EQ(cell->x, c.expected->x);
    EXPECT_EQ(cell->y, c.expected->y);
  }
}

constexpr Bounds TEN{0.0, 10.0};
constexpr Bounds FIELD_X{0.0, 50.0};
constexpr Bounds FIELD_Y{0.0, 15.0};

INSTANTIATE_TEST_SUITE_P(
    Cases, CanvasMapping,
    testing::Values(
        // Rows count from the top: the largest y is row 0.
        MappingCase{"OneCellHoldsEverything", {1, 1}, TEN, TEN, 10.0, 0.0, Position{0, 0}},
        MappingCase{"TwoByTwoBottomLeft", {2, 2}, TEN, TEN, 0.0, 0.0, Position{0, 1}},
        MappingCase{"TwoByTwoTopRight", {2, 2}, TEN, TEN, 10.0, 10.0, Position{1, 0}},
        MappingCase{"HalfGoesAwayFromZero", {2, 2}, TEN, TEN, 5.0, 5.0, Position{1, 1}},
        MappingCase{"ThreeByThreeHalves", {3, 3}, TEN, TEN, 2.5, 7.5, Position{1, 1}},
        MappingCase{"ThreeByThreeBelowHalves", {3, 3}, TEN, TEN, 2.4, 7.6, Position{0, 0}},
        MappingCase{"OddWidthCentre", {5, 3}, {-10.0, 10.0}, TEN, 0.0, 5.0, Position{2, 1}},
        MappingCase{"NegativeBound", {5, 3}, {-10.0, 10.0}, TEN, -5.0, 10.0, Position{1, 0}},
        MappingCase{"FieldPaddleRight", {78, 22}, FIELD_X, FIELD_Y, 1.0, 7.5, Position{2, 11}},
        MappingCase{
            "FieldRightEdgeIsLastColumn", {78, 22}, FIELD_X, FIELD_Y, 50.0, 15.0, Position{77, 0}},
        // 29 * 25 / 50 is exactly 14.5, but 29 / 50 * 25 falls just short of it.
        MappingCase{
            "MultipliesBeforeDividingX", {26, 1}, FIELD_X, FIELD_Y, 29.0, 0.0, Position{15, 0}},
        MappingCase{
            "MultipliesBeforeDividingY", {1, 46}, FIELD_X, FIELD_Y, 0.0, 4.5, Position{0, 32}},
        MappingCase{"CornerOnTheBoundsIncluded", {4, 4}, TEN, TEN, 0.0, 10.0, Position{0, 0}},
        MappingCase{"LeftOfTheBoundsDropped", {4, 4}, TEN, TEN, -0.001, 5.0, std::nullopt},
        MappingCase{"RightOfTheBoundsDropped", {4, 4}, TEN, TEN, 10.001, 5.0, std::nullopt},
        MappingCase{"BelowTheBoundsDropped", {4, 4}, TEN, TEN, 5.0, -1e-9, std::nullopt},
        MappingCase{"AboveTheBoundsDropped", {4, 4}, FIELD_X, FIELD_Y, 5.0, 15.25, std::nullopt},
        MappingCase{"NaNDropped", {4, 4}, TEN, TEN, NaN, 5.0, std::nullopt},
        MappingCase{"InfinityDropped", {4, 4}, TEN, TEN, 5.0, INF, std::nullopt},
        MappingCase{
            "BoundsWithoutSpanShowNothing", {4, 4}, {5.0, 5.0}, TEN, 5.0, 5.0, std::nullopt},
        MappingCase{"InfiniteBoundsShowNothing", {4, 4}, {-INF, INF}, TEN, 0.0, 5.0, std::nullopt},
        MappingCase{"EmptyGridShowsNothing", {0, 4}, TEN, TEN, 5.0, 5.0, std::nullopt}),
    case_name<MappingCase>);

// --- Shapes ------------------------------------------------------------------

// A 5 x 3 canvas on which every whole world unit is one cell: x 0..4, y 0..2.
Buffer paint_unit_grid(std::function<void(Painter&)> paint) {
  Buffer buffer(Rect{0, 0, 5, 3});
  const Canvas canvas{
      .x_bounds = {0.0, 4.0},
      .y_bounds = {0.0, 2.0},
      .marker = Marker::Block,
      .paint = std::move(paint),
  };
  canvas.render(buffer.area(), buffer);
  return buffer;
}

struct ShapeCase {
  std::string name;
  std::function<void(Painter&)> paint;
  std::string expected;
};

std::ostream& operator<<(std::ostream& out, const ShapeCase& c) {
  return out << c.name;
}

class ShapePicture : public testing::TestWithParam<ShapeCase> {};

TEST_P(ShapePicture, PaintsTheExpectedCells) {
  EXPECT_EQ(symbols(paint_unit_grid(GetParam().paint)), GetParam().expected);
}

template <class S>
std::function<void(Painter&)> just(S shape) {
  return [shape](Painter& painter) { painter.draw(shape); };
}

constexpr Color C = Color::White;

INSTANTIATE_TEST_SUITE_P(
    Cases, ShapePicture,
    testing::Values(ShapeCase{"PointsOnTheCornersAndOutside",
                              just(Points{{{0, 0}, {4, 2}, {0, 2}, {4, 0}, {2, 2.5}, {-1, 1}}, C}),
                              rows({
                                  "█   █",
                                  "     ",
                                  "█   █",
                              })},
                    ShapeCase{"HorizontalLineCutAtBothSides", just(Line{-2, 1, 6, 1, C}),
                              rows({
                                  "     ",
                                  "█████",
                                  "     ",
                              })},
                    ShapeCase{"VerticalLineCutAtTheTop", just(Line{3, 0, 3, 9, C}),
                              rows({
                                  "   █ ",
                                  "   █ ",
                                  "   █ ",
                              })},
                    ShapeCase{"LineWhollyAboveDrawsNothing", just(Line{1, 3, 3, 5, C}),
                              rows({
                                  "     ",
                                  "     ",
                                  "     ",
                              })},
                    ShapeCase{"LineWhollyLeftDrawsNothing", just(Line{-3, 0, -1, 2, C}),
                              rows({
                                  "     ",
                                  "     ",
                                  "     ",
                              })},
                    ShapeCase{"LineTouchingACornerPaintsOneCell", just(Line{-1, 1, 1, 3, C}),
                              rows({
                                  "█    ",
                                  "     ",
                                  "     ",
                              })},
                    ShapeCase{"DiagonalCutToTheBounds", just(Line{-1, -1, 3, 3, C}),
                              rows({
                                  "  █  ",
                                  " █   ",
                                  "█    ",
                              })},
                    ShapeCase{"ShallowLineIsOneUnbrokenRun", just(Line{0, 0, 4, 2, C}),
                              rows({
                                  "   ██",
                                  " ██  ",
                                  "█    ",
                              })},
                    ShapeCase{"LineOfOnePoint", just(Line{2, 1, 2, 1, C}),
                              rows({
                                  "     ",
                                  "  █  ",
                                  "     ",
                              })},
                    ShapeCase{"LineWithANaNEndDrawsNothing", just(Line{0, 0, NaN, 2, C}),
                              rows({
                                  "     ",
                                  "     ",
                                  "     ",
                              })},
                    ShapeCase{"RectangleIsAHollowOutline", just(Rectangle{0, 0, 4, 2, C}),
                              rows({
                                  "█████",
                                  "█   █",
                                  "█████",
                              })},
                    ShapeCase{"RectangleAboveTheTopIsOpenThere", just(Rectangle{1, 1, 2, 3, C}),
                              rows({
                                  " █ █ ",
                                  " ███ ",
                                  "     ",
                              })},
                    ShapeCase{"RectangleOverTheRightEdgeLosesThatSide",
                              just(Rectangle{2, 0, 5, 1, C}),
                              rows({
                                  "     ",
                                  "  ███",
                                  "  ███",
                              })}),
    case_name<ShapeCase>);

TEST(Canvas, TheLastShapePaintedIntoACellDecidesItsColour) {
  const Buffer buffer = paint_unit_grid([](Painter& painter) {
    painter.draw(Points{{{0, 2}, {2, 1}}, Color::Yellow});
    painter.draw(Rectangle{0, 0, 4, 2, Color::Red});
    painter.draw(Line{0, 1, 4, 1, Color::Green});
    painter.draw(Points{{{4, 1}}, Color::Yellow});
  });
  EXPECT_EQ(symbols(buffer), rows({
                                 "█████",
                                 "█████",
                                 "█████",
                             }));
  EXPECT_EQ(picture::foreground(buffer), rows({
                                             "RRRRR",
                                             "GGGGY",
                                             "RRRRR",
                                         }));
  EXPECT_EQ(picture::background(buffer), picture::foreground(buffer));
}

// --- Markers, background and block --------------------------------------------

Buffer filled_with_x() {
  Buffer buffer = Buffer::with_lines({"xxxx", "xxxx"});
  buffer.set_style(buffer.area(), {Color::Green, Color::Red});
  return buffer;
}

void two_points(Painter& painter) {
  painter.draw(Points{{{0, 1}, {3, 0}}, Color::Yellow});
}

TEST(Canvas, BlockMarkerColoursBothSidesAndTheRestGetsTheBackground) {
  Buffer buffer = filled_with_x();
  const Canvas canvas{.x_bounds = {0, 3},
                      .y_bounds = {0, 1},
                      .marker = Marker::Block,
                      .background_color = Color::Blue,
                      .paint = two_points};
  canvas.render(buffer.area(), buffer);
  EXPECT_EQ(symbols(buffer), rows({"█xxx", "xxx█"}));
  EXPECT_EQ(picture::foreground(buffer), rows({"YGGG", "GGGY"}));
  EXPECT_EQ(picture::background(buffer), rows({"YBBB", "BBBY"}));
}

TEST(Canvas, DotMarkerColoursOnlyTheForeground) {
  Buffer buffer = filled_with_x();
  const Canvas canvas{.x_bounds = {0, 3},
                      .y_bounds = {0, 1},
                      .marker = Marker::Dot,
                      .background_color = Color::Blue,
                      .paint = two_points};
  canvas.render(buffer.area(), buffer);
  EXPECT_EQ(symbols(buffer), rows({"•xxx", "xxx•"}));
  EXPECT_EQ(picture::foreground(buffer), rows({"YGGG", "GGGY"}));
  EXPECT_EQ(picture::background(buffer), rows({"BBBB", "BBBB"}));
}

TEST(Canvas, PaintsTheInnerAreaOfItsBlockWithThatAreasSize) {
  Buffer buffer(Rect{0, 0, 6, 4});
  buffer.set_style(buffer.area(), Style::background(Color::Red));
  const Canvas canvas{
      .x_bounds = {0, 10},
      .y_bounds = {0, 10},
      .background_color = Color::Blue,
      .block = Block{Borders::ALL, "Title"},
      .paint =
          [](Painter& painter) {
            painter.draw(Points{{{0, 0}, {10, 10}, {0, 10}, {10, 0}}, Color::Reset});
          },
  };
  canvas.render(buffer.area(), buffer);
  EXPECT_EQ(symbols(buffer), rows({
                                 "┌Titl┐",
                                 "│█  █│",
                                 "│█  █│",
                                 "└────┘",
                             }));
  EXPECT_EQ(picture::background(buffer), rows({
                                             "RRRRRR",
                                             "R.BB.R",
                                             "R.BB.R",
                                             "RRRRRR",
                                         }));
}

TEST(Canvas, WithNoRoomInsideItsBlockDrawsOnlyTheBlock) {
  for (const Size size : {Size{2, 5}, Size{5, 2}, Size{1, 1}}) {
    Buffer buffer(Rect{0, 0, size.width, size.height});
    bool painted = false;
    const Canvas canvas{
        .x_bounds = {0, 10},
        .y_bounds = {0, 10},
        .background_color = Color::Blue,
        .block = Block{Borders::ALL},
        .paint = [&painted](Painter&) { painted = true; },
    };
    canvas.render(buffer.area(), buffer);
    EXPECT_FALSE(painted);
    EXPECT_EQ(buffer.at({0, 0}).symbol, U'┌');
    EXPECT_EQ(picture::background(buffer), picture::filled(size.width, size.height, '.'));
  }
}

TEST(Canvas, StaysInsideTheBufferWhenTheAreaReachesPastIt) {
  Buffer buffer(Rect{0, 0, 3, 2});
  const Canvas canvas{
      .x_bounds = {0, 5},
      .y_bounds = {0, 3},
      .paint =
          [](Painter& painter) {
            painter.draw(Rectangle{0, 0, 5, 3, Color::Green});
          },
  };
  canvas.render({1, 0, 6, 4}, buffer);
  EXPECT_EQ(symbols(buffer), rows({
                                 " ██",
                                 " █ ",
                             }));
}

}  // namespace
}  // namespace tui
