#include "tui/terminal/memory_backend.hpp"

#include <utility>

namespace tui {

MemoryBackend::MemoryBackend(Size size) : screen_(Rect{0, 0, size.width, size.height}) {}

IoResult<> MemoryBackend::enter(Call call) {
  calls_.push_back(call);
  if (failure_ && (!failing_call_ || *failing_call_ == call)) {
    const std::error_code error = *failure_;
    failure_.reset();
    failing_call_.reset();
    return std::unexpected(error);
  }
  return {};
}

IoResult<Size> MemoryBackend::size() {
  if (IoResult<> entered = enter(Call::Size); !entered) {
    return std::unexpected(entered.error());
  }
  return screen_.area().size();
}

IoResult<> MemoryBackend::clear() {
  IoResult<> entered = enter(Call::Clear);
  if (entered) {
    screen_.reset();
    ++clears_;
  }
  return entered;
}

IoResult<> MemoryBackend::draw(std::span<const CellUpdate> updates) {
  IoResult<> entered = enter(Call::Draw);
  if (entered) {
    for (const CellUpdate& update : updates) {
      if (Cell* cell = screen_.cell(update.position)) {
        *cell = update.cell;
      }
    }
  }
  return entered;
}

IoResult<> MemoryBackend::hide_cursor() {
  IoResult<> entered = enter(Call::HideCursor);
  if (entered) {
    cursor_visible_ = false;
  }
  return entered;
}

IoResult<> MemoryBackend::show_cursor() {
  IoResult<> entered = enter(Call::ShowCursor);
  if (entered) {
    cursor_visible_ = true;
  }
  return entered;
}

IoResult<> MemoryBackend::flush() {
  IoResult<> entered = enter(Call::Flush);
  if (entered) {
    ++flushes_;
  }
  return entered;
}

void MemoryBackend::set_size(Size size) {
  Buffer resized(Rect{0, 0, size.width, size.height});
  const Rect kept = resized.area().intersection(screen_.area());
  for (int y = kept.top(); y < kept.bottom(); ++y) {
    for (int x = kept.left(); x < kept.right(); ++x) {
      resized.at({x, y}) = screen_.at({x, y});
    }
  }
  screen_ = std::move(resized);
}

void MemoryBackend::fail_next(std::error_code error, std::optional<Call> only) {
  failure_ = error;
  failing_call_ = only;
}

}  // namespace tui
