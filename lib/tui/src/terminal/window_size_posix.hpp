// The window size as the terminal driver knows it.
#pragma once

#include <sys/ioctl.h>

#include "terminal/fd_write.hpp"
#include "tui/screen/geometry.hpp"
#include "tui/terminal/backend.hpp"

namespace tui::detail {

inline IoResult<Size> window_size(int terminal) {
  winsize window{};
  if (::ioctl(terminal, TIOCGWINSZ, &window) != 0) {
    return std::unexpected(last_error());
  }
  return Size{window.ws_col, window.ws_row};
}

}  // namespace tui::detail
