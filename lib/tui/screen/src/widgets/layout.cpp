#include "tui/widgets/layout.hpp"

#include <algorithm>
#include <cstdint>

namespace tui {
namespace {

int percentage_of(int total, int percent) {
  // In 64 bits so that a huge area cannot overflow the product.
  const std::int64_t share = std::int64_t{total} * std::clamp(percent, 0, 100) / 100;
  return static_cast<int>(share);
}

}  // namespace

std::vector<Rect> Layout::split(Rect area) const {
  const bool horizontal = direction_ == Direction::Horizontal;
  const int total = horizontal ? area.width : area.height;

  std::vector<int> sizes;
  sizes.reserve(constraints_.size());
  int left_over = total;
  for (const Constraint& constraint : constraints_) {
    const int size = std::min(percentage_of(total, constraint.percent), left_over);
    sizes.push_back(size);
    left_over -= size;
  }

  int offset = flex_ == Flex::Center ? left_over / 2 : 0;
  std::vector<Rect> chunks;
  chunks.reserve(sizes.size());
  for (const int size : sizes) {
    chunks.push_back(horizontal ? Rect{area.x + offset, area.y, size, area.height}
                                : Rect{area.x, area.y + offset, area.width, size});
    offset += size;
  }
  return chunks;
}

}  // namespace tui
