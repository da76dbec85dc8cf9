// Colouring a piece of report text, or leaving it plain.
#pragma once

#include <fmt/color.h>

#include <string>
#include <string_view>

#include "report/render.hpp"

namespace report::detail {

inline constexpr fmt::text_style MESSAGE_STYLE = fmt::fg(fmt::terminal_color::red);
inline constexpr fmt::text_style LOCATION_STYLE = fmt::fg(fmt::terminal_color::magenta);
inline constexpr fmt::text_style PANIC_MESSAGE_STYLE = fmt::fg(fmt::terminal_color::cyan);
inline constexpr fmt::text_style HIDDEN_STYLE = fmt::fg(fmt::terminal_color::bright_cyan);
inline constexpr fmt::text_style FUNCTION_STYLE = fmt::fg(fmt::terminal_color::green);

inline std::string paint(const Settings& settings, fmt::text_style style, std::string_view text) {
  if (!settings.colours) {
    return std::string(text);
  }
  return fmt::format(style, "{}", text);
}

}  // namespace report::detail
