#include "item_framing.hpp"

#include <algorithm>

#include "key_codes.hpp"
#include "tui/input/input_decoder.hpp"
#include "utf8_scan.hpp"

namespace tui::detail {
namespace {

constexpr unsigned char BEL = 0x07;
constexpr std::size_t MAX_SEQUENCE = InputDecoder::MAX_SEQUENCE;

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

bool is_text(unsigned char b) {
  return b < 0x80 && b != ESC;
}

Frame wait() {
  return {};
}

Frame ignored(std::size_t length) {
  return {ItemKind::Ignored, length};
}

// A UTF-8 character at the front of `bytes`, after `prefix` bytes (an ESC,
// for Alt). An invalid one is dropped up to the byte that broke it, or with
// an ESC before it, the ESC is Esc alone.
Frame character(std::string_view bytes, std::size_t prefix, ItemKind kind) {
  const Utf8Scan ch = scan_utf8(bytes.substr(prefix));
  switch (ch.status) {
    case Utf8Scan::Status::Character:
      return {kind, prefix + ch.length};
    case Utf8Scan::Status::Invalid:
      return prefix == 0 ? ignored(ch.length) : Frame{ItemKind::Escape, 1};
    case Utf8Scan::Status::Partial:
      break;
  }
  return wait();
}

// A sequence that runs from byte 2 to its final byte. One that meets a byte
// that cannot be in it is dropped up to that byte, which is read anew; one
// that grows past MAX_SEQUENCE is dropped as a whole.
Frame sequence(std::string_view bytes, ItemKind kind) {
  for (std::size_t i = 2;; ++i) {
    if (i >= MAX_SEQUENCE) {
      return {ItemKind::LongSequence, i};
    }
    if (i == bytes.size()) {
      return wait();
    }
    const unsigned char b = byte_at(bytes, i);
    if (!is_sequence_body(b)) {
      return is_final(b) ? Frame{kind, i + 1} : ignored(i);
    }
  }
}

Frame control_sequence(std::string_view bytes) {
  if (bytes.size() < 3) {
    return wait();
  }
  if (bytes[2] == '[') {
    if (bytes.size() < 4) {
      return wait();
    }
    return bytes[3] >= 'A' && bytes[3] <= 'E' ? Frame{ItemKind::LinuxFunctionKey, 4} : ignored(3);
  }
  if (bytes[2] == 'M') {
    constexpr std::size_t X10_LENGTH = 6;
    return bytes.size() < X10_LENGTH ? wait() : Frame{ItemKind::X10Mouse, X10_LENGTH};
  }
  return sequence(bytes, ItemKind::ControlSequence);
}

// An ESC inside the string ends it; if no '\' follows, the ESC begins
// whatever comes next, so a lost terminator costs no keys after it.
Frame terminal_string(std::string_view bytes) {
  for (std::size_t i = 2;; ++i) {
    if (i >= MAX_SEQUENCE) {
      return {ItemKind::LongString, i};
    }
    if (i == bytes.size()) {
      return wait();
    }
    const unsigned char b = byte_at(bytes, i);
    if (b == BEL) {
      return ignored(i + 1);
    }
    if (b == ESC) {
      if (i + 1 == bytes.size()) {
        return wait();
      }
      return ignored(bytes[i + 1] == '\\' ? i + 2 : i);
    }
  }
}

// ESC and a key is that key with Alt. ESC ESC is Esc pressed twice, as in
// leaving a menu and the game; the second ESC may begin a sequence.
Frame escape(std::string_view bytes) {
  if (bytes.size() < 2) {
    return wait();
  }
  const unsigned char next = byte_at(bytes, 1);
  if (next == '[') {
    return control_sequence(bytes);
  }
  if (next == 'O') {
    return sequence(bytes, ItemKind::Ss3);
  }
  if (is_string_introducer(next)) {
    return terminal_string(bytes);
  }
  if (next == ESC) {
    return {ItemKind::Escape, 1};
  }
  if (next < 0x80) {
    return {ItemKind::AltText, 2};
  }
  return character(bytes, 1, ItemKind::AltCharacter);
}

}  // namespace

Frame frame_item(std::string_view bytes) {
  const unsigned char first = byte_at(bytes, 0);
  if (first == ESC) {
    return escape(bytes);
  }
  if (first < 0x80) {
    const auto end = std::find_if_not(
        bytes.begin(), bytes.end(), [](char c) { return is_text(static_cast<unsigned char>(c)); });
    return {ItemKind::Text, static_cast<std::size_t>(end - bytes.begin())};
  }
  return character(bytes, 0, ItemKind::Character);
}

bool is_lone_introducer(std::string_view bytes) {
  if (bytes.size() != 2 || byte_at(bytes, 0) != ESC) {
    return false;
  }
  const unsigned char second = byte_at(bytes, 1);
  return second == '[' || second == 'O' || is_string_introducer(second);
}

Skip skip_sequence_rest(std::string_view bytes) {
  const auto body_end = std::find_if_not(bytes.begin(), bytes.end(), [](char c) {
    return is_sequence_body(static_cast<unsigned char>(c));
  });
  const auto i = static_cast<std::size_t>(body_end - bytes.begin());
  if (i == bytes.size()) {
    return {i, false};
  }
  return {is_final(byte_at(bytes, i)) ? i + 1 : i, true};
}

Skip skip_string_rest(std::string_view bytes) {
  const std::size_t end = bytes.find_first_of("\x07\x1b");
  if (end == std::string_view::npos) {
    return {bytes.size(), false};
  }
  if (byte_at(bytes, end) == BEL) {
    return {end + 1, true};
  }
  if (end + 1 == bytes.size()) {
    return {end, false};
  }
  return {bytes[end + 1] == '\\' ? end + 2 : end, true};
}

PasteScan scan_paste(std::string_view bytes) {
  const std::size_t end = bytes.find(PASTE_END);
  if (end != std::string_view::npos) {
    return {end, PASTE_END.size(), true};
  }
  // The bytes may stop inside the end marker; its only ESC is its first byte.
  std::size_t tail = bytes.size() - std::min(bytes.size(), PASTE_END.size() - 1);
  while (tail < bytes.size() && !PASTE_END.starts_with(bytes.substr(tail))) {
    ++tail;
  }
  return {tail, bytes.size() - tail, false};
}

}  // namespace tui::detail
