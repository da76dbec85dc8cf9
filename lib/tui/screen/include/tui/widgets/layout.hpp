// Splits a rectangle into a row or a column of smaller ones.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "tui/screen/geometry.hpp"

namespace tui {

// How much of the area along the layout's direction one chunk asks for.
struct Constraint {
  int percent = 0;

  // `n` percent of the area, taken down to whole cells: n is kept within 0 to 100 and a
  // chunk of `total` cells gets floor(total * n / 100) cells, so a chunk never outgrows the area.
  static constexpr Constraint Percentage(int n) { return {n}; }
};

enum class Direction : std::uint8_t { Horizontal, Vertical };

// Where the cells that no chunk took end up.
enum class Flex : std::uint8_t {
  // All of them after the last chunk.
  Start,
  // Shared before and after the chunks; an odd one goes after (to the right or below).
  Center,
};

class Layout {
 public:
  // Chunks side by side, left to right; each has the area's full height.
  static Layout horizontal(std::vector<Constraint> constraints) {
    return {Direction::Horizontal, std::move(constraints)};
  }
  // Chunks stacked top to bottom; each has the area's full width.
  static Layout vertical(std::vector<Constraint> constraints) {
    return {Direction::Vertical, std::move(constraints)};
  }

  Layout flex(Flex flex) const {
    Layout copy = *this;
    copy.flex_ = flex;
    return copy;
  }

  // One rectangle per constraint, in order, all inside `area`. The chunks take their sizes
  // first come first served: once the area is used up, later chunks get no cells.
  std::vector<Rect> split(Rect area) const;

 private:
  Layout(Direction direction, std::vector<Constraint> constraints)
      : direction_(direction), constraints_(std::move(constraints)) {}

  Direction direction_;
  std::vector<Constraint> constraints_;
  Flex flex_ = Flex::Start;
};

}  // namespace tui
