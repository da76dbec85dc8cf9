// The ANSI back end on a POSIX terminal: bytes to a descriptor, the size
// from the terminal driver.
#include <sys/ioctl.h>

#include <memory>

#include "terminal/fd_write.hpp"
#include "tui/terminal/ansi_backend.hpp"

namespace tui {
namespace {

class DescriptorConsole final : public AnsiBackend::Console {
 public:
  DescriptorConsole(int output, int size_source) : output_(output), size_source_(size_source) {}

  IoResult<Size> size() override {
    winsize window{};
    if (::ioctl(size_source_, TIOCGWINSZ, &window) != 0) {
      return std::unexpected(detail::last_error());
    }
    return Size{window.ws_col, window.ws_row};
  }

  IoResult<> write(std::string_view bytes) override { return detail::write_all(output_, bytes); }

 private:
  int output_;
  int size_source_;
};

}  // namespace

AnsiBackend::AnsiBackend(int output, int size_source)
    : AnsiBackend(std::make_unique<DescriptorConsole>(output, size_source)) {}

}  // namespace tui
