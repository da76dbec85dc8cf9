// What a finished item of terminal input means: keys in the legacy forms and
// the keyboard protocol's, focus changes, mouse reports, and the answers to
// queries. Where an item ends is found first (item_framing.hpp).
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "csi_parameters.hpp"
#include "item_framing.hpp"
#include "key_codes.hpp"
#include "keyboard_protocol.hpp"
#include "mouse_report.hpp"
#include "tui/input/input_decoder.hpp"
#include "utf8_scan.hpp"

namespace tui::detail {

// Whether reading an item opens a bracketed paste.
enum class Opens : bool { Nothing, Paste };

// Appends what the whole item `bytes`, framed as `kind`, comes to.
Opens add_meaning(ItemKind kind, std::string_view bytes, std::vector<Decoded>& out);

// What the start of an item left unfinished comes to once no more of it is
// coming. A terminal writes each sequence in one go, so an introducer alone
// was typed (Alt+[ or Alt+Shift+O) and is that key. A longer fragment is a
// sequence that lost its tail: guessing at it would type keys the user never
// pressed, so it comes to nothing.
std::optional<Decoded> settled_meaning(std::string_view held);

}  // namespace tui::detail

// Definitions, in the header so that the decoder's loop inlines them.
namespace tui::detail {
namespace meaning {

inline constexpr unsigned PASTE_START = 200;

inline unsigned char byte_at(std::string_view bytes, std::size_t i) {
  return static_cast<unsigned char>(bytes[i]);
}

inline KeyEvent with_alt(KeyEvent event) {
  event.modifiers |= Modifiers::ALT;
  return event;
}

inline char32_t character_of(std::string_view bytes) {
  return scan_utf8(bytes).value;
}

inline std::optional<Decoded> as_item(std::optional<KeyEvent> event) {
  return event ? std::optional<Decoded>(Event{*event}) : std::nullopt;
}

inline std::optional<Decoded> as_item(std::optional<MouseEvent> event) {
  return event ? std::optional<Decoded>(Event{*event}) : std::nullopt;
}

inline std::optional<KeyEvent> legacy_key(std::optional<KeyCode> code, Modifiers extra,
                                          const CsiParameters& p) {
  if (!code) {
    return std::nullopt;
  }
  const Modifiers modifiers = modifiers_from_bits(modifier_bits(p.at(1))) | extra;
  return KeyEvent{*code, modifiers, event_kind(p.at(1, 1))};
}

inline std::optional<Decoded> csi_key(const CsiParameters& p, char final_byte) {
  switch (final_byte) {
    case '~':
      return as_item(legacy_key(key_for_tilde(p.at(0)), Modifiers::NONE, p));
    case 'u':
      return as_item(keyboard_protocol_key(p));
    case 'Z':  // Shift+Tab, the one key whose sequence implies its modifier
      return as_item(legacy_key(KeyCode::named(Key::BackTab), Modifiers::SHIFT, p));
    case 'I':
      return p.count == 0 ? std::optional<Decoded>(Event{FocusGained{}}) : std::nullopt;
    case 'O':
      return p.count == 0 ? std::optional<Decoded>(Event{FocusLost{}}) : std::nullopt;
    default:
      return as_item(legacy_key(key_for_final(final_byte), Modifiers::NONE, p));
  }
}

inline std::optional<Decoded> query_reply(const CsiParameters& p, char final_byte) {
  if (final_byte == 'u') {
    return KeyboardFlagsReply{p.at(0)};
  }
  if (final_byte == 'c') {
    return DeviceAttributesReply{};
  }
  return std::nullopt;
}

inline std::optional<Decoded> sgr_mouse(const CsiParameters& p, char final_byte) {
  if ((final_byte != 'M' && final_byte != 'm') || p.count < 3) {
    return std::nullopt;
  }
  const auto position = [](unsigned one_based) {
    return static_cast<int>(std::max(one_based, 1u) - 1);
  };
  return as_item(mouse_event(p.at(0), final_byte == 'm', position(p.at(1)), position(p.at(2))));
}

// ESC [ M and three bytes, each 32 above its value; positions count from 1.
inline std::optional<Decoded> x10_mouse(std::string_view bytes) {
  const auto value = [bytes](std::size_t i) { return static_cast<int>(byte_at(bytes, i)) - 32; };
  const int button = value(3);
  const int x = value(4);
  const int y = value(5);
  if (button < 0 || x < 1 || y < 1) {
    return std::nullopt;
  }
  return as_item(mouse_event(static_cast<unsigned>(button), false, x - 1, y - 1));
}

// ESC O and a letter: cursor keys, F1 to F4 and the keypad in application
// mode. Some terminals put a modifier field before the letter.
inline std::optional<Decoded> ss3_key(const CsiParameters& p, char final_byte) {
  std::optional<KeyCode> code = key_for_final(final_byte);
  if (!code) {
    code = keypad_key_for_final(final_byte);
  }
  if (!code || !p.well_formed || p.marker != 0) {
    return std::nullopt;
  }
  const unsigned field = p.count >= 2 ? p.at(1) : p.at(0);
  return Event{press(*code, modifiers_from_bits(modifier_bits(field)))};
}

// The parameters between a sequence's two-byte introducer and its final byte.
inline CsiParameters parameters_of(std::string_view bytes) {
  return parse_csi_parameters(bytes.substr(2, bytes.size() - 3));
}

inline void add(std::optional<Decoded>&& item, std::vector<Decoded>& out) {
  if (item) {
    out.push_back(std::move(*item));
  }
}

inline Opens add_control_sequence(std::string_view bytes, std::vector<Decoded>& out) {
  const CsiParameters p = parameters_of(bytes);
  const char final_byte = bytes.back();
  if (!p.well_formed) {
    return Opens::Nothing;
  }
  switch (p.marker) {
    case 0:
      break;
    case '?':
      add(query_reply(p, final_byte), out);
      return Opens::Nothing;
    case '<':
      add(sgr_mouse(p, final_byte), out);
      return Opens::Nothing;
    default:
      return Opens::Nothing;
  }
  if (final_byte == '~' && p.at(0) == PASTE_START) {
    return Opens::Paste;
  }
  add(csi_key(p, final_byte), out);
  return Opens::Nothing;
}

}  // namespace meaning

inline Opens add_meaning(ItemKind kind, std::string_view bytes, std::vector<Decoded>& out) {
  switch (kind) {
    case ItemKind::Text:
      for (const char c : bytes) {
        out.emplace_back(Event{key_for_byte(static_cast<unsigned char>(c))});
      }
      break;
    case ItemKind::Character:
      out.emplace_back(Event{press(KeyCode::character(meaning::character_of(bytes)))});
      break;
    case ItemKind::Escape:
      out.emplace_back(Event{press(KeyCode::named(Key::Esc))});
      break;
    case ItemKind::AltText:
      out.emplace_back(Event{meaning::with_alt(key_for_byte(meaning::byte_at(bytes, 1)))});
      break;
    case ItemKind::AltCharacter:
      out.emplace_back(
          Event{press(KeyCode::character(meaning::character_of(bytes.substr(1))), Modifiers::ALT)});
      break;
    case ItemKind::ControlSequence:
      return meaning::add_control_sequence(bytes, out);
    case ItemKind::Ss3:
      meaning::add(meaning::ss3_key(meaning::parameters_of(bytes), bytes.back()), out);
      break;
    case ItemKind::LinuxFunctionKey:  // the Linux console's F1 to F5
      out.emplace_back(
          Event{press(KeyCode::function(static_cast<std::uint8_t>(bytes[3] - 'A' + 1)))});
      break;
    case ItemKind::X10Mouse:
      meaning::add(meaning::x10_mouse(bytes), out);
      break;
    case ItemKind::Ignored:
    case ItemKind::LongSequence:
    case ItemKind::LongString:
      break;
  }
  return Opens::Nothing;
}

inline std::optional<Decoded> settled_meaning(std::string_view held) {
  if (held.empty() || meaning::byte_at(held, 0) != ESC) {
    return std::nullopt;
  }
  if (held.size() == 1) {
    return Event{press(KeyCode::named(Key::Esc))};
  }
  if (is_lone_introducer(held)) {
    return Event{meaning::with_alt(key_for_byte(meaning::byte_at(held, 1)))};
  }
  return std::nullopt;
}

}  // namespace tui::detail
