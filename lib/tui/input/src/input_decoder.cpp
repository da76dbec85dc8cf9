#include "tui/input/input_decoder.hpp"

#include <algorithm>
#include <utility>

#include "item_framing.hpp"
#include "item_meaning.hpp"

namespace tui {
namespace {

// Reads are decoded this much at a time, so that the pending bytes stay
// few however much one read brings.
constexpr std::size_t SLICE = 4096;

}  // namespace

void InputDecoder::feed(std::string_view bytes, std::vector<Decoded>& out) {
  while (!bytes.empty()) {
    const std::string_view slice = bytes.substr(0, SLICE);
    bytes.remove_prefix(slice.size());
    pending_.append(detail::PASTE_END.substr(0, std::exchange(paste_end_read_, 0)));
    if (!pending_.empty()) {
      pending_.append(slice);
      pending_.erase(0, decode(pending_, out));
    } else {
      // The same bytes as appending them, without the copy: only what they
      // leave unfinished is kept.
      pending_.assign(slice.substr(decode(slice, out)));
    }
  }
}

bool InputDecoder::holding() const {
  return mode_ == Mode::Items ? !pending_.empty() : mode_ != Mode::Paste;
}

void InputDecoder::flush(std::vector<Decoded>& out) {
  if (mode_ == Mode::Paste) {
    return;
  }
  // An over-long item that never ended is over: what comes next is typed.
  if (mode_ == Mode::Items) {
    if (std::optional<Decoded> item = detail::settled_meaning(pending_)) {
      out.push_back(std::move(*item));
    }
  }
  mode_ = Mode::Items;
  pending_.clear();
}

std::size_t InputDecoder::held_bytes() const {
  return pending_.size() + paste_.size();
}

// Decodes items from the front of `bytes` until what is left may begin a
// longer item, and returns how many bytes that took.
std::size_t InputDecoder::decode(std::string_view bytes, std::vector<Decoded>& out) {
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::string_view rest = bytes.substr(at);
    std::optional<std::size_t> length;
    switch (mode_) {
      case Mode::Items:
        length = read_items(rest, out);
        break;
      case Mode::Paste:
        length = read_paste(rest, out);
        break;
      case Mode::SkipSequence: {
        const detail::Skip s = detail::skip_sequence_rest(rest);
        length = skip(s.length, s.ended);
        break;
      }
      case Mode::SkipString: {
        const detail::Skip s = detail::skip_string_rest(rest);
        length = skip(s.length, s.ended);
        break;
      }
    }
    if (!length) {
      break;
    }
    at += *length;
  }
  return at;
}

// Items follow one another until one opens a paste or begins an over-long
// sequence or string.
std::optional<std::size_t> InputDecoder::read_items(std::string_view bytes,
                                                    std::vector<Decoded>& out) {
  std::size_t at = 0;
  while (at < bytes.size() && mode_ == Mode::Items) {
    const std::string_view rest = bytes.substr(at);
    const detail::Frame frame = detail::frame_item(rest);
    if (frame.length == 0) {
      return at == 0 ? std::nullopt : std::optional(at);
    }
    switch (frame.kind) {
      case detail::ItemKind::Ignored:
        break;
      case detail::ItemKind::LongSequence:
        mode_ = Mode::SkipSequence;
        break;
      case detail::ItemKind::LongString:
        mode_ = Mode::SkipString;
        break;
      default:
        if (detail::add_meaning(frame.kind, rest.substr(0, frame.length), out) ==
            detail::Opens::Paste) {
          mode_ = Mode::Paste;
        }
        break;
    }
    at += frame.length;
  }
  return at;
}

std::optional<std::size_t> InputDecoder::read_paste(std::string_view bytes,
                                                    std::vector<Decoded>& out) {
  const detail::PasteScan scan = detail::scan_paste(bytes);
  paste_.append(bytes.substr(0, std::min(scan.text, MAX_PASTE - paste_.size())));
  if (scan.ended) {
    out.emplace_back(Event{Paste{std::move(paste_)}});
    paste_.clear();
    mode_ = Mode::Items;
  } else {
    paste_end_read_ = scan.marker;
  }
  return scan.text + scan.marker;
}

// An over-long item is dropped as it comes; an ESC that may end a string
// waits for the byte after it.
std::optional<std::size_t> InputDecoder::skip(std::size_t length, bool ended) {
  if (ended) {
    mode_ = Mode::Items;
  } else if (length == 0) {
    return std::nullopt;
  }
  return length;
}

}  // namespace tui
