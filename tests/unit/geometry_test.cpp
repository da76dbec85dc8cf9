#include "tui/screen/geometry.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <ostream>
#include <string>

#include "case_name.hpp"
#include "rect_print.hpp"

namespace tui {
namespace {

// A console reports its size in 16 bits a side, so the largest grid has
// 65,535 squared cells; int holds no more than 46,340 squared.
struct GridCase {
  std::string name;
  Size size;
  std::size_t cells;
};

using case_printing::PrintTo;

class GridArithmetic : public testing::TestWithParam<GridCase> {};

TEST_P(GridArithmetic, CountsAndIndexesEveryCellWithoutOverflow) {
  const GridCase& c = GetParam();
  EXPECT_EQ(cell_count(c.size), c.cells);
  EXPECT_EQ((Rect{3, 2, c.size.width, c.size.height}.area()), c.cells);
  if (c.cells == 0) {
    return;
  }
  const Position last{c.size.width - 1, c.size.height - 1};
  EXPECT_EQ(cell_index(last, c.size.width), c.cells - 1);
  EXPECT_EQ(cell_position(c.cells - 1, c.size.width), last);
  const Position first_of_last_row{0, c.size.height - 1};
  const std::size_t row_start = c.cells - static_cast<std::size_t>(c.size.width);
  EXPECT_EQ(cell_index(first_of_last_row, c.size.width), row_start);
  EXPECT_EQ(cell_position(row_start, c.size.width), first_of_last_row);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, GridArithmetic,
    testing::Values(GridCase{"Classic", {80, 24}, 1'920},
                    GridCase{"LargestSquareInInt", {46'340, 46'340}, 2'147'395'600},
                    GridCase{"OneMoreEachSide", {46'341, 46'341}, 2'147'488'281},
                    GridCase{"WidestRowTallestColumn", {65'535, 65'535}, 4'294'836'225},
                    GridCase{"OneWideRow", {65'535, 1}, 65'535},
                    GridCase{"OneTallColumn", {1, 65'535}, 65'535},
                    GridCase{"NoColumns", {0, 65'535}, 0}, GridCase{"NegativeWidth", {-3, 5}, 0}),
    case_name<GridCase>);

}  // namespace
}  // namespace tui
