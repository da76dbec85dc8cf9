// The ANSI back end on a POSIX terminal: bytes to a descriptor, the size
// from the terminal driver.
#include <memory>

#include "terminal/fd_write.hpp"
#include "terminal/window_size_posix.hpp"
#include "tui/terminal/ansi_backend.hpp"

namespace tui {
namespace {

class DescriptorConsole final : public AnsiBackend::Console {
 public:
  DescriptorConsole(int output, int size_source) : output_(output), size_source_(size_source) {}

  IoResult<Size> size() override { return detail::window_size(size_source_); }

  IoResult<> write(std::string_view bytes) override { return detail::write_all(output_, bytes); }

 private:
  int output_;
  int size_source_;
};

}  // namespace

AnsiBackend::AnsiBackend(int output, int size_source)
    : AnsiBackend(std::make_unique<DescriptorConsole>(output, size_source)) {}

}  // namespace tui
