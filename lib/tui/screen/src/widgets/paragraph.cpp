#include "tui/widgets/paragraph.hpp"

#include <algorithm>

#include "tui/screen/utf8.hpp"

namespace tui {
namespace {

int width_of(std::string_view text) {
  int width = 0;
  while (!text.empty()) {
    pop_code_point(text);
    ++width;
  }
  return width;
}

int start_column(Alignment alignment, int area_width, int line_width) {
  if (alignment == Alignment::Left) {
    return 0;
  }
  return std::max(area_width / 2 - line_width / 2, 0);
}

}  // namespace

std::vector<TextLine> split_lines(std::string_view text, Style style) {
  std::vector<TextLine> lines;
  while (true) {
    const std::size_t end = text.find('\n');
    lines.push_back({std::string(text.substr(0, end)), style});
    if (end == std::string_view::npos) {
      return lines;
    }
    text.remove_prefix(end + 1);
  }
}

void Paragraph::render(Rect area, Buffer& buffer) const {
  Rect text_area = area;
  if (block) {
    block->render(area, buffer);
    text_area = block->inner(area);
  }
  if (text_area.is_empty()) {
    return;
  }
  const std::size_t rows = std::min(lines.size(), static_cast<std::size_t>(text_area.height));
  for (std::size_t i = 0; i < rows; ++i) {
    const TextLine& line = lines[i];
    const int offset = start_column(alignment, text_area.width, width_of(line.text));
    buffer.set_string({text_area.x + offset, text_area.y + static_cast<int>(i)}, line.text,
                      line.style, text_area.width - offset);
  }
}

}  // namespace tui
