#include "tui/input/input_decoder.hpp"

#include <algorithm>
#include <optional>
#include <utility>

#include "csi_parameters.hpp"
#include "key_codes.hpp"
#include "mouse_report.hpp"
#include "utf8_scan.hpp"

namespace tui {
namespace {

using detail::CsiParameters;
using detail::ESC;
using detail::press;

constexpr unsigned char BEL = 0x07;
constexpr unsigned PASTE_START = 200;
constexpr std::string_view PASTE_END = "\x1b[201~";

unsigned char byte_at(std::string_view bytes, std::size_t i) {
  return static_cast<unsigned char>(bytes[i]);
}

// Parameter and intermediate bytes: what stands between a control
// sequence's introducer and its final byte.
bool is_sequence_body(unsigned char b) {
  return b >= 0x20 && b <= 0x3F;
}
bool is_final(unsigned char b) {
  return b >= 0x40 && b <= 0x7E;
}
// OSC, DCS, APC, PM and SOS: strings that run to BEL or ESC '\'.
bool is_string_introducer(unsigned char b) {
  return b == ']' || b == 'P' || b == '_' || b == '^' || b == 'X';
}

Decoded key(KeyEvent event) {
  return Event{event};
}

KeyEvent with_alt(KeyEvent event) {
  event.modifiers |= Modifiers::ALT;
  return event;
}

// How a control sequence from `from` on ends: at its final byte, at a byte
// that cannot be in one (the sequence is broken off there), at the end of
// the bytes so far, or past MAX_SEQUENCE.
struct Scan {
  enum class End { Final, Broken, Partial, TooLong };
  End end;
  std::size_t at;
};

Scan scan_sequence(std::string_view bytes, std::size_t from) {
  for (std::size_t i = from;; ++i) {
    if (i >= InputDecoder::MAX_SEQUENCE) {
      return {Scan::End::TooLong, i};
    }
    if (i == bytes.size()) {
      return {Scan::End::Partial, i};
    }
    const unsigned char b = byte_at(bytes, i);
    if (!is_sequence_body(b)) {
      return {is_final(b) ? Scan::End::Final : Scan::End::Broken, i};
    }
  }
}

std::optional<Decoded> key_item(std::optional<KeyCode> code, Modifiers extra,
                                const CsiParameters& p) {
  if (!code) {
    return std::nullopt;
  }
  const Modifiers modifiers = detail::modifiers_from_bits(detail::modifier_bits(p.at(1))) | extra;
  return key(KeyEvent{*code, modifiers, detail::event_kind(p.at(1, 1))});
}

// Kitty reports letters by their lower-case code. `shifted`, when the
// terminal sends it, is the character Shift made of a non-letter ('!' of '1').
char32_t kitty_character(char32_t ch, unsigned shifted, unsigned bits) {
  const bool shift = (bits & detail::SHIFT_BIT) != 0;
  const bool caps_lock = (bits & detail::CAPS_LOCK_BIT) != 0;
  if (ch >= U'a' && ch <= U'z') {
    return shift != caps_lock ? ch - U'a' + U'A' : ch;
  }
  const std::optional<KeyCode> shifted_key = detail::kitty_key(shifted);
  if (shift && shifted != 0 && shifted_key && shifted_key->key == Key::Char) {
    return shifted_key->ch;
  }
  return ch;
}

std::optional<Decoded> kitty_key_event(const CsiParameters& p) {
  std::optional<KeyCode> code = detail::kitty_key(p.at(0));
  if (!code) {
    return std::nullopt;
  }
  const unsigned bits = detail::modifier_bits(p.at(1));
  if (code->key == Key::Char) {
    code->ch = kitty_character(code->ch, p.at(0, 1), bits);
  }
  // The same key as the legacy ESC [ Z, so both protocols agree.
  if (code->key == Key::Tab && (bits & detail::SHIFT_BIT) != 0) {
    code = KeyCode::named(Key::BackTab);
  }
  return key(KeyEvent{*code, detail::modifiers_from_bits(bits), detail::event_kind(p.at(1, 1))});
}

std::optional<Decoded> csi_key(const CsiParameters& p, char final_byte) {
  switch (final_byte) {
    case '~':
      return key_item(detail::key_for_tilde(p.at(0)), Modifiers::NONE, p);
    case 'u':
      return kitty_key_event(p);
    case 'Z':  // Shift+Tab, the one key whose sequence implies its modifier
      return key_item(KeyCode::named(Key::BackTab), Modifiers::SHIFT, p);
    case 'I':
      return p.count == 0 ? std::optional<Decoded>(Event{FocusGained{}}) : std::nullopt;
    case 'O':
      return p.count == 0 ? std::optional<Decoded>(Event{FocusLost{}}) : std::nullopt;
    default:
      return key_item(detail::key_for_final(final_byte), Modifiers::NONE, p);
  }
}

std::optional<Decoded> query_reply(const CsiParameters& p, char final_byte) {
  if (final_byte == 'u') {
    return KeyboardFlagsReply{p.at(0)};
  }
  if (final_byte == 'c') {
    return DeviceAttributesReply{};
  }
  return std::nullopt;
}

std::optional<Decoded> sgr_mouse(const CsiParameters& p, char final_byte) {
  if ((final_byte != 'M' && final_byte != 'm') || p.count < 3) {
    return std::nullopt;
  }
  const auto position = [](unsigned one_based) {
    return static_cast<int>(std::max(one_based, 1u) - 1);
  };
  const std::optional<MouseEvent> event =
      detail::mouse_event(p.at(0), final_byte == 'm', position(p.at(1)), position(p.at(2)));
  return event ? std::optional<Decoded>(Event{*event}) : std::nullopt;
}

// What is held when the grace period ends. A terminal writes each sequence
// in one go, so an introducer alone was typed (Alt+[ or Alt+Shift+O) and is
// that key. A longer fragment is a sequence that lost its tail: guessing at
// it would type keys the user never pressed, so it is dropped.
std::optional<Decoded> settle(std::string_view held) {
  if (held.empty() || byte_at(held, 0) != ESC) {
    return std::nullopt;
  }
  if (held.size() == 1) {
    return key(press(KeyCode::named(Key::Esc)));
  }
  const unsigned char second = byte_at(held, 1);
  if (held.size() == 2 && (second == '[' || second == 'O' || is_string_introducer(second))) {
    return key(with_alt(detail::key_for_byte(second)));
  }
  return std::nullopt;
}

}  // namespace

struct InputDecoder::Step {
  std::size_t length = 0;  // 0: the bytes may begin a longer item, so wait for more
  std::optional<Decoded> item;
  Mode next = Mode::Ground;
};

// Each function reads the item at the front of `bytes`, which starts with
// the bytes its name says.
struct InputDecoder::Reader {
  // Bytes read and let go.
  static Step drop(std::size_t length) { return {length, std::nullopt, Mode::Ground}; }

