// Readable gtest output for input events and decoder items, such as
// "Up+ctrl", "'c'+ctrl+shift release" or "mouse down left at 9,4".
#pragma once

#include <cstddef>
#include <cstdio>
#include <iterator>
#include <ostream>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "tui/input/events.hpp"
#include "tui/input/input_decoder.hpp"

namespace tui {

namespace printing {

// Bytes as a C string literal would show them, cut after `limit` bytes.
inline void print_bytes(std::ostream& os, std::string_view bytes, std::size_t limit = 48) {
  os << '"';
  for (const char c : bytes.substr(0, limit)) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b < 0x7F && c != '"' && c != '\\') {
      os << c;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", b);
      os << hex;
    }
  }
  os << '"';
  if (bytes.size() > limit) {
    os << "... (" << bytes.size() << " bytes)";
  }
}

inline const char* key_name(Key key) {
  constexpr const char* NAMES[] = {"Char", "F",       "Backspace", "Enter",  "Left",   "Right",
                                   "Up",   "Down",    "Home",      "End",    "PageUp", "PageDown",
                                   "Tab",  "BackTab", "Delete",    "Insert", "Esc"};
  const auto i = static_cast<std::size_t>(key);
  return i < std::size(NAMES) ? NAMES[i] : "?";
}

}  // namespace printing

inline std::ostream& operator<<(std::ostream& os, Modifiers modifiers) {
  constexpr std::pair<Modifiers, const char*> NAMES[] = {
      {Modifiers::SHIFT, "shift"}, {Modifiers::CONTROL, "ctrl"}, {Modifiers::ALT, "alt"},
      {Modifiers::SUPER, "super"}, {Modifiers::HYPER, "hyper"},  {Modifiers::META, "meta"}};
  for (const auto& [modifier, name] : NAMES) {
    if (contains(modifiers, modifier)) {
      os << '+' << name;
    }
  }
  return os;
}

inline std::ostream& operator<<(std::ostream& os, const KeyCode& code) {
  if (code.key == Key::F) {
    return os << 'F' << static_cast<int>(code.number);
  }
  if (code.key != Key::Char) {
    return os << printing::key_name(code.key);
  }
  if (code.ch >= 0x20 && code.ch < 0x7F) {
    return os << '\'' << static_cast<char>(code.ch) << '\'';
  }
  char hex[16];
  std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(code.ch));
  return os << hex;
}

inline std::ostream& operator<<(std::ostream& os, const KeyEvent& e) {
  os << e.code << e.modifiers;
  if (e.kind == KeyEventKind::Repeat) {
    os << " repeat";
  } else if (e.kind == KeyEventKind::Release) {
    os << " release";
  }
  return os;
}

inline std::ostream& operator<<(std::ostream& os, const MouseEvent& e) {
  constexpr const char* KINDS[] = {"down", "up", "drag", "moved", "scroll-up", "scroll-down"};
  constexpr const char* BUTTONS[] = {"left", "middle", "right", "none"};
  return os << "mouse " << KINDS[static_cast<int>(e.kind)] << ' '
            << BUTTONS[static_cast<int>(e.button)] << " at " << e.column << ',' << e.row
            << e.modifiers;
}

inline std::ostream& operator<<(std::ostream& os, const FocusGained&) {
  return os << "focus gained";
}
inline std::ostream& operator<<(std::ostream& os, const FocusLost&) {
  return os << "focus lost";
}
inline std::ostream& operator<<(std::ostream& os, const Paste& p) {
  os << "paste ";
  printing::print_bytes(os, p.text);
  return os;
}
inline std::ostream& operator<<(std::ostream& os, const Resize& r) {
  return os << "resize " << r.width << 'x' << r.height;
}
inline std::ostream& operator<<(std::ostream& os, const KeyboardFlagsReply& r) {
  return os << "keyboard flags " << r.flags;
}
inline std::ostream& operator<<(std::ostream& os, const DeviceAttributesReply&) {
  return os << "device attributes";
}

// gtest prints a std::variant with its full type name; these print the
// alternative alone. Call them directly, or through the vector printer.
inline void PrintTo(const Event& e, std::ostream* os) {
  std::visit([os](const auto& value) { *os << value; }, e);
}

inline void PrintTo(const Decoded& d, std::ostream* os) {
  std::visit(
      [os](const auto& value) {
        if constexpr (std::is_same_v<std::decay_t<decltype(value)>, Event>) {
          PrintTo(value, os);
        } else {
          *os << value;
        }
      },
      d);
}

inline void PrintTo(const std::vector<Decoded>& items, std::ostream* os) {
  *os << '{';
  for (std::size_t i = 0; i < items.size(); ++i) {
    *os << (i == 0 ? "" : ", ");
    PrintTo(items[i], os);
  }
  *os << '}';
}

}  // namespace tui
