// A rectangle of cells, drawn into by widgets and compared by the draw cycle.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tui/screen/cell.hpp"
#include "tui/screen/geometry.hpp"

namespace tui {

// A cell of a buffer that differs from the previous buffer, at its screen position.
struct CellUpdate {
  Position position;
  Cell cell;
  constexpr bool operator==(const CellUpdate&) const = default;
};

class Buffer {
 public:
  Buffer() = default;
  // Every cell starts blank.
  explicit Buffer(Rect area);

  // A buffer whose rows are the given UTF-8 lines (one code point per
  // cell), each padded with blanks to the longest; handy for literal pictures.
  static Buffer with_lines(const std::vector<std::string_view>& lines);

  Rect area() const { return area_; }

  // The cell at a screen position; the position must lie inside `area()`.
  Cell& at(Position p) { return cells_[index_of(p)]; }
  const Cell& at(Position p) const { return cells_[index_of(p)]; }
  // The cell at a screen position, or nullptr outside the area.
  Cell* cell(Position p) { return area_.contains(p) ? &cells_[index_of(p)] : nullptr; }

  // Every cell blank again.
  void reset();
  // Takes a new area; every cell is blank afterwards.
  void resize(Rect area);

  // Writes UTF-8 `text` from `start`, one code point per cell, cut after
  // `max_width` cells or at the right edge. Returns the column after the last one written.
  int set_string(Position start, std::string_view text, const Style& style, int max_width);
  // Applies `style` to every cell of `area` that lies inside the buffer.
  void set_style(Rect area, const Style& style);

  // The cells of this buffer that differ from `previous` (same area), in
  // row-major order. `updates` is cleared first and reused to save allocations.
  void diff(const Buffer& previous, std::vector<CellUpdate>& updates) const;

  // The symbols of each row as UTF-8, for tests and debugging.
  std::vector<std::string> lines() const;

  bool operator==(const Buffer&) const = default;

 private:
  std::size_t index_of(Position p) const {
    return cell_index({p.x - area_.x, p.y - area_.y}, area_.width);
  }

  Rect area_;
  std::vector<Cell> cells_;
};

}  // namespace tui
