// One terminal cell: a symbol one column wide and its two colours.
#pragma once

#include "tui/screen/style.hpp"

namespace tui {

struct Cell {
  char32_t symbol = U' ';
  Color fg = Color::Reset;
  Color bg = Color::Reset;

  constexpr bool operator==(const Cell&) const = default;

  constexpr Cell& set_style(const Style& style) {
    if (style.fg) {
      fg = *style.fg;
    }
    if (style.bg) {
      bg = *style.bg;
    }
    return *this;
  }
};

// A space in the terminal's default colours.
inline constexpr Cell BLANK_CELL{};

}  // namespace tui
