// Lets failure messages show positions and rectangles as their numbers.
#pragma once

#include <ostream>

#include "tui/screen/geometry.hpp"

namespace tui {

inline void PrintTo(const Position& p, std::ostream* out) {
  *out << "Position{" << p.x << ", " << p.y << "}";
}

inline void PrintTo(const Rect& r, std::ostream* out) {
  *out << "Rect{" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << "}";
}

}  // namespace tui
