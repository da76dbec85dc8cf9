#include "tui/widgets/canvas.hpp"

namespace tui {
namespace {

void show(Cell& cell, Marker marker, Color color) {
  switch (marker) {
    case Marker::Block:
      cell.symbol = U'█';
      cell.fg = color;
      cell.bg = color;
      return;
    case Marker::Dot:
      cell.symbol = U'•';
      cell.fg = color;
      return;
  }
}

void transfer(const Painter& painter, Rect area, Marker marker, Buffer& buffer) {
  for (int row = 0; row < area.height; ++row) {
    for (int column = 0; column < area.width; ++column) {
      const std::optional<Color> color = painter.painted({column, row});
      if (!color) {
        continue;
      }
      if (Cell* cell = buffer.cell({area.x + column, area.y + row})) {
        show(*cell, marker, *color);
      }
    }
  }
}

}  // namespace

void Canvas::render(Rect area, Buffer& buffer) const {
  Rect drawing_area = area;
  if (block) {
    block->render(area, buffer);
    drawing_area = block->inner(area);
  }
  if (drawing_area.is_empty()) {
    return;
  }
  buffer.set_style(drawing_area, Style::background(background_color));
  Painter painter(drawing_area.size(), x_bounds, y_bounds);
  if (paint) {
    paint(painter);
  }
  transfer(painter, drawing_area, marker, buffer);
}

}  // namespace tui
