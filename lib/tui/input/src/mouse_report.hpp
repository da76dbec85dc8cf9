// What the button byte of a mouse report says, in both the SGR form
// (`ESC[<b;x;yM` or `m`) and the X10 form (`ESC[M` and three bytes).
#pragma once

#include <optional>

#include "tui/input/events.hpp"

namespace tui::detail {

constexpr Modifiers mouse_modifiers(unsigned button_bits) {
  Modifiers m = Modifiers::NONE;
  if ((button_bits & 4) != 0) {
    m |= Modifiers::SHIFT;
  }
  if ((button_bits & 8) != 0) {
    m |= Modifiers::ALT;
  }
  if ((button_bits & 16) != 0) {
    m |= Modifiers::CONTROL;
  }
  return m;
}

constexpr std::optional<MouseEvent> wheel_event(unsigned button_bits, bool released, int column,
                                                int row) {
  const unsigned direction = button_bits & 3;
  if (released || direction > 1) {  // sideways wheels are of no use here
    return std::nullopt;
  }
  const MouseEventKind kind =
      direction == 0 ? MouseEventKind::ScrollUp : MouseEventKind::ScrollDown;
  return MouseEvent{kind, MouseButton::None, column, row, mouse_modifiers(button_bits)};
}

// `released` is the SGR form's final 'm'; the X10 form says release with
// button number 3 and cannot tell which button went up.
constexpr std::optional<MouseEvent> mouse_event(unsigned button_bits, bool released, int column,
                                                int row) {
  if ((button_bits & 128) != 0) {  // buttons 8 and up
    return std::nullopt;
  }
  if ((button_bits & 64) != 0) {
    return wheel_event(button_bits, released, column, row);
  }
  constexpr MouseButton BUTTONS[] = {MouseButton::Left, MouseButton::Middle, MouseButton::Right,
                                     MouseButton::None};
  const MouseButton button = BUTTONS[button_bits & 3];
  MouseEventKind kind = MouseEventKind::Down;
  if ((button_bits & 32) != 0) {
    kind = button == MouseButton::None ? MouseEventKind::Moved : MouseEventKind::Drag;
  } else if (released || button == MouseButton::None) {
    kind = MouseEventKind::Up;
  }
  return MouseEvent{kind, button, column, row, mouse_modifiers(button_bits)};
}

}  // namespace tui::detail
