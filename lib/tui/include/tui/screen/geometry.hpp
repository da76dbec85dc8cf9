// Positions, sizes and rectangles of whole terminal cells.
#pragma once

#include <algorithm>

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
  constexpr int area() const { return width * height; }
  constexpr bool is_empty() const { return width <= 0 || height <= 0; }
  constexpr Size size() const { return {width, height}; }

  constexpr bool contains(Position p) const {
    return p.x >= left() && p.x < right() && p.y >= top() && p.y < bottom();
  }

  // The rectangle less `margin` cells on every side; sizes stop at 0.
  constexpr Rect inner(int margin = 1) const {
    return {x + margin, y + margin, std::max(width - 2 * margin, 0),
            std::max(height - 2 * margin, 0)};
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
