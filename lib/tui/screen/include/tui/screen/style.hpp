// Colours of the 16-colour palette and the style patches that widgets apply.
#pragma once

#include <cstdint>
#include <optional>

namespace tui {

// `Reset` is the terminal's own default colour; the rest are the named
// entries of the 16-colour palette (`White` is the bright one).
enum class Color : std::uint8_t {
  Reset,
  Black,
  Red,
  Green,
  Yellow,
  Blue,
  Magenta,
  Cyan,
  Gray,
  DarkGray,
  LightRed,
  LightGreen,
  LightYellow,
  LightBlue,
  LightMagenta,
  LightCyan,
  White,
};

// A patch: only the colours that are set replace a cell's colours.
struct Style {
  std::optional<Color> fg;
  std::optional<Color> bg;

  constexpr bool operator==(const Style&) const = default;

  static constexpr Style foreground(Color c) { return {c, std::nullopt}; }
  static constexpr Style background(Color c) { return {std::nullopt, c}; }
};

}  // namespace tui
