// Where each item in terminal input ends: escape sequences, terminal
// strings, mouse reports, UTF-8 characters and runs of plain bytes, and the
// rest of an over-long sequence or string, and a bracketed paste. What a
// finished item means is read elsewhere (item_meaning.hpp).
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "key_codes.hpp"
#include "tui/input/input_decoder.hpp"
#include "utf8_scan.hpp"

namespace tui::detail {

inline constexpr std::string_view PASTE_END = "\x1b[201~";

enum class ItemKind : unsigned char {
  Text,              // bytes below 0x80 other than ESC, each a key of its own
  Character,         // one multi-byte UTF-8 character
  Escape,            // an ESC that begins nothing longer
  AltText,           // ESC and a byte below 0x80
  AltCharacter,      // ESC and a multi-byte character
  ControlSequence,   // ESC [, parameter and intermediate bytes, a final byte
  Ss3,               // ESC O, parameter bytes, a final byte
  LinuxFunctionKey,  // ESC [ [ and a letter from A to E
  X10Mouse,          // ESC [ M and three bytes
  Ignored,           // bytes that stand for nothing: invalid UTF-8, a broken-off
                     // sequence, a terminal string
  LongSequence,      // the first MAX_SEQUENCE bytes of a control sequence
  LongString,        // the first MAX_SEQUENCE bytes of a terminal string
};

struct Frame {
  ItemKind kind = ItemKind::Ignored;
  std::size_t length = 0;  // 0: the bytes may begin a longer item, so wait for more
};

// The item at the front of `bytes`, which are not empty.
Frame frame_item(std::string_view bytes);

// Whether `bytes` are ESC and the byte that begins a sequence or a terminal
// string, and nothing more.
bool is_lone_introducer(std::string_view bytes);

// How much of the rest of an over-long item to drop, and whether that ends
// it. What ends it and is not part of it is left for the next item.
struct Skip {
  std::size_t length = 0;
  bool ended = false;
};

// The rest of a control sequence: its body bytes, and its final byte.
Skip skip_sequence_rest(std::string_view bytes);

// The rest of a terminal string: up to BEL or ESC '\'. Another ESC ends it
// too, and begins what comes next; an ESC at the end waits for its next byte.
Skip skip_string_rest(std::string_view bytes);

// Where the text of an open bracketed paste in `bytes` ends, at its end
// marker or at the end of the bytes, and how many bytes of the marker follow
// it: all of them when the paste ended, or the first few that the bytes stop
// in.
struct PasteScan {
  std::size_t text = 0;
  std::size_t marker = 0;
  bool ended = false;
};
PasteScan scan_paste(std::string_view bytes);

}  // namespace tui::detail

// Definitions, in the header so that the decoder's loop inlines them.
namespace tui::detail {
namespace framing {

inline constexpr unsigned char BEL = 0x07;
inline constexpr std::size_t MAX_SEQUENCE = InputDecoder::MAX_SEQUENCE;

inline unsigned char byte_at(std::string_view bytes, std::size_t i) {
  return static_cast<unsigned char>(bytes[i]);
}

// Parameter and intermediate bytes: what stands between a control
// sequence's introducer and its final byte.
inline bool is_sequence_body(unsigned char b) {
  return b >= 0x20 && b <= 0x3F;
}
inline bool is_final(unsigned char b) {
  return b >= 0x40 && b <= 0x7E;
}
// OSC, DCS, APC, PM and SOS: strings that run to BEL or ESC '\'.
inline bool is_string_introducer(unsigned char b) {
  return b == ']' || b == 'P' || b == '_' || b == '^' || b == 'X';
}

inline bool is_text(unsigned char b) {
  return b < 0x80 && b != ESC;
}

inline Frame wait() {
  return {};
}

inline Frame ignored(std::size_t length) {
  return {ItemKind::Ignored, length};
}

// A UTF-8 character at the front of `bytes`, after `prefix` bytes (an ESC,
// for Alt). An invalid one is dropped up to the byte that broke it, or with
// an ESC before it, the ESC is Esc alone.
inline Frame character(std::string_view bytes, std::size_t prefix, ItemKind kind) {
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
inline Frame sequence(std::string_view bytes, ItemKind kind) {
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

inline Frame control_sequence(std::string_view bytes) {
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
inline Frame terminal_string(std::string_view bytes) {
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
inline Frame escape(std::string_view bytes) {
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

}  // namespace framing

inline Frame frame_item(std::string_view bytes) {
  const unsigned char first = framing::byte_at(bytes, 0);
  if (first == ESC) {
    return framing::escape(bytes);
  }
  if (first < 0x80) {
    const auto end = std::find_if_not(bytes.begin(), bytes.end(), [](char c) {
      return framing::is_text(static_cast<unsigned char>(c));
    });
    return {ItemKind::Text, static_cast<std::size_t>(end - bytes.begin())};
  }
  return framing::character(bytes, 0, ItemKind::Character);
}

inline bool is_lone_introducer(std::string_view bytes) {
  if (bytes.size() != 2 || framing::byte_at(bytes, 0) != ESC) {
    return false;
  }
  const unsigned char second = framing::byte_at(bytes, 1);
  return second == '[' || second == 'O' || framing::is_string_introducer(second);
}

inline Skip skip_sequence_rest(std::string_view bytes) {
  const auto body_end = std::find_if_not(bytes.begin(), bytes.end(), [](char c) {
    return framing::is_sequence_body(static_cast<unsigned char>(c));
  });
  const auto i = static_cast<std::size_t>(body_end - bytes.begin());
  if (i == bytes.size()) {
    return {i, false};
  }
  return {framing::is_final(framing::byte_at(bytes, i)) ? i + 1 : i, true};
}

inline Skip skip_string_rest(std::string_view bytes) {
  const std::size_t end = bytes.find_first_of("\x07\x1b");
  if (end == std::string_view::npos) {
    return {bytes.size(), false};
  }
  if (framing::byte_at(bytes, end) == framing::BEL) {
    return {end + 1, true};
  }
  if (end + 1 == bytes.size()) {
    return {end, false};
  }
  return {bytes[end + 1] == '\\' ? end + 2 : end, true};
}

inline PasteScan scan_paste(std::string_view bytes) {
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
