// A frame of plain box-drawing lines around an area, with an optional title.
#pragma once

#include <cstdint>
#include <string>

#include "tui/screen/buffer.hpp"

namespace tui {

// Which sides of a block have a border: a set of flags.
enum class Borders : std::uint8_t {
  NONE = 0,
  TOP = 1 << 0,
  BOTTOM = 1 << 1,
  LEFT = 1 << 2,
  RIGHT = 1 << 3,
  ALL = TOP | BOTTOM | LEFT | RIGHT,
};

constexpr Borders operator|(Borders a, Borders b) {
  return static_cast<Borders>(static_cast<std::uint8_t>(a) | static_cast<std::uint8_t>(b));
}
constexpr Borders operator&(Borders a, Borders b) {
  return static_cast<Borders>(static_cast<std::uint8_t>(a) & static_cast<std::uint8_t>(b));
}
// True when every side in `sides` is in `set`.
constexpr bool has(Borders set, Borders sides) {
  return (set & sides) == sides;
}

// Every member has a default, so a designated initialiser may name only those it needs.
struct Block {
  Borders borders = Borders::NONE;
  // Drawn left-aligned on the top row, after the left border and cut before the right
  // border. A title with no top border still takes the top row.
  std::string title{};

  // The area inside the borders (and the title row); sizes stop at 0.
  Rect inner(Rect area) const;

  // Draws the border lines, corners, then the title. Only symbols change: the cells keep
  // their colours.
  void render(Rect area, Buffer& buffer) const;
};

}  // namespace tui
