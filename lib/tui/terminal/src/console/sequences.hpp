// Every byte string that taking the console over and giving it back writes,
// in one place: each way out writes the same ones, in the same order.
#pragma once

#include <string_view>

namespace tui::detail {

inline constexpr std::string_view ENTER_ALTERNATE_SCREEN = "\x1b[?1049h";
inline constexpr std::string_view LEAVE_ALTERNATE_SCREEN = "\x1b[?1049l";
inline constexpr std::string_view SHOW_CURSOR = "\x1b[?25h";

// The game's screen erased in the default colours and the cursor home, the
// last thing written on the alternate screen before it is left: a console
// without one (or with it switched off) would keep the last frame under the
// shell's prompt.
inline constexpr std::string_view ERASE_AND_HOME = "\x1b[m\x1b[2J\x1b[H";

// Keys with their releases, told apart from their legacy look-alikes:
// 1 disambiguate, 2 report event types, 8 report all keys as escape codes.
inline constexpr std::string_view PUSH_KEYBOARD_FLAGS = "\x1b[>11u";
inline constexpr std::string_view POP_KEYBOARD_FLAGS = "\x1b[<u";

// Does the terminal speak the keyboard protocol, and its device attributes,
// which every terminal answers, last.
inline constexpr std::string_view QUERIES = "\x1b[?u\x1b[c";

}  // namespace tui::detail
