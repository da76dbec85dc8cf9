// What the codes in terminal input stand for: single bytes, modifier
// fields, the numbers and final bytes of key sequences, kitty key codes.
#pragma once

#include <cstdint>
#include <iterator>
#include <optional>

#include "tui/input/events.hpp"

namespace tui::detail {

inline constexpr unsigned char ESC = 0x1B;

constexpr KeyEvent press(KeyCode code, Modifiers modifiers = Modifiers::NONE) {
  return {code, modifiers, KeyEventKind::Press};
}

// A byte below 0x80 typed as it is. A legacy terminal sends Shift+q and
// Caps Lock q alike, as 'Q', so an upper-case letter reads as shifted.
constexpr KeyEvent key_for_byte(unsigned char byte) {
  constexpr Modifiers CONTROL = Modifiers::CONTROL;
  switch (byte) {
    case 0x00:
      return press(KeyCode::character(U' '), CONTROL);
    case 0x08:
    case 0x7F:
      return press(KeyCode::named(Key::Backspace));
    case 0x09:
      return press(KeyCode::named(Key::Tab));
    case 0x0D:
      return press(KeyCode::named(Key::Enter));
    case ESC:
      return press(KeyCode::named(Key::Esc));
    default:
      break;
  }
  if (byte < 0x1B) {
    return press(KeyCode::character(U'a' + byte - 1u), CONTROL);
  }
  if (byte < 0x20) {
    return press(KeyCode::character(U'4' + byte - 0x1Cu), CONTROL);
  }
  const bool upper = byte >= 'A' && byte <= 'Z';
  return press(KeyCode::character(byte), upper ? Modifiers::SHIFT : Modifiers::NONE);
}

// The bits of a modifier field ("1 + bits"); 0 or absent is no modifier.
constexpr unsigned modifier_bits(unsigned field) {
  return field > 0 ? field - 1 : 0;
}

inline constexpr unsigned SHIFT_BIT = 1;
inline constexpr unsigned CAPS_LOCK_BIT = 64;

// Caps Lock and Num Lock are states, not keys held: they are left out.
constexpr Modifiers modifiers_from_bits(unsigned bits) {
  Modifiers m = Modifiers::NONE;
  const auto add = [&m, bits](unsigned bit, Modifiers modifier) {
    if ((bits & bit) != 0) {
      m |= modifier;
    }
  };
  add(SHIFT_BIT, Modifiers::SHIFT);
  add(2, Modifiers::ALT);
  add(4, Modifiers::CONTROL);
  add(8, Modifiers::SUPER);
  add(16, Modifiers::HYPER);
  add(32, Modifiers::META);
  return m;
}

// The program has no use for key repeats: a repeat is one more press.
constexpr KeyEventKind event_kind(unsigned field) {
  return field == 3 ? KeyEventKind::Release : KeyEventKind::Press;
}

// The keys of `ESC [ ... letter` and `ESC O letter`.
constexpr std::optional<KeyCode> key_for_final(char final_byte) {
  switch (final_byte) {
    case 'A':
      return KeyCode::named(Key::Up);
    case 'B':
      return KeyCode::named(Key::Down);
    case 'C':
      return KeyCode::named(Key::Right);
    case 'D':
      return KeyCode::named(Key::Left);
    case 'H':
      return KeyCode::named(Key::Home);
    case 'F':
      return KeyCode::named(Key::End);
    case 'P':
    case 'Q':
    case 'R':
    case 'S':
      return KeyCode::function(static_cast<std::uint8_t>(final_byte - 'P' + 1));
    default:
      return std::nullopt;
  }
}

// The keypad in application mode, `ESC O letter`.
constexpr std::optional<KeyCode> keypad_key_for_final(char final_byte) {
  if (final_byte == 'M') {
    return KeyCode::named(Key::Enter);
  }
  if (final_byte == 'X') {
    return KeyCode::character(U'=');
  }
  if (final_byte >= 'p' && final_byte <= 'y') {
    return KeyCode::character(static_cast<char32_t>(U'0' + (final_byte - 'p')));
  }
  if (final_byte >= 'j' && final_byte <= 'o') {
    constexpr char32_t SYMBOLS[] = U"*+,-./";
    return KeyCode::character(SYMBOLS[final_byte - 'j']);
  }
  return std::nullopt;
}

// The keys of `ESC [ number ~`.
constexpr std::optional<KeyCode> key_for_tilde(unsigned number) {
  switch (number) {
    case 1:
    case 7:
      return KeyCode::named(Key::Home);
    case 2:
      return KeyCode::named(Key::Insert);
    case 3:
      return KeyCode::named(Key::Delete);
    case 4:
    case 8:
      return KeyCode::named(Key::End);
    case 5:
      return KeyCode::named(Key::PageUp);
    case 6:
      return KeyCode::named(Key::PageDown);
    default:
      break;
  }
  // F1 to F20, numbered with the gaps the VT220 left (16, 22, 27, 30).
  constexpr unsigned char NUMBERS[] = {11, 12, 13, 14, 15, 17, 18, 19, 20, 21,
                                       23, 24, 25, 26, 28, 29, 31, 32, 33, 34};
  for (std::uint8_t f = 0; f < sizeof NUMBERS; ++f) {
    if (NUMBERS[f] == number) {
      return KeyCode::function(static_cast<std::uint8_t>(f + 1));
    }
  }
  return std::nullopt;
}

constexpr bool is_scalar_value(unsigned code) {
  return code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
}

// Kitty's functional keys sit in this stretch of the private use area.
inline constexpr unsigned KITTY_FUNCTIONAL_FIRST = 57344;
inline constexpr unsigned KITTY_FUNCTIONAL_LAST = 57454;

constexpr std::optional<KeyCode> kitty_functional_key(unsigned code) {
  constexpr unsigned F13 = 57376;
  constexpr unsigned KEYPAD_0 = 57399;
  constexpr unsigned KEYPAD_LEFT = 57417;
  if (code >= F13 && code < F13 + 12) {
    return KeyCode::function(static_cast<std::uint8_t>(13 + code - F13));
  }
  if (code >= KEYPAD_0 && code < KEYPAD_0 + 10) {
    return KeyCode::character(U'0' + (code - KEYPAD_0));
  }
  constexpr char32_t KEYPAD_SYMBOLS[] = U"./*-+\r=,";  // '\r' stands for Enter
  if (code >= KEYPAD_0 + 10 && code < KEYPAD_LEFT) {
    const char32_t symbol = KEYPAD_SYMBOLS[code - KEYPAD_0 - 10];
    return symbol == U'\r' ? KeyCode::named(Key::Enter) : KeyCode::character(symbol);
  }
  constexpr Key KEYPAD_KEYS[] = {Key::Left,     Key::Right, Key::Up,  Key::Down,   Key::PageUp,
                                 Key::PageDown, Key::Home,  Key::End, Key::Insert, Key::Delete};
  if (code >= KEYPAD_LEFT && code < KEYPAD_LEFT + std::size(KEYPAD_KEYS)) {
    return KeyCode::named(KEYPAD_KEYS[code - KEYPAD_LEFT]);
  }
  // Modifier and lock keys alone, media keys, F25 and up, keypad Begin.
  return std::nullopt;
}

// The key a kitty key code names, if the program has one for it.
constexpr std::optional<KeyCode> kitty_key(unsigned code) {
  switch (code) {
    case 27:
      return KeyCode::named(Key::Esc);
    case 13:
      return KeyCode::named(Key::Enter);
    case 9:
      return KeyCode::named(Key::Tab);
    case 127:
      return KeyCode::named(Key::Backspace);
    default:
      break;
  }
  if (code >= KITTY_FUNCTIONAL_FIRST && code <= KITTY_FUNCTIONAL_LAST) {
    return kitty_functional_key(code);
  }
  if (code < 0x20 || (code >= 0x80 && code < 0xA0) || !is_scalar_value(code)) {
    return std::nullopt;
  }
  return KeyCode::character(code);
}

}  // namespace tui::detail
