#include "tui/terminal/ansi_backend.hpp"

#include <string_view>

#include "console/io.hpp"
#include "output/ansi_encoder.hpp"

namespace tui {
namespace {

constexpr std::string_view BEGIN_SYNC = "\x1b[?2026h";
constexpr std::string_view END_SYNC = "\x1b[?2026l";

}  // namespace

AnsiBackend::AnsiBackend(ConsoleHandle output, ConsoleHandle size_source)
    : output_(output),
      size_source_(size_source),
      encoder_(std::make_unique<detail::AnsiEncoder>()) {
  pending_.reserve(2 * SYNC_THRESHOLD);
}

AnsiBackend::~AnsiBackend() = default;

IoResult<Size> AnsiBackend::size() {
  IoResult<Size> size = detail::window_size(size_source_);
  if (size) {
    encoder_->set_screen_size(*size);
  }
  return size;
}

IoResult<> AnsiBackend::clear() {
  encoder_->erase_screen(pending_);
  return {};
}

IoResult<> AnsiBackend::draw(std::span<const CellUpdate> updates) {
  encoder_->draw(updates, pending_);
  return {};
}

IoResult<> AnsiBackend::hide_cursor() {
  pending_ += "\x1b[?25l";
  return {};
}

IoResult<> AnsiBackend::show_cursor() {
  pending_ += "\x1b[?25h";
  return {};
}

IoResult<> AnsiBackend::flush() {
  if (pending_.empty()) {
    return {};
  }
  if (pending_.size() > SYNC_THRESHOLD) {
    pending_.insert(0, BEGIN_SYNC);
    pending_ += END_SYNC;
  }
  const IoResult<> written = detail::write_all(output_, pending_);
  if (written) {
    bytes_written_ += pending_.size();
  } else {
    // Some of the bytes may have arrived and some not.
    encoder_->forget();
  }
  pending_.clear();
  return written;
}

}  // namespace tui
