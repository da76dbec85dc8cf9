// What the event source delivers: one input item at a time.
//
// Kept free of Asio and of std::expected so that plain code (the game's key
// handler, the decoder's fuzz target built with clang) can include it.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>
#include <variant>

namespace tui {

enum class Key : std::uint8_t {
  Char,  // a character: see KeyCode::ch
  F,     // a function key: see KeyCode::number
  Backspace,
  Enter,
  Left,
  Right,
  Up,
  Down,
  Home,
  End,
  PageUp,
  PageDown,
  Tab,
  BackTab,
  Delete,
  Insert,
  Esc,
};

struct KeyCode {
  Key key = Key::Char;
  char32_t ch = 0;          // for Key::Char: one Unicode scalar value, case as typed
  std::uint8_t number = 0;  // for Key::F: 1 to 24

  constexpr bool operator==(const KeyCode&) const = default;

  static constexpr KeyCode named(Key key) { return {key, 0, 0}; }
  static constexpr KeyCode character(char32_t ch) { return {Key::Char, ch, 0}; }
  static constexpr KeyCode function(std::uint8_t n) { return {Key::F, 0, n}; }
};

// A set of modifier keys; further bits may exist beyond the three the game reads.
enum class Modifiers : std::uint8_t {
  NONE = 0,
  SHIFT = 1,
  CONTROL = 2,
  ALT = 4,
  SUPER = 8,
  HYPER = 16,
  META = 32,
};

constexpr Modifiers operator|(Modifiers a, Modifiers b) {
  return static_cast<Modifiers>(static_cast<std::uint8_t>(a) | static_cast<std::uint8_t>(b));
}
constexpr Modifiers operator&(Modifiers a, Modifiers b) {
  return static_cast<Modifiers>(static_cast<std::uint8_t>(a) & static_cast<std::uint8_t>(b));
}
constexpr Modifiers& operator|=(Modifiers& a, Modifiers b) {
  return a = a | b;
}
constexpr bool contains(Modifiers set, Modifiers m) {
  return (set & m) == m;
}

enum class KeyEventKind : std::uint8_t { Press, Repeat, Release };

struct KeyEvent {
  KeyCode code;
  Modifiers modifiers = Modifiers::NONE;
  KeyEventKind kind = KeyEventKind::Press;
  constexpr bool operator==(const KeyEvent&) const = default;
};

enum class MouseButton : std::uint8_t { Left, Middle, Right, None };
enum class MouseEventKind : std::uint8_t { Down, Up, Drag, Moved, ScrollUp, ScrollDown };

struct MouseEvent {
  MouseEventKind kind = MouseEventKind::Moved;
  MouseButton button = MouseButton::None;
  int column = 0;  // 0-based
  int row = 0;     // 0-based
  Modifiers modifiers = Modifiers::NONE;
  constexpr bool operator==(const MouseEvent&) const = default;
};

struct FocusGained {
  constexpr bool operator==(const FocusGained&) const = default;
};
struct FocusLost {
  constexpr bool operator==(const FocusLost&) const = default;
};
struct Paste {
  std::string text;
  bool operator==(const Paste&) const = default;
};
struct Resize {
  int width = 0;
  int height = 0;
  constexpr bool operator==(const Resize&) const = default;
};

using Event = std::variant<KeyEvent, MouseEvent, FocusGained, FocusLost, Paste, Resize>;

// Reading the console input failed.
struct InputError {
  std::error_code error;
  bool operator==(const InputError&) const = default;
};

// The console input ended (the terminal went away); delivered once.
struct EndOfInput {
  constexpr bool operator==(const EndOfInput&) const = default;
};

using InputItem = std::variant<Event, InputError, EndOfInput>;

}  // namespace tui
