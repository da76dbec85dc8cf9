#include "report/install.hpp"
#include "standard_error.hpp"

namespace report {

panic::Hook panic_hook(Settings settings) {
  return [settings](const panic::PanicInfo& info) {
    detail::write_standard_error(render_panic(info, Backtrace::capture_if_requested(), settings));
  };
}

}  // namespace report
