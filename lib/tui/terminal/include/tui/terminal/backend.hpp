// The handful of primitives a console must offer for the draw cycle to run on it.
//
// The draw cycle (tui::Terminal) only ever talks to this interface, so a new
// kind of console (a Windows console, an in-memory screen) is one more
// implementation of it and leaves the cycle alone.
#pragma once

#include <expected>
#include <span>
#include <system_error>

#include "tui/screen/buffer.hpp"
#include "tui/screen/geometry.hpp"

namespace tui {

// Every primitive reports the operating system's failure: its code, and its
// message through std::system_category.
template <class T = void>
using IoResult = std::expected<T, std::error_code>;

class Backend {
 public:
  virtual ~Backend() = default;

  // The console window's size in cells.
  virtual IoResult<Size> size() = 0;
  // Erases the whole screen to blanks in the default colours.
  virtual IoResult<> clear() = 0;
  // Puts each cell at its position; after the last one, colours and text
  // attributes are back at the console's defaults.
  virtual IoResult<> draw(std::span<const CellUpdate> updates) = 0;
  virtual IoResult<> hide_cursor() = 0;
  virtual IoResult<> show_cursor() = 0;
  // Hands everything written so far to the console.
  virtual IoResult<> flush() = 0;
};

}  // namespace tui
