// Draws shapes given in world coordinates onto a rectangle of cells, one point per cell.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "tui/screen/buffer.hpp"
#include "tui/widgets/block.hpp"
#include "tui/widgets/painter.hpp"
#include "tui/widgets/shapes.hpp"

namespace tui {

// How a painted cell looks.
enum class Marker : std::uint8_t {
  // "█" with the shape's colour as both foreground and background.
  Block,
  // "•" with the shape's colour as foreground; the background stays the canvas's.
  Dot,
};

// Every member has a default, so a designated initialiser may name only those it needs.
struct Canvas {
  Bounds x_bounds{};
  Bounds y_bounds{};
  Marker marker = Marker::Block;
  Color background_color = Color::Reset;
  // Drawn first; the shapes then fill the block's inner area.
  std::optional<Block> block{};
  // Paints the shapes, in order, into a grid of the drawing area's size; where two shapes
  // meet in a cell, the later one's colour wins.
  std::function<void(Painter&)> paint{};

  // Draws the block; then, unless the area left for the shapes is empty, gives every cell
  // of that area the background colour, paints the shapes and puts each painted cell on
  // the screen with the marker. Cells that no shape painted keep their symbols.
  void render(Rect area, Buffer& buffer) const;
};

}  // namespace tui
