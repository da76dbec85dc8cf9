// The grid a canvas paints into: world coordinates in, one optional colour per cell out.
#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <vector>

#include "tui/screen/geometry.hpp"
#include "tui/screen/style.hpp"

namespace tui {

// The world coordinates a canvas shows along one axis, both ends included.
struct Bounds {
  double min = 0.0;
  double max = 0.0;
};

class Painter;

// Anything that knows how to paint itself into a painter's grid.
template <class S>
concept Shape = requires(const S& shape, Painter& painter) {
  shape.draw(painter);
};

class Painter {
 public:
  // A grid of `size` cells, nothing painted, showing the world `x_bounds` by `y_bounds`.
  Painter(Size size, Bounds x_bounds, Bounds y_bounds);

  void draw(const Shape auto& shape) { shape.draw(*this); }

  // The grid cell (column from the left, row from the top) of a world point, or nothing
  // when the point lies outside the bounds. The column is round((x - x.min) * (width - 1) /
  // (x.max - x.min)) and the row round((y.max - y) * (height - 1) / (y.max - y.min)),
  // halves rounded away from zero. Bounds that enclose no finite span show nothing.
  std::optional<Position> cell_at(double x, double y) const;

  // Stores `color` in a cell, replacing what an earlier shape stored; cells outside the
  // grid are ignored.
  void paint(Position cell, Color color);

  // Calls `visit(cell, colour)` once for every painted cell, with its last
  // colour. Shapes touch few cells of a large grid, so this never scans it.
  template <std::invocable<Position, Color> Visit>
  void for_each_painted(Visit visit) const {
    for (const std::size_t index : painted_) {
      visit(cell_position(index, size_.width), colour_of(grid_[index]));
    }
  }

  Size size() const { return size_; }
  Bounds x_bounds() const { return x_bounds_; }
  Bounds y_bounds() const { return y_bounds_; }

 private:
  bool in_grid(Position cell) const {
    return cell.x >= 0 && cell.x < size_.width && cell.y >= 0 && cell.y < size_.height;
  }
  std::size_t index_of(Position cell) const { return cell_index(cell, size_.width); }
  // A grid cell holds 0 when nothing is painted there, else 1 + the colour:
  // a grid of plain bytes starts out as one cleared block, a grid of
  // optionals one cell at a time, and a painter is made for every frame.
  static std::uint8_t stored(Color color) {
    return static_cast<std::uint8_t>(1 + static_cast<int>(color));
  }
  static Color colour_of(std::uint8_t stored) { return static_cast<Color>(stored - 1); }

  Size size_;
  Bounds x_bounds_;
  Bounds y_bounds_;
  std::vector<std::uint8_t> grid_;
  std::vector<std::size_t> painted_;  // grid indices, each once, in first-paint order
};

}  // namespace tui
