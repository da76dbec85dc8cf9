// The little UTF-8 that drawing needs: text in, code points out, and back.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tui {

// The UTF-8 encoding of one code point.
struct Utf8Bytes {
  char bytes[4] = {};
  std::size_t size = 0;
  [[nodiscard]] std::string_view view() const { return {bytes, size}; }
};
Utf8Bytes utf8_bytes(char32_t symbol);

// Appends the UTF-8 encoding of one code point to `out`.
void append_utf8(std::string& out, char32_t symbol);

// Takes the code point at the front of `text` and removes its bytes. A byte
// that starts no valid sequence becomes U+FFFD and is removed on its own.
char32_t pop_code_point(std::string_view& text);

}  // namespace tui
