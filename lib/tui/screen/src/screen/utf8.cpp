#include "tui/screen/utf8.hpp"

namespace tui {
namespace {

constexpr char32_t REPLACEMENT = U'\uFFFD';

bool is_continuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

}  // namespace

void append_utf8(std::string& out, char32_t symbol) {
  encode_utf8(symbol, [&out](char c) { out.push_back(c); });
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
