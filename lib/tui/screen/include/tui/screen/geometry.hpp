// Positions, sizes and rectangles of whole terminal cells.
#pragma once

#include <algorithm>
#include <cstddef>

namespace tui {

struct Position {
  int x = 0;
  int y = 0;
  constexpr bool operator==(const Position&) const = default;
};

struct Size {
  int width = 0;
  int height = 0;
  constexpr bool operator==(const Size&) const = default;
};

// Cell counts and row-major indices of a grid of cells, one place for the
// products of a width and a height. They are std::size_t: a console reports
// its size in 16 bits a side, and 65,535 squared overflows int (46,341
// squared already does).

// The cells of a grid of `size`; a negative side counts as none.
constexpr std::size_t cell_count(Size size) {
  return static_cast<std::size_t>(std::max(size.width, 0)) *
         static_cast<std::size_t>(std::max(size.height, 0));
}

// The row-major index of `p` in a grid `width` cells wide that starts at
// (0, 0); `p` lies inside the grid.
constexpr std::size_t cell_index(Position p, int width) {
  return static_cast<std::size_t>(p.y) * static_cast<std::size_t>(width) +
         static_cast<std::size_t>(p.x);
}

// The position of row-major `index` in a grid `width` cells wide.
constexpr Position cell_position(std::size_t index, int width) {
  const auto columns = static_cast<std::size_t>(width);
  return {static_cast<int>(index % columns), static_cast<int>(index / columns)};
}

// A rectangle of cells: left column `x`, top row `y`, `width` columns and
// `height` rows. Sizes are never negative.
struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  constexpr bool operator==(const Rect&) const = default;

  constexpr int left() const { return x; }
  constexpr int top() const { return y; }
  // One past the last column and row.
  constexpr int right() const { return x + width; }
  constexpr int bottom() const { return y + height; }
  constexpr std::size_t area() const { return cell_count(size()); }
  constexpr bool is_empty() const { return width <= 0 || height <= 0; }
  constexpr Size size() const { return {width, height}; }

  constexpr bool contains(Position p) const {
    return p.x >= left() && p.x < right() && p.y >= top() && p.y < bottom();
  }

  constexpr Rect intersection(Rect other) const {
    const int l = std::max(left(), other.left());
    const int t = std::max(top(), other.top());
    const int r = std::min(right(), other.right());
    const int b = std::min(bottom(), other.bottom());
    return {l, t, std::max(r - l, 0), std::max(b - t, 0)};
  }
};

}  // namespace tui
