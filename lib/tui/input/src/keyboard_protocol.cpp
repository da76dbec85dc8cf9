#include "keyboard_protocol.hpp"

#include "key_codes.hpp"

namespace tui::detail {
namespace {

// Letters come by their lower-case code. `shifted`, when the terminal sends
// it, is the character Shift made of a non-letter ('!' of '1').
char32_t protocol_character(char32_t ch, unsigned shifted, unsigned bits) {
  const bool shift = (bits & SHIFT_BIT) != 0;
  const bool caps_lock = (bits & CAPS_LOCK_BIT) != 0;
  if (ch >= U'a' && ch <= U'z') {
    return shift != caps_lock ? ch - U'a' + U'A' : ch;
  }
  const std::optional<KeyCode> shifted_key = kitty_key(shifted);
  if (shift && shifted != 0 && shifted_key && shifted_key->key == Key::Char) {
    return shifted_key->ch;
  }
  return ch;
}

}  // namespace

std::optional<KeyEvent> keyboard_protocol_key(const CsiParameters& p) {
  std::optional<KeyCode> code = kitty_key(p.at(0));
  if (!code) {
    return std::nullopt;
  }
  const unsigned bits = modifier_bits(p.at(1));
  if (code->key == Key::Char) {
    code->ch = protocol_character(code->ch, p.at(0, 1), bits);
  }
  // The same key as the legacy ESC [ Z, so both forms agree.
  if (code->key == Key::Tab && (bits & SHIFT_BIT) != 0) {
    code = KeyCode::named(Key::BackTab);
  }
  return KeyEvent{*code, modifiers_from_bits(bits), event_kind(p.at(1, 1))};
}

}  // namespace tui::detail
