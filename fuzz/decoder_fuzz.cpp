// Feeds the input decoder arbitrary bytes and checks what must hold for any
// input: reads split anywhere decode as one read does, every item is well
// formed, a paste never exceeds MAX_PASTE, and the bytes held stay bounded.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string_view>
#include <variant>
#include <vector>

#include "tui/input/input_decoder.hpp"

namespace {

using tui::Decoded;
using tui::InputDecoder;

void require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "decoder invariant broken: %s\n", what);
    std::abort();
  }
}

void check_key(const tui::KeyEvent& e) {
  const tui::KeyCode& code = e.code;
  if (code.key == tui::Key::Char) {
    require(code.ch <= 0x10FFFF && (code.ch < 0xD800 || code.ch > 0xDFFF), "a scalar value");
  } else {
    require(code.ch == 0, "no character on a named key");
  }
  require(code.key == tui::Key::F ? code.number >= 1 && code.number <= 24 : code.number == 0,
          "function keys F1 to F24");
  require(e.kind != tui::KeyEventKind::Repeat, "repeats come as presses");
}

void check_item(const Decoded& item) {
  const auto* event = std::get_if<tui::Event>(&item);
  if (event == nullptr) {
    return;
  }
  if (const auto* key = std::get_if<tui::KeyEvent>(event)) {
    check_key(*key);
  } else if (const auto* mouse = std::get_if<tui::MouseEvent>(event)) {
    require(mouse->column >= 0 && mouse->row >= 0, "mouse positions from 0");
  } else if (const auto* paste = std::get_if<tui::Paste>(event)) {
    require(paste->text.size() <= InputDecoder::MAX_PASTE, "a paste of at most MAX_PASTE");
  }
}

void check_held(const InputDecoder& decoder) {
  require(decoder.held_bytes() <= InputDecoder::MAX_SEQUENCE + InputDecoder::MAX_PASTE,
          "held bytes bounded");
}

// Feeds `input` in reads of `read` bytes, settling after each read when
// `settle` says so, as the event source does when its grace period ends.
std::vector<Decoded> decode(std::string_view input, std::size_t read, bool settle) {
  InputDecoder decoder;
  std::vector<Decoded> out;
  for (std::size_t at = 0; at < input.size(); at += read) {
    decoder.feed(input.substr(at, read), out);
    check_held(decoder);
    if (settle) {
      decoder.flush(out);
      require(!decoder.holding(), "nothing held after a flush");
      require(decoder.held_bytes() <= InputDecoder::MAX_PASTE, "only a paste kept by a flush");
    }
  }
  decoder.flush(out);
  require(!decoder.holding(), "nothing held after a flush");
  for (const Decoded& item : out) {
    check_item(item);
  }
  return out;
}

// An input fed over and over until a paste in it could pass MAX_PASTE.
void decode_repeated(std::string_view input) {
  InputDecoder decoder;
  std::vector<Decoded> out;
  for (std::size_t fed = 0; fed <= InputDecoder::MAX_PASTE + input.size(); fed += input.size()) {
    decoder.feed(input, out);
    check_held(decoder);
    for (const Decoded& item : out) {
      check_item(item);
    }
    out.clear();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (input.empty()) {
    return 0;
  }
  const std::vector<Decoded> whole = decode(input, input.size(), false);
  require(decode(input, 1, false) == whole, "a byte per read decodes as one read");
  const std::size_t read = 1 + static_cast<unsigned char>(input.front()) % 16;
  require(decode(input, read, false) == whole, "any reads decode as one read");
  decode(input, read, true);
  // Long enough inputs that open a paste can fill it in a few thousand
  // feeds. That costs a hundred ordinary runs, so a fixed sample of them do.
  if (input.size() >= 256 && input.find("\x1b[200~") != std::string_view::npos &&
      std::hash<std::string_view>{}(input) % 16 == 0) {
    decode_repeated(input);
  }
  return 0;
}
