// Screen pictures for frame tests: a buffer turned into text, one line per row, so that a
// failing test shows the expected and the actual screen side by side.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "tui/screen/buffer.hpp"
#include "tui/screen/utf8.hpp"

namespace picture {

// Rows of a literal picture joined into one text.
inline std::string rows(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) {
    if (!text.empty()) {
      text += '\n';
    }
    text += line;
  }
  return text;
}

// The symbols of `area` (the whole buffer by default), one line per row.
inline std::string symbols(const tui::Buffer& buffer, std::optional<tui::Rect> area = {}) {
  const tui::Rect shown = area.value_or(buffer.area());
  std::string text;
  for (int y = shown.top(); y < shown.bottom(); ++y) {
    if (y > shown.top()) {
      text += '\n';
    }
    for (int x = shown.left(); x < shown.right(); ++x) {
      tui::append_utf8(text, buffer.at({x, y}).symbol);
    }
  }
  return text;
}

// One letter per colour: . default, R red, G green, Y yellow, W white, B blue, ? others.
inline char letter(tui::Color color) {
  switch (color) {
    case tui::Color::Reset:
      return '.';
    case tui::Color::Red:
      return 'R';
    case tui::Color::Green:
      return 'G';
    case tui::Color::Yellow:
      return 'Y';
    case tui::Color::White:
      return 'W';
    case tui::Color::Blue:
      return 'B';
    default:
      return '?';
  }
}

inline std::string colours(const tui::Buffer& buffer, tui::Color tui::Cell::*which,
                           std::optional<tui::Rect> area) {
  const tui::Rect shown = area.value_or(buffer.area());
  std::string text;
  for (int y = shown.top(); y < shown.bottom(); ++y) {
    if (y > shown.top()) {
      text += '\n';
    }
    for (int x = shown.left(); x < shown.right(); ++x) {
      text += letter(buffer.at({x, y}).*which);
    }
  }
  return text;
}

inline std::string foreground(const tui::Buffer& buffer, std::optional<tui::Rect> area = {}) {
  return colours(buffer, &tui::Cell::fg, area);
}

inline std::string background(const tui::Buffer& buffer, std::optional<tui::Rect> area = {}) {
  return colours(buffer, &tui::Cell::bg, area);
}

// A picture of `width` x `height` cells all showing `c`.
inline std::string filled(int width, int height, char c) {
  std::string text;
  for (int y = 0; y < height; ++y) {
    if (y > 0) {
      text += '\n';
    }
    text.append(static_cast<std::size_t>(width), c);
  }
  return text;
}

}  // namespace picture
