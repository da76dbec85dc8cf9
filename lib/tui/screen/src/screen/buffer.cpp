#include "tui/screen/buffer.hpp"

#include <algorithm>
#include <cstring>

#include "tui/screen/utf8.hpp"

namespace tui {

Buffer::Buffer(Rect area) : area_(area), cells_(cell_count(area.size())) {}

Buffer Buffer::with_lines(const std::vector<std::string_view>& lines) {
  std::vector<std::vector<char32_t>> rows;
  int width = 0;
  for (std::string_view line : lines) {
    std::vector<char32_t>& row = rows.emplace_back();
    while (!line.empty()) {
      row.push_back(pop_code_point(line));
    }
    width = std::max(width, static_cast<int>(row.size()));
  }
  Buffer buffer(Rect{0, 0, width, static_cast<int>(rows.size())});
  for (int y = 0; y < static_cast<int>(rows.size()); ++y) {
    const std::vector<char32_t>& row = rows[static_cast<std::size_t>(y)];
    for (int x = 0; x < static_cast<int>(row.size()); ++x) {
      buffer.at({x, y}).symbol = row[static_cast<std::size_t>(x)];
    }
  }
  return buffer;
}

void Buffer::reset() {
  std::fill(cells_.begin(), cells_.end(), BLANK_CELL);
}

void Buffer::resize(Rect area) {
  area_ = area;
  cells_.assign(cell_count(area.size()), BLANK_CELL);
}

int Buffer::set_string(Position start, std::string_view text, const Style& style, int max_width) {
  int x = start.x;
  const int end = std::min(area_.right(), start.x + std::max(max_width, 0));
  if (start.y < area_.top() || start.y >= area_.bottom()) {
    return x;
  }
  while (!text.empty() && x < end) {
    const char32_t symbol = pop_code_point(text);
    if (x >= area_.left()) {
      at({x, start.y}).symbol = symbol;
      at({x, start.y}).set_style(style);
    }
    ++x;
  }
  return x;
}

void Buffer::set_style(Rect area, const Style& style) {
  const Rect clipped = area.intersection(area_);
  if (clipped.is_empty()) {
    return;
  }
  for (int y = clipped.top(); y < clipped.bottom(); ++y) {
    const auto row = cells_.begin() + static_cast<std::ptrdiff_t>(index_of({clipped.left(), y}));
    std::for_each(row, row + clipped.width, [&style](Cell& cell) { cell.set_style(style); });
  }
}

// Most rows of a frame are as they were, so a row is first compared as
// bytes, which cells allow (see Cell), and only a changed row cell by cell.
void Buffer::diff(const Buffer& previous, std::vector<CellUpdate>& updates) const {
  updates.clear();
  const bool comparable = previous.area_ == area_;
  const auto width = static_cast<std::size_t>(area_.width);
  for (std::size_t start = 0; start < cells_.size(); start += width) {
    if (comparable &&
        std::memcmp(&cells_[start], &previous.cells_[start], width * sizeof(Cell)) == 0) {
      continue;
    }
    for (std::size_t i = start; i < start + width; ++i) {
      if (!comparable || cells_[i] != previous.cells_[i]) {
        const Position offset = cell_position(i, area_.width);
        updates.push_back({{area_.x + offset.x, area_.y + offset.y}, cells_[i]});
      }
    }
  }
}

std::vector<std::string> Buffer::lines() const {
  std::vector<std::string> rows;
  for (int y = area_.top(); y < area_.bottom(); ++y) {
    std::string& row = rows.emplace_back();
    for (int x = area_.left(); x < area_.right(); ++x) {
      append_utf8(row, at({x, y}).symbol);
    }
  }
  return rows;
}

}  // namespace tui