  static Step one(std::string_view bytes) {
    const unsigned char first = byte_at(bytes, 0);
    if (first == ESC) {
      return escape(bytes);
    }
    if (first < 0x80) {
      return {1, key(detail::key_for_byte(first))};
    }
    const detail::Utf8Scan ch = detail::scan_utf8(bytes);
    switch (ch.status) {
      case detail::Utf8Scan::Status::Character:
        return {ch.length, key(press(KeyCode::character(ch.value)))};
      case detail::Utf8Scan::Status::Invalid:
        return drop(ch.length);
      case detail::Utf8Scan::Status::Partial:
        break;
    }
    return {};
  }

  // ESC and a key is that key with Alt. ESC ESC is Esc pressed twice, as in
  // leaving a menu and the game; the second ESC may begin a sequence.
  static Step escape(std::string_view bytes) {
    if (bytes.size() < 2) {
      return {};
    }
    const unsigned char next = byte_at(bytes, 1);
    if (next == '[') {
      return control_sequence(bytes);
    }
    if (next == 'O') {
      return ss3(bytes);
    }
    if (is_string_introducer(next)) {
      return terminal_string(bytes);
    }
    if (next == ESC) {
      return {1, key(press(KeyCode::named(Key::Esc)))};
    }
    if (next < 0x80) {
      return {2, key(with_alt(detail::key_for_byte(next)))};
    }
    return alt_character(bytes);
  }

