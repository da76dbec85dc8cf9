#include "input/input_records.hpp"

#include <array>
#include <optional>
#include <utility>

namespace tui::detail {
namespace {

// Virtual key codes, with their Windows values.
constexpr std::uint16_t VK_BACK = 0x08;
constexpr std::uint16_t VK_TAB = 0x09;
constexpr std::uint16_t VK_RETURN = 0x0D;
constexpr std::uint16_t VK_SHIFT = 0x10;
constexpr std::uint16_t VK_CONTROL = 0x11;
constexpr std::uint16_t VK_MENU = 0x12;  // Alt
constexpr std::uint16_t VK_CAPITAL = 0x14;
constexpr std::uint16_t VK_ESCAPE = 0x1B;
constexpr std::uint16_t VK_PRIOR = 0x21;
constexpr std::uint16_t VK_NEXT = 0x22;
constexpr std::uint16_t VK_END = 0x23;
constexpr std::uint16_t VK_HOME = 0x24;
constexpr std::uint16_t VK_LEFT = 0x25;
constexpr std::uint16_t VK_UP = 0x26;
constexpr std::uint16_t VK_RIGHT = 0x27;
constexpr std::uint16_t VK_DOWN = 0x28;
constexpr std::uint16_t VK_INSERT = 0x2D;
constexpr std::uint16_t VK_DELETE = 0x2E;
constexpr std::uint16_t VK_A = 0x41;
constexpr std::uint16_t VK_Z = 0x5A;
constexpr std::uint16_t VK_LWIN = 0x5B;
constexpr std::uint16_t VK_RWIN = 0x5C;
constexpr std::uint16_t VK_F1 = 0x70;
constexpr std::uint16_t VK_F24 = 0x87;
constexpr std::uint16_t VK_NUMLOCK = 0x90;
constexpr std::uint16_t VK_SCROLL = 0x91;
constexpr std::uint16_t VK_LSHIFT = 0xA0;
constexpr std::uint16_t VK_RMENU = 0xA5;

constexpr std::uint32_t CTRL_PRESSED = control_key::LEFT_CTRL | control_key::RIGHT_CTRL;
constexpr std::uint32_t ALT_PRESSED = control_key::LEFT_ALT | control_key::RIGHT_ALT;

// Keys that only change what other keys mean; the console reports their
// state with every record, so on their own they are no event.
bool is_modifier_key(std::uint16_t vk) {
  return vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU || vk == VK_CAPITAL || vk == VK_LWIN ||
         vk == VK_RWIN || vk == VK_NUMLOCK || vk == VK_SCROLL ||
         (vk >= VK_LSHIFT && vk <= VK_RMENU);
}

Modifiers modifiers_of(std::uint32_t state) {
  Modifiers modifiers = Modifiers::NONE;
  if ((state & control_key::SHIFT) != 0) {
    modifiers |= Modifiers::SHIFT;
  }
  if ((state & CTRL_PRESSED) != 0) {
    modifiers |= Modifiers::CONTROL;
  }
  if ((state & ALT_PRESSED) != 0) {
    modifiers |= Modifiers::ALT;
  }
  return modifiers;
}

// Windows reports AltGr as right Alt with left Ctrl.
bool alt_gr_held(std::uint32_t state) {
  return (state & control_key::RIGHT_ALT) != 0 && (state & control_key::LEFT_CTRL) != 0;
}

std::optional<KeyCode> named_key(std::uint16_t vk, Modifiers modifiers) {
  if (vk >= VK_F1 && vk <= VK_F24) {
    return KeyCode::function(static_cast<std::uint8_t>(vk - VK_F1 + 1));
  }
  switch (vk) {
    case VK_BACK:
      return KeyCode::named(Key::Backspace);
    case VK_TAB:
      return KeyCode::named(contains(modifiers, Modifiers::SHIFT) ? Key::BackTab : Key::Tab);
    case VK_RETURN:
      return KeyCode::named(Key::Enter);
    case VK_ESCAPE:
      return KeyCode::named(Key::Esc);
    case VK_PRIOR:
      return KeyCode::named(Key::PageUp);
    case VK_NEXT:
      return KeyCode::named(Key::PageDown);
    case VK_END:
      return KeyCode::named(Key::End);
    case VK_HOME:
      return KeyCode::named(Key::Home);
    case VK_LEFT:
      return KeyCode::named(Key::Left);
    case VK_UP:
      return KeyCode::named(Key::Up);
    case VK_RIGHT:
      return KeyCode::named(Key::Right);
    case VK_DOWN:
      return KeyCode::named(Key::Down);
    case VK_INSERT:
      return KeyCode::named(Key::Insert);
    case VK_DELETE:
      return KeyCode::named(Key::Delete);
    default:
      return std::nullopt;
  }
}

// Letters are upper case when exactly one of Shift and Caps Lock is on, as
// the console itself would type them.
char32_t letter_case(char32_t letter, std::uint32_t state) {
  const bool upper = ((state & control_key::SHIFT) != 0) != ((state & control_key::CAPS_LOCK) != 0);
  const char32_t lower = letter | 0x20;
  return upper ? lower - 0x20 : lower;
}

bool is_ascii_letter(char32_t c) {
  return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
}

bool is_high_surrogate(char32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

bool is_low_surrogate(char32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The record's character, joined with the other half of a surrogate pair;
// nothing while the first half waits for the second.
std::optional<char32_t> record_character(const KeyRecord& key, RecordContext& context) {
  const char32_t unit = key.unicode_char;
  if (is_high_surrogate(unit)) {
    context.high_surrogate = key.unicode_char;
    return std::nullopt;
  }
  const char32_t high = std::exchange(context.high_surrogate, 0);
  if (is_low_surrogate(unit)) {
    if (high == 0) {
      return std::nullopt;
    }
    return 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00);
  }
  return unit;
}

// The character key a record stands for, and its modifiers.
std::optional<KeyEvent> character_key(const KeyRecord& key, char32_t ch) {
  const std::uint32_t state = key.control_key_state;
  Modifiers modifiers = modifiers_of(state);
  const bool printable = ch >= 0x20 && ch != 0x7F;
  if (alt_gr_held(state) && printable) {
    // The character is what AltGr was for: the Ctrl and Alt it reports are not modifiers.
    modifiers = modifiers & Modifiers::SHIFT;
  } else if ((state & CTRL_PRESSED) != 0 && key.virtual_key_code >= VK_A &&
             key.virtual_key_code <= VK_Z) {
    // With Ctrl the console gives a control character (0x03 for C): the
    // key's letter is what was typed.
    ch = U'a' + (key.virtual_key_code - VK_A);
  } else if (!printable) {
    return std::nullopt;  // a dead key, or a key that types nothing
  }
  if (is_ascii_letter(ch)) {
    ch = letter_case(ch, state);
  }
  return KeyEvent{KeyCode::character(ch), modifiers, KeyEventKind::Press};
}

std::optional<KeyEvent> key_event(const KeyRecord& key, RecordContext& context) {
  const Modifiers modifiers = modifiers_of(key.control_key_state);
  if (const std::optional<KeyCode> named = named_key(key.virtual_key_code, modifiers)) {
    return KeyEvent{*named, modifiers, KeyEventKind::Press};
  }
  const std::optional<char32_t> ch = record_character(key, context);
  if (!ch) {
    return std::nullopt;
  }
  return character_key(key, *ch);
}

void translate_key(const KeyRecord& key, RecordContext& context, std::vector<Event>& out) {
  if (is_modifier_key(key.virtual_key_code)) {
    // Alt let go after digits typed on the keypad brings the character they make.
    if (key.virtual_key_code == VK_MENU && !key.key_down && key.unicode_char != 0) {
      out.emplace_back(KeyEvent{KeyCode::character(key.unicode_char)});
    }
    return;
  }
  std::optional<KeyEvent> event = key_event(key, context);
  if (!event) {
    return;
  }
  if (!key.key_down) {
    event->kind = KeyEventKind::Release;
    out.emplace_back(*event);
    return;
  }
  // A key held down comes as one record that counts its repeats.
  const int presses = key.repeat_count == 0 ? 1 : key.repeat_count;
  for (int i = 0; i < presses; ++i) {
    out.emplace_back(*event);
  }
}

struct ButtonBit {
  std::uint32_t bit;
  MouseButton button;
};

constexpr std::array<ButtonBit, 3> BUTTONS{{
    {mouse_button::LEFT, MouseButton::Left},
    {mouse_button::RIGHT, MouseButton::Right},
    {mouse_button::MIDDLE, MouseButton::Middle},
}};

constexpr std::uint32_t KNOWN_BUTTONS =
    mouse_button::LEFT | mouse_button::RIGHT | mouse_button::MIDDLE;

void translate_mouse(const MouseRecord& mouse, RecordContext& context, std::vector<Event>& out) {
  const MouseEvent at{MouseEventKind::Moved, MouseButton::None, mouse.x, mouse.y,
                      modifiers_of(mouse.control_key_state)};
  auto event = [&at](MouseEventKind kind, MouseButton button) {
    MouseEvent made = at;
    made.kind = kind;
    made.button = button;
    return made;
  };
  if ((mouse.event_flags & mouse_flag::WHEELED) != 0) {
    const auto turn = static_cast<std::int16_t>(mouse.button_state >> 16);
    out.emplace_back(
        event(turn > 0 ? MouseEventKind::ScrollUp : MouseEventKind::ScrollDown, MouseButton::None));
    return;
  }
  if ((mouse.event_flags & mouse_flag::HWHEELED) != 0) {
    return;  // sideways scrolling has no event
  }
  const std::uint32_t buttons = mouse.button_state & KNOWN_BUTTONS;
  const std::uint32_t changed = std::exchange(context.buttons, buttons) ^ buttons;
  for (const ButtonBit& b : BUTTONS) {
    if ((changed & b.bit) != 0) {
      out.emplace_back(
          event((buttons & b.bit) != 0 ? MouseEventKind::Down : MouseEventKind::Up, b.button));
    }
  }
  if (changed != 0 || (mouse.event_flags & mouse_flag::MOVED) == 0) {
    return;
  }
  for (const ButtonBit& b : BUTTONS) {
    if ((buttons & b.bit) != 0) {
      out.emplace_back(event(MouseEventKind::Drag, b.button));
      return;
    }
  }
  out.emplace_back(event(MouseEventKind::Moved, MouseButton::None));
}

}  // namespace

void translate_record(const InputRecord& record, RecordContext& context, std::vector<Event>& out) {
  if (const auto* key = std::get_if<KeyRecord>(&record)) {
    translate_key(*key, context, out);
  } else if (const auto* mouse = std::get_if<MouseRecord>(&record)) {
    translate_mouse(*mouse, context, out);
  } else if (const auto* size = std::get_if<BufferSizeRecord>(&record)) {
    out.emplace_back(Resize{size->width, size->height});
  } else if (const auto* focus = std::get_if<FocusRecord>(&record)) {
    if (focus->set_focus) {
      out.emplace_back(FocusGained{});
    } else {
      out.emplace_back(FocusLost{});
    }
  }
}

}  // namespace tui::detail
