#include "tui/terminal/terminal.hpp"

#include <cstdio>
#include <utility>

#include "console/job_control.hpp"
#include "error_text/error_text.hpp"

namespace tui {
namespace {

Rect screen_area(Size size) {
  return {0, 0, size.width, size.height};
}

}  // namespace

IoResult<Terminal> Terminal::create(std::unique_ptr<Backend> backend) {
  const IoResult<Size> size = backend->size();
  if (!size) {
    return std::unexpected(size.error());
  }
  return IoResult<Terminal>(std::in_place, std::move(backend), *size);
}

Terminal::Terminal(std::unique_ptr<Backend> backend, Size size)
    : backend_(std::move(backend)),
      buffers_{Buffer(screen_area(size)), Buffer(screen_area(size))},
      size_(size),
      continues_drawn_(detail::continue_count()) {}

Terminal::Terminal(Terminal&& other) noexcept
    : backend_(std::move(other.backend_)),
      buffers_(std::move(other.buffers_)),
      current_(other.current_),
      size_(other.size_),
      cursor_hidden_(std::exchange(other.cursor_hidden_, false)),
      full_redraw_(other.full_redraw_),
      closed_(std::exchange(other.closed_, true)),
      continues_drawn_(other.continues_drawn_),
      updates_(std::move(other.updates_)) {}

Terminal::~Terminal() {
  close();
}

IoResult<> Terminal::draw_frame(BuildFrame build, void* callable) {
  if (closed_) {
    return std::unexpected(std::make_error_code(std::errc::bad_file_descriptor));
  }
  IoResult<> drawn = cycle(build, callable);
  if (!drawn) {
    full_redraw_ = true;
  }
  return drawn;
}

IoResult<> Terminal::cycle(BuildFrame build, void* callable) {
  const IoResult<Size> size = backend_->size();
  if (!size) {
    return std::unexpected(size.error());
  }
  // The console was someone else's while the process was stopped.
  if (const std::uint32_t continues = detail::continue_count(); continues != continues_drawn_) {
    continues_drawn_ = continues;
    full_redraw_ = true;
  }
  if (*size != size_ || full_redraw_) {
    current().resize(screen_area(*size));
    previous().resize(screen_area(*size));
    if (IoResult<> cleared = backend_->clear(); !cleared) {
      return cleared;
    }
    size_ = *size;
    full_redraw_ = false;
  }

  Frame frame(current());
  try {
    build(callable, frame);
  } catch (...) {
    current().reset();
    throw;
  }

  current().diff(previous(), updates_);
  if (IoResult<> drawn = backend_->draw(updates_); !drawn) {
    return drawn;
  }
  if (IoResult<> hidden = backend_->hide_cursor(); !hidden) {
    return hidden;
  }
  cursor_hidden_ = true;
  current_ = 1 - current_;
  current().reset();
  return backend_->flush();
}

void Terminal::close() {
  if (closed_) {
    return;
  }
  closed_ = true;
  if (cursor_hidden_) {
    IoResult<> shown = backend_->show_cursor();
    if (shown) {
      shown = backend_->flush();
    }
    if (shown) {
      cursor_hidden_ = false;
    } else {
      std::fprintf(stderr, "Failed to show the cursor: %s\n",
                   error_text::describe(shown.error()).c_str());
    }
  }
  buffers_ = {};
  updates_ = {};
}

}  // namespace tui
