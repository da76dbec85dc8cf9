// One terminal cell: a symbol one column wide and its two colours.
#pragma once

#include <cstdint>
#include <type_traits>

#include "tui/screen/style.hpp"

namespace tui {

struct Cell {
  char32_t symbol = U' ';
  Color fg = Color::Reset;
  Color bg = Color::Reset;
  // Fills what would be padding, so that equal cells are equal bytes and a
  // buffer compares a whole row at once (see Buffer::diff). Always zero.
  std::uint16_t reserved = 0;

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

static_assert(std::has_unique_object_representations_v<Cell>);

// A space in the terminal's default colours.
inline constexpr Cell BLANK_CELL{};

}  // namespace tui
