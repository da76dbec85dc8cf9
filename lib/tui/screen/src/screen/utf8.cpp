#include "tui/screen/utf8.hpp"

namespace tui {
namespace {

constexpr char32_t REPLACEMENT = U'\uFFFD';

bool is_continuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

}  // namespace

Utf8Bytes utf8_bytes(char32_t symbol) {
  Utf8Bytes utf8;
  const auto byte = [&utf8](char32_t bits) { utf8.bytes[utf8.size++] = static_cast<char>(bits); };
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
  return utf8;
}

void append_utf8(std::string& out, char32_t symbol) {
  if (symbol < 0x80) {  // most of what is drawn, so it skips the copy
    out.push_back(static_cast<char>(symbol));
    return;
  }
  out.append(utf8_bytes(symbol).view());
}

char32_t pop_code_point(std::string_view& text) {
  const auto lead = static_cast<unsigned char>(text.front());
  int length = 0;
  char32_t value = 0;
  char32_t smallest = 0;  // rejects overlong encodings
  if (lead < 0x80) {
    text.remove_prefix(1);
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1F, smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0F, smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07, smallest = 0x10000;
  }
  if (length == 0 || text.size() < static_cast<std::size_t>(length)) {
    text.remove_prefix(1);
    return REPLACEMENT;
  }
  for (int i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[static_cast<std::size_t>(i)]);
    if (!is_continuation(next)) {
      text.remove_prefix(1);
      return REPLACEMENT;
    }
    value = (value << 6) | (next & 0x3F);
  }
  const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
  if (value < smallest || value > 0x10FFFF || surrogate) {
    text.remove_prefix(1);
    return REPLACEMENT;
  }
  text.remove_prefix(static_cast<std::size_t>(length));
  return value;
}

}  // namespace tui
