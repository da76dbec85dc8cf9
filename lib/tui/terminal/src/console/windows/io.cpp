#include "console/io.hpp"

#include <windows.h>

#include <algorithm>
#include <cstddef>

namespace tui::detail {

std::error_code last_error() {
  return {static_cast<int>(::GetLastError()), std::system_category()};
}

IoResult<> write_all(HANDLE output, std::string_view bytes) {
  while (!bytes.empty()) {
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
    DWORD written = 0;
    if (::WriteFile(output, bytes.data(), chunk, &written, nullptr) == 0) {
      return std::unexpected(last_error());
    }
    if (written == 0) {
      return std::unexpected(std::make_error_code(std::errc::io_error));
    }
    bytes.remove_prefix(written);
  }
  return {};
}

IoResult<Size> window_size(HANDLE screen) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (::GetConsoleScreenBufferInfo(screen, &info) == 0) {
    return std::unexpected(last_error());
  }
  const SMALL_RECT& window = info.srWindow;
  return Size{window.Right - window.Left + 1, window.Bottom - window.Top + 1};
}

}  // namespace tui::detail
