#include "tui/widgets/shapes.hpp"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace tui {
namespace {

struct Segment {
  Coordinate from;
  Coordinate to;
};

// Which sides of the bounds rectangle a point lies beyond.
enum Outside : std::uint8_t {
  INSIDE = 0,
  LEFT = 1 << 0,
  RIGHT = 1 << 1,
  BELOW = 1 << 2,
  ABOVE = 1 << 3,
};

unsigned outside(Coordinate p, Bounds x, Bounds y) {
  unsigned code = INSIDE;
  if (p.x < x.min) {
    code |= LEFT;
  } else if (p.x > x.max) {
    code |= RIGHT;
  }
  if (p.y < y.min) {
    code |= BELOW;
  } else if (p.y > y.max) {
    code |= ABOVE;
  }
  return code;
}

// Moves `p` along the segment onto the first side it lies beyond. The side's own
// coordinate is set exactly, so a cut end never strays past the bounds by a rounding error.
Coordinate move_onto_side(Coordinate p, Coordinate other, unsigned code, Bounds x, Bounds y) {
  const double dx = other.x - p.x;
  const double dy = other.y - p.y;
  if (code & ABOVE) {
    return {p.x + dx * (y.max - p.y) / dy, y.max};
  }
  if (code & BELOW) {
    return {p.x + dx * (y.min - p.y) / dy, y.min};
  }
  if (code & RIGHT) {
    return {x.max, p.y + dy * (x.max - p.x) / dx};
  }
  return {x.min, p.y + dy * (x.min - p.x) / dx};
}

// Cohen and Sutherland's clipping: each round moves one outside end onto a side.
std::optional<Segment> clip(Segment s, Bounds x, Bounds y) {
  if (!std::isfinite(s.from.x) || !std::isfinite(s.from.y) || !std::isfinite(s.to.x) ||
      !std::isfinite(s.to.y)) {
    return std::nullopt;
  }
  // Each end crosses at most two sides; the spare rounds absorb rounding at a corner.
  for (int round = 0; round < 8; ++round) {
    const unsigned from_code = outside(s.from, x, y);
    const unsigned to_code = outside(s.to, x, y);
    if ((from_code | to_code) == INSIDE) {
      return s;
    }
    if ((from_code & to_code) != INSIDE) {
      return std::nullopt;
    }
    if (from_code != INSIDE) {
      s.from = move_onto_side(s.from, s.to, from_code, x, y);
    } else {
      s.to = move_onto_side(s.to, s.from, to_code, x, y);
    }
  }
  return std::nullopt;
}

// Bresenham's walk over every cell from `from` to `to`, both included.
void paint_cells_between(Painter& painter, Position from, Position to, Color color) {
  const int dx = std::abs(to.x - from.x);
  const int dy = -std::abs(to.y - from.y);
  const int step_x = from.x < to.x ? 1 : -1;
  const int step_y = from.y < to.y ? 1 : -1;
  int error = dx + dy;
  Position cell = from;
  while (true) {
    painter.paint(cell, color);
    if (cell == to) {
      return;
    }
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      cell.x += step_x;
    }
    if (twice <= dx) {
      error += dx;
      cell.y += step_y;
    }
  }
}

}  // namespace

void Points::draw(Painter& painter) const {
  for (const Coordinate& c : coords) {
    if (const std::optional<Position> cell = painter.cell_at(c.x, c.y)) {
      painter.paint(*cell, color);
    }
  }
}

void Line::draw(Painter& painter) const {
  const std::optional<Segment> cut =
      clip({{x1, y1}, {x2, y2}}, painter.x_bounds(), painter.y_bounds());
  if (!cut) {
    return;
  }
  const std::optional<Position> from = painter.cell_at(cut->from.x, cut->from.y);
  const std::optional<Position> to = painter.cell_at(cut->to.x, cut->to.y);
  if (from && to) {
    paint_cells_between(painter, *from, *to, color);
  }
}

void Rectangle::draw(Painter& painter) const {
  const double right = x + width;
  const double top = y + height;
  painter.draw(Line{x, y, x, top, color});
  painter.draw(Line{x, top, right, top, color});
  painter.draw(Line{right, top, right, y, color});
  painter.draw(Line{x, y, right, y, color});
}

}  // namespace tui
