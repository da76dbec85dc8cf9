// Where each item in terminal input ends: escape sequences, terminal
// strings, mouse reports, UTF-8 characters and runs of plain bytes, and the
// rest of an over-long sequence or string, and a bracketed paste. What a
// finished item means is read elsewhere (item_meaning.hpp).
#pragma once

#include <cstddef>
#include <string_view>

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
