// The ANSI back end on a Windows console with virtual terminal processing
// on: bytes to a handle, the size from the console screen buffer's window.
#include <memory>

#include "terminal/windows_console.hpp"
#include "tui/terminal/ansi_backend.hpp"

namespace tui {
namespace {

class HandleConsole final : public AnsiBackend::Console {
 public:
  HandleConsole(HANDLE output, HANDLE screen) : output_(output), screen_(screen) {}

  IoResult<Size> size() override { return detail::window_size(screen_); }
  IoResult<> write(std::string_view bytes) override { return detail::write_all(output_, bytes); }

 private:
  HANDLE output_;
  HANDLE screen_;
};

}  // namespace

AnsiBackend::AnsiBackend(void* output, void* size_source)
    : AnsiBackend(std::make_unique<HandleConsole>(output, size_source)) {}

}  // namespace tui
