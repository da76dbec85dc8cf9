// Reads one UTF-8 character at the front of a run of bytes, strictly: no
// overlong forms, no surrogates, nothing above U+10FFFF.
#pragma once

#include <cstddef>
#include <string_view>

namespace tui::detail {

struct Utf8Scan {
  enum class Status { Character, Invalid, Partial };
  Status status = Status::Invalid;
  std::size_t length = 1;  // Character: its bytes; Invalid: the bytes to drop
  char32_t value = 0;
};

namespace utf8 {

struct Lead {
  std::size_t length = 0;     // 0: the byte cannot start a character
  unsigned char low = 0x80;   // the range the second byte must fall in, which
  unsigned char high = 0xBF;  // is what rules out overlongs and surrogates
  char32_t bits = 0;
};

constexpr Lead lead(unsigned char byte) {
  if (byte >= 0xC2 && byte <= 0xDF) {
    return {2, 0x80, 0xBF, byte & 0x1Fu};
  }
  if (byte >= 0xE0 && byte <= 0xEF) {
    const unsigned char low = byte == 0xE0 ? 0xA0 : 0x80;
    const unsigned char high = byte == 0xED ? 0x9F : 0xBF;
    return {3, low, high, byte & 0x0Fu};
  }
  if (byte >= 0xF0 && byte <= 0xF4) {
    const unsigned char low = byte == 0xF0 ? 0x90 : 0x80;
    const unsigned char high = byte == 0xF4 ? 0x8F : 0xBF;
    return {4, low, high, byte & 0x07u};
  }
  return {};
}

}  // namespace utf8

// A character broken off early is dropped up to the byte that broke it, so
// decoding picks up again at that byte, which may start something valid.
constexpr Utf8Scan scan_utf8(std::string_view bytes) {
  const utf8::Lead lead = utf8::lead(static_cast<unsigned char>(bytes.front()));
  if (lead.length == 0) {
    return {};
  }
  char32_t value = lead.bits;
  for (std::size_t i = 1; i < lead.length; ++i) {
    if (i == bytes.size()) {
      return {Utf8Scan::Status::Partial, 0, 0};
    }
    const auto byte = static_cast<unsigned char>(bytes[i]);
    const unsigned char low = i == 1 ? lead.low : 0x80;
    const unsigned char high = i == 1 ? lead.high : 0xBF;
    if (byte < low || byte > high) {
      return {Utf8Scan::Status::Invalid, i, 0};
    }
    value = (value << 6) | (byte & 0x3Fu);
  }
  return {Utf8Scan::Status::Character, lead.length, value};
}

}  // namespace tui::detail
