// Lets failure messages show rectangles as their four numbers.
#pragma once

#include <ostream>

#include "tui/screen/geometry.hpp"

namespace tui {

inline void PrintTo(const Rect& r, std::ostream* out) {
  *out << "Rect{" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << "}";
}

}  // namespace tui
