// Lines of text placed one per row, never wrapped.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tui/screen/buffer.hpp"
#include "tui/widgets/block.hpp"

namespace tui {

// One line of UTF-8 text (one cell per code point) and the style of its characters.
struct TextLine {
  std::string text{};
  Style style{};
};

// The lines of `text` between its line breaks, each with `style`.
std::vector<TextLine> split_lines(std::string_view text, Style style = {});

enum class Alignment : std::uint8_t { Left, Center };

// Every member has a default, so a designated initialiser may name only those it needs.
struct Paragraph {
  std::vector<TextLine> lines{};
  Alignment alignment = Alignment::Left;
  // Drawn first; the text then fills the block's inner area.
  std::optional<Block> block{};

  // Line i goes on row i of the text area; lines past its last row are not drawn. A centred
  // line starts floor(width / 2) - floor(line width / 2) columns in (0 when negative), so
  // a line wider than the area starts at its left column. Every line is cut at the right
  // edge. Only the cells that receive a character get the line's style.
  void render(Rect area, Buffer& buffer) const;
};

}  // namespace tui
