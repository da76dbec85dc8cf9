// Key events as the tests write them.
#pragma once

#include "tui/input/events.hpp"

namespace event_builders {

using tui::Event;
using tui::Key;
using tui::KeyCode;
using tui::KeyEvent;
using tui::KeyEventKind;
using tui::Modifiers;

inline KeyEvent press(KeyCode code, Modifiers modifiers = Modifiers::NONE) {
  return {code, modifiers, KeyEventKind::Press};
}

inline KeyEvent release(KeyCode code, Modifiers modifiers = Modifiers::NONE) {
  return {code, modifiers, KeyEventKind::Release};
}

inline Event key(KeyCode code, Modifiers modifiers = Modifiers::NONE,
                 KeyEventKind kind = KeyEventKind::Press) {
  return KeyEvent{code, modifiers, kind};
}

inline Event key(char32_t ch, Modifiers modifiers = Modifiers::NONE,
                 KeyEventKind kind = KeyEventKind::Press) {
  return key(KeyCode::character(ch), modifiers, kind);
}

inline Event key(Key named, Modifiers modifiers = Modifiers::NONE,
                 KeyEventKind kind = KeyEventKind::Press) {
  return key(KeyCode::named(named), modifiers, kind);
}

}  // namespace event_builders
