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
  painter.for_each_painted([&](Position painted, Color color) {
    if (Cell* cell = buffer.cell({area.x + painted.x, area.y + painted.y})) {
      show(*cell, marker, color);
    }
  });
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
