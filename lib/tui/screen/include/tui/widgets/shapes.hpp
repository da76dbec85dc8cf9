// What a canvas can paint: points, straight lines and rectangle outlines in world units.
#pragma once

#include <vector>

#include "tui/screen/style.hpp"
#include "tui/widgets/painter.hpp"

namespace tui {

struct Coordinate {
  double x = 0.0;
  double y = 0.0;
};

// One cell per coordinate; coordinates outside the bounds are dropped.
struct Points {
  std::vector<Coordinate> coords{};
  Color color = Color::Reset;

  void draw(Painter& painter) const;
};

// A straight line from (x1, y1) to (x2, y2). It is cut to the bounds first (a line wholly
// outside paints nothing), then every cell from one cut end to the other is painted, both
// ends included.
struct Line {
  double x1 = 0.0;
  double y1 = 0.0;
  double x2 = 0.0;
  double y2 = 0.0;
  Color color = Color::Reset;

  void draw(Painter& painter) const;
};

// The outline of the rectangle with bottom-left corner (x, y): four lines, the left edge
// upwards, the top edge rightwards, the right edge downwards, then the bottom edge
// rightwards. The inside is not painted.
struct Rectangle {
  double x = 0.0;
  double y = 0.0;
  double width = 0.0;
  double height = 0.0;
  Color color = Color::Reset;

  void draw(Painter& painter) const;
};

}  // namespace tui
