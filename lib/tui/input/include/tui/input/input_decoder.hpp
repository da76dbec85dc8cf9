// Turns the bytes a terminal sends into input events.
//
// Plain code with no Asio and no std::expected, so that the fuzz target
// (built with clang) and the benchmarks can drive it directly. The event
// source feeds it whatever each read returned and owns the grace timer.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "tui/input/events.hpp"

namespace tui {

// The terminal's answer to the keyboard protocol query (`ESC[?{flags}u`):
// it speaks the protocol, with these flags in force.
struct KeyboardFlagsReply {
  unsigned flags = 0;
  constexpr bool operator==(const KeyboardFlagsReply&) const = default;
};

// The answer to the primary device attributes request (`ESC[?...c`). Every
// terminal answers it, so it marks the end of the answers to earlier queries.
struct DeviceAttributesReply {
  constexpr bool operator==(const DeviceAttributesReply&) const = default;
};

// What a run of bytes decodes to: an event for the program, or an answer to
// a query that the event source deals with itself.
using Decoded = std::variant<Event, KeyboardFlagsReply, DeviceAttributesReply>;

class InputDecoder {
 public:
  // The longest escape sequence or terminal string kept while it is being
  // read; a longer one is dropped as a whole, so memory stays bounded.
  static constexpr std::size_t MAX_SEQUENCE = 256;
  // The most text a bracketed paste delivers; the rest of it is dropped.
  static constexpr std::size_t MAX_PASTE = 1 << 20;

  // Decodes `bytes`, appending every complete item to `out` in order. Bytes
  // that may begin a longer sequence are held for the next call.
  void feed(std::string_view bytes, std::vector<Decoded>& out);

  // True while held bytes wait for the rest of a sequence (outside a paste).
  // The event source then gives the rest a short grace period to arrive.
  [[nodiscard]] bool holding() const;

  // The grace period passed: decodes what is held as it stands. A lone ESC
  // is the Esc key, and ESC with only the first byte of a sequence after it
  // ("ESC [", "ESC O") was typed as Alt with that key, since a terminal
  // writes a sequence in one go; anything longer was cut off and is dropped.
  // An open paste stays open: its end marker may come in a later read.
  void flush(std::vector<Decoded>& out);

  // The bytes kept between calls, of an unfinished sequence and of an open
  // paste: never more than MAX_SEQUENCE + MAX_PASTE.
  [[nodiscard]] std::size_t held_bytes() const;

 private:
  enum class Mode : unsigned char {
    Items,         // between items, or inside the one that `pending_` begins
    Paste,         // inside a bracketed paste
    SkipSequence,  // dropping the rest of an over-long control sequence
    SkipString,    // dropping the rest of an over-long terminal string
  };

  std::size_t decode(std::string_view bytes, std::vector<Decoded>& out);
  std::optional<std::size_t> read_items(std::string_view bytes, std::vector<Decoded>& out);
  std::optional<std::size_t> read_paste(std::string_view bytes, std::vector<Decoded>& out);
  std::optional<std::size_t> skip(std::size_t length, bool ended);

  std::string pending_;  // bytes read and not yet decoded: the start of an unfinished item
  std::string paste_;    // the text of an open bracketed paste
  // Of the paste's end marker, the bytes that the last read stopped in. They
  // are known, so they are put back in front of the next read, not held.
  std::size_t paste_end_read_ = 0;
  Mode mode_ = Mode::Items;
};

}  // namespace tui