  // ESC and a multi-byte character. ESC and an invalid byte is Esc alone.
  static Step alt_character(std::string_view bytes) {
    const detail::Utf8Scan ch = detail::scan_utf8(bytes.substr(1));
    switch (ch.status) {
      case detail::Utf8Scan::Status::Character:
        return {1 + ch.length, key(press(KeyCode::character(ch.value), Modifiers::ALT))};
      case detail::Utf8Scan::Status::Invalid:
        return {1, key(press(KeyCode::named(Key::Esc)))};
      case detail::Utf8Scan::Status::Partial:
        break;
    }
    return {};
  }

  // A sequence that has not reached its final byte: wait, skip its over-long
  // rest, or drop it up to the byte that broke it, which is read anew.
  static std::optional<Step> unfinished(const Scan& scan) {
    switch (scan.end) {
      case Scan::End::Final:
        return std::nullopt;
      case Scan::End::Partial:
        return Step{};
      case Scan::End::TooLong:
        return Step{scan.at, std::nullopt, Mode::SkipSequence};
      case Scan::End::Broken:
        break;
    }
    return drop(scan.at);
  }

  static Step control_sequence(std::string_view bytes) {
    if (bytes.size() < 3) {
      return {};
    }
    if (bytes[2] == '[') {
      return linux_function_key(bytes);
    }
    if (bytes[2] == 'M') {
      return x10_mouse(bytes);
    }
    const Scan scan = scan_sequence(bytes, 2);
    if (std::optional<Step> step = unfinished(scan)) {
      return std::move(*step);
    }
    Step step =
        csi_item(detail::parse_csi_parameters(bytes.substr(2, scan.at - 2)), bytes[scan.at]);
    step.length = scan.at + 1;
    return step;
  }

  static Step csi_item(const CsiParameters& p, char final_byte) {
    if (!p.well_formed) {
      return {};
    }
    switch (p.marker) {
      case 0:
        break;
      case '?':
        return {0, query_reply(p, final_byte)};
      case '<':
        return {0, sgr_mouse(p, final_byte)};
      default:
        return {};
    }
    if (final_byte == '~' && p.at(0) == PASTE_START) {
      return {0, std::nullopt, Mode::Paste};
    }
    return {0, csi_key(p, final_byte)};
  }

  // ESC O and a letter: cursor keys, F1 to F4 and the keypad in application
  // mode. Some terminals put a modifier field before the letter.
  static Step ss3(std::string_view bytes) {
    const Scan scan = scan_sequence(bytes, 2);
    if (std::optional<Step> step = unfinished(scan)) {
      return std::move(*step);
    }
    const char final_byte = bytes[scan.at];
    std::optional<KeyCode> code = detail::key_for_final(final_byte);
    if (!code) {
      code = detail::keypad_key_for_final(final_byte);
    }
    const CsiParameters p = detail::parse_csi_parameters(bytes.substr(2, scan.at - 2));
    if (!code || !p.well_formed || p.marker != 0) {
      return drop(scan.at + 1);
    }
    const unsigned field = p.count >= 2 ? p.at(1) : p.at(0);
    const Modifiers modifiers = detail::modifiers_from_bits(detail::modifier_bits(field));
    return {scan.at + 1, key(press(*code, modifiers))};
  }

