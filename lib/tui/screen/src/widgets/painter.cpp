#include "tui/widgets/painter.hpp"

#include <algorithm>
#include <cmath>

namespace tui {
namespace {

bool within(Bounds bounds, double value) {
  return bounds.min <= value && value <= bounds.max;
}

bool has_finite_span(Bounds bounds) {
  const double span = bounds.max - bounds.min;
  return std::isfinite(span) && span > 0.0;
}

// The nearest of `cells` cells to `distance` along a span; the product comes before the
// division so that points exactly on a cell's world position land on it.
int cell_index(double distance, double span, int cells) {
  const double index = std::round(distance * (cells - 1) / span);
  return static_cast<int>(std::clamp(index, 0.0, static_cast<double>(cells - 1)));
}

}  // namespace

Painter::Painter(Size size, Bounds x_bounds, Bounds y_bounds)
    : size_{std::max(size.width, 0), std::max(size.height, 0)},
      x_bounds_(x_bounds),
      y_bounds_(y_bounds),
      grid_(cell_count(size_)) {}

std::optional<Position> Painter::cell_at(double x, double y) const {
  if (size_.width == 0 || size_.height == 0) {
    return std::nullopt;
  }
  // Written so that NaN fails the test too.
  if (!within(x_bounds_, x) || !within(y_bounds_, y)) {
    return std::nullopt;
  }
  if (!has_finite_span(x_bounds_) || !has_finite_span(y_bounds_)) {
    return std::nullopt;
  }
  return Position{
      cell_index(x - x_bounds_.min, x_bounds_.max - x_bounds_.min, size_.width),
      cell_index(y_bounds_.max - y, y_bounds_.max - y_bounds_.min, size_.height),
  };
}

void Painter::paint(Position cell, Color color) {
  if (!in_grid(cell)) {
    return;
  }
  std::uint8_t& held = grid_[index_of(cell)];
  if (held == 0) {
    painted_.push_back(index_of(cell));
  }
  held = stored(color);
}

}  // namespace tui
