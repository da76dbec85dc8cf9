// The little UTF-8 that drawing needs: text in, code points out, and back.
#pragma once

#include <string>
#include <string_view>

namespace tui {

// Hands the bytes of the UTF-8 encoding of one code point to `put`, one
// at a time.
template <class Put>
constexpr void encode_utf8(char32_t symbol, Put&& put) {
  const auto byte = [&put](char32_t bits) { put(static_cast<char>(bits)); };
  if (symbol < 0x80) {
    byte(symbol);
  } else if (symbol < 0x800) {
    byte(0xC0 | (symbol >> 6));
    byte(0x80 | (symbol & 0x3F));
  } else if (symbol < 0x10000) {
    byte(0xE0 | (symbol >> 12));
    byte(0x80 | ((symbol >> 6) & 0x3F));
    byte(0x80 | (symbol & 0x3F));
  } else {
    byte(0xF0 | (symbol >> 18));
    byte(0x80 | ((symbol >> 12) & 0x3F));
    byte(0x80 | ((symbol >> 6) & 0x3F));
    byte(0x80 | (symbol & 0x3F));
  }
}

// Appends the UTF-8 encoding of one code point to `out`.
void append_utf8(std::string& out, char32_t symbol);

// Takes the code point at the front of `text` and removes its bytes. A byte
// that starts no valid sequence becomes U+FFFD and is removed on its own.
char32_t pop_code_point(std::string_view& text);

}  // namespace tui
