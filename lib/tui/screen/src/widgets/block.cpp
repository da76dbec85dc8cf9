#include "tui/widgets/block.hpp"

#include <algorithm>

namespace tui {
namespace {

void put(Buffer& buffer, Position p, char32_t symbol) {
  if (Cell* cell = buffer.cell(p)) {
    cell->symbol = symbol;
  }
}

void draw_column(Buffer& buffer, int x, int top, int bottom, char32_t symbol) {
  for (int y = top; y < bottom; ++y) {
    put(buffer, {x, y}, symbol);
  }
}

void draw_row(Buffer& buffer, int y, int left, int right, char32_t symbol) {
  for (int x = left; x < right; ++x) {
    put(buffer, {x, y}, symbol);
  }
}

}  // namespace

Rect Block::inner(Rect area) const {
  const int left = has(borders, Borders::LEFT) ? 1 : 0;
  const int right = has(borders, Borders::RIGHT) ? 1 : 0;
  const int top = has(borders, Borders::TOP) || !title.empty() ? 1 : 0;
  const int bottom = has(borders, Borders::BOTTOM) ? 1 : 0;
  return {area.x + left, area.y + top, std::max(area.width - left - right, 0),
          std::max(area.height - top - bottom, 0)};
}

void Block::render(Rect area, Buffer& buffer) const {
  if (area.is_empty()) {
    return;
  }
  const int last_x = area.right() - 1;
  const int last_y = area.bottom() - 1;
  if (has(borders, Borders::LEFT)) {
    draw_column(buffer, area.left(), area.top(), area.bottom(), U'│');
  }
  if (has(borders, Borders::TOP)) {
    draw_row(buffer, area.top(), area.left(), area.right(), U'─');
  }
  if (has(borders, Borders::RIGHT)) {
    draw_column(buffer, last_x, area.top(), area.bottom(), U'│');
  }
  if (has(borders, Borders::BOTTOM)) {
    draw_row(buffer, last_y, area.left(), area.right(), U'─');
  }
  // Corners last; in a block one cell wide or high, the top-left one wins.
  if (has(borders, Borders::BOTTOM | Borders::RIGHT)) {
    put(buffer, {last_x, last_y}, U'┘');
  }
  if (has(borders, Borders::TOP | Borders::RIGHT)) {
    put(buffer, {last_x, area.top()}, U'┐');
  }
  if (has(borders, Borders::BOTTOM | Borders::LEFT)) {
    put(buffer, {area.left(), last_y}, U'└');
  }
  if (has(borders, Borders::TOP | Borders::LEFT)) {
    put(buffer, {area.left(), area.top()}, U'┌');
  }

  if (!title.empty()) {
    const int left = has(borders, Borders::LEFT) ? 1 : 0;
    const int right = has(borders, Borders::RIGHT) ? 1 : 0;
    buffer.set_string({area.x + left, area.y}, title, Style{}, area.width - left - right);
  }
}

}  // namespace tui
