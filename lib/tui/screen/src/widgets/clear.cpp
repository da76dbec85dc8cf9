#include "tui/widgets/clear.hpp"

namespace tui {

void Clear::render(Rect area, Buffer& buffer) const {
  const Rect visible = area.intersection(buffer.area());
  for (int y = visible.top(); y < visible.bottom(); ++y) {
    for (int x = visible.left(); x < visible.right(); ++x) {
      buffer.at({x, y}) = BLANK_CELL;
    }
  }
}

}  // namespace tui