  // The Linux console's F1 to F5: ESC [ [ A to E.
  static Step linux_function_key(std::string_view bytes) {
    if (bytes.size() < 4) {
      return {};
    }
    const char letter = bytes[3];
    if (letter < 'A' || letter > 'E') {
      return drop(3);
    }
    return {4, key(press(KeyCode::function(static_cast<std::uint8_t>(letter - 'A' + 1))))};
  }

  // ESC [ M and three bytes, each 32 above its value; positions count from 1.
  static Step x10_mouse(std::string_view bytes) {
    constexpr std::size_t LENGTH = 6;
    if (bytes.size() < LENGTH) {
      return {};
    }
    const auto value = [bytes](std::size_t i) { return static_cast<int>(byte_at(bytes, i)) - 32; };
    const int button = value(3);
    const int x = value(4);
    const int y = value(5);
    if (button < 0 || x < 1 || y < 1) {
      return drop(LENGTH);
    }
    const std::optional<MouseEvent> event =
        detail::mouse_event(static_cast<unsigned>(button), false, x - 1, y - 1);
    return {LENGTH, event ? std::optional<Decoded>(Event{*event}) : std::nullopt};
  }

  // An ESC inside the string ends it; if no '\' follows, the ESC begins
  // whatever comes next, so a lost terminator costs no keys after it.
  static Step terminal_string(std::string_view bytes) {
    for (std::size_t i = 2;; ++i) {
      if (i >= MAX_SEQUENCE) {
        return {i, std::nullopt, Mode::SkipString};
      }
      if (i == bytes.size()) {
        return {};
      }
      const unsigned char b = byte_at(bytes, i);
      if (b == BEL) {
        return drop(i + 1);
      }
      if (b == ESC) {
        if (i + 1 == bytes.size()) {
          return {};
        }
        return drop(bytes[i + 1] == '\\' ? i + 2 : i);
      }
    }
  }
};

void InputDecoder::feed(std::string_view bytes, std::vector<Decoded>& out) {
  while (!bytes.empty()) {
    switch (mode_) {
      case Mode::Ground:
        bytes = held_.empty() ? decode_run(bytes, out) : resume(bytes, out);
        break;
      case Mode::Paste:
        bytes = read_paste(bytes, out);
        break;
      default:
        bytes = skip(bytes);
        break;
    }
  }
}

bool InputDecoder::holding() const {
  return mode_ == Mode::Ground ? !held_.empty() : mode_ != Mode::Paste;
}

void InputDecoder::flush(std::vector<Decoded>& out) {
  if (mode_ == Mode::Paste) {
    return;
  }
  // An over-long sequence that never ended is over: what comes next is typed.
  mode_ = Mode::Ground;
  if (std::optional<Decoded> item = settle(held_)) {
    out.push_back(std::move(*item));
  }
  held_.clear();
}

std::size_t InputDecoder::held_bytes() const {
  return held_.size() + paste_.size();
}

// Typed text takes the first branch, with no copy of the input.
std::string_view InputDecoder::decode_run(std::string_view bytes, std::vector<Decoded>& out) {
  std::size_t i = 0;
  while (i < bytes.size() && mode_ == Mode::Ground) {
    const unsigned char first = byte_at(bytes, i);
    if (first < 0x80 && first != ESC) {
      out.emplace_back(Event{detail::key_for_byte(first)});
      ++i;
      continue;
    }
    Step step = Reader::one(bytes.substr(i));
    if (step.length == 0) {
      held_.assign(bytes.substr(i));
      return {};
    }
    i += step.length;
    apply(std::move(step), out);
  }
  return bytes.substr(i);
}

// Reads the held item on with the new bytes. It ends, or grows too long,
// within MAX_SEQUENCE more of them, so no more are copied than that.
std::string_view InputDecoder::resume(std::string_view bytes, std::vector<Decoded>& out) {
  const std::size_t held = held_.size();
  const std::string_view more = bytes.substr(0, MAX_SEQUENCE);
  held_.append(more);
  Step step = Reader::one(held_);
  if (step.length == 0) {
    return bytes.substr(more.size());
  }
  const std::size_t length = step.length;
  apply(std::move(step), out);
  if (length >= held) {
    held_.clear();
    return bytes.substr(length - held);
  }
  // The item ended inside the held bytes (a terminal string at an ESC that
  // begins something else): the rest of them is read again.
  held_.resize(held);
  held_.erase(0, length);
  return bytes;
}

void InputDecoder::apply(Step&& step, std::vector<Decoded>& out) {
  if (step.item) {
    out.push_back(std::move(*step.item));
  }
  mode_ = step.next;
}

std::string_view InputDecoder::skip(std::string_view bytes) {
  if (mode_ == Mode::SkipString) {
    return skip_string(bytes);
  }
  if (mode_ == Mode::SkipStringEnd) {
    mode_ = Mode::Ground;
    if (bytes.front() == '\\') {
      return bytes.substr(1);
    }
    held_.assign(1, static_cast<char>(ESC));  // it begins what comes next
    return bytes;
  }
  const auto body_end = std::find_if_not(bytes.begin(), bytes.end(), [](char c) {
    return is_sequence_body(static_cast<unsigned char>(c));
  });
  const auto i = static_cast<std::size_t>(body_end - bytes.begin());
  if (i == bytes.size()) {
    return {};
  }
  mode_ = Mode::Ground;
  return bytes.substr(is_final(byte_at(bytes, i)) ? i + 1 : i);
}

std::string_view InputDecoder::skip_string(std::string_view bytes) {
  const std::size_t end = bytes.find_first_of("\x07\x1b");
  if (end == std::string_view::npos) {
    return {};
  }
  if (byte_at(bytes, end) == BEL) {
    mode_ = Mode::Ground;
    return bytes.substr(end + 1);
  }
  if (end + 1 == bytes.size()) {
    mode_ = Mode::SkipStringEnd;
    return {};
  }
  mode_ = Mode::Ground;
  return bytes.substr(bytes[end + 1] == '\\' ? end + 2 : end);
}

std::string_view InputDecoder::read_paste(std::string_view bytes, std::vector<Decoded>& out) {
  if (paste_end_read_ > 0) {
    return read_paste_end(bytes, out);
  }
  const std::size_t end = bytes.find(PASTE_END);
  if (end != std::string_view::npos) {
    append_paste(bytes.substr(0, end));
    end_paste(out);
    return bytes.substr(end + PASTE_END.size());
  }
  // The bytes may stop inside the end marker; its only ESC is its first byte.
  std::size_t tail = bytes.size() - std::min(bytes.size(), PASTE_END.size() - 1);
  while (tail < bytes.size() && !PASTE_END.starts_with(bytes.substr(tail))) {
    ++tail;
  }
  append_paste(bytes.substr(0, tail));
  paste_end_read_ = bytes.size() - tail;
  return {};
}

std::string_view InputDecoder::read_paste_end(std::string_view bytes, std::vector<Decoded>& out) {
  const std::string_view rest = PASTE_END.substr(paste_end_read_);
  const std::size_t n = std::min(rest.size(), bytes.size());
  if (bytes.substr(0, n) != rest.substr(0, n)) {
    // Not the end after all: what looked like its start is pasted text.
    append_paste(PASTE_END.substr(0, paste_end_read_));
    paste_end_read_ = 0;
    return bytes;
  }
  if (n < rest.size()) {
    paste_end_read_ += n;
    return {};
  }
  paste_end_read_ = 0;
  end_paste(out);
  return bytes.substr(n);
}

void InputDecoder::append_paste(std::string_view text) {
  paste_.append(text.substr(0, MAX_PASTE - paste_.size()));
}

void InputDecoder::end_paste(std::vector<Decoded>& out) {
  out.emplace_back(Event{Paste{std::move(paste_)}});
  paste_.clear();
  mode_ = Mode::Ground;
}

}  // namespace tui
