// What a draw cycle hands to the code that builds a frame.
#pragma once

#include "tui/screen/buffer.hpp"

namespace tui {

// A frame being built: the whole screen's area and the blank buffer to draw in.
class Frame {
 public:
  explicit Frame(Buffer& buffer) : buffer_(buffer) {}

  Rect area() const { return buffer_.area(); }
  Buffer& buffer() { return buffer_; }

  // Renders any widget with a `render(Rect, Buffer&) const` operation.
  template <class Widget>
  void render_widget(const Widget& widget, Rect area) {
    widget.render(area, buffer_);
  }

 private:
  Buffer& buffer_;
};

}  // namespace tui
