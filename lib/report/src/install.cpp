#include "report/install.hpp"

#include <cstdlib>
#include <mutex>

#include "standard_error.hpp"

namespace report {
namespace {

// The report handler's state is process-wide by design: reports are
// rendered alike wherever they are printed.
struct Handler {
  std::mutex mutex;
  std::optional<Settings> settings;
};

Handler& handler() {
  static Handler instance;
  return instance;
}

}  // namespace

std::expected<void, Report> install(std::source_location caller) {
  Handler& h = handler();
  const std::lock_guard lock(h.mutex);
  if (h.settings) {
    return std::unexpected(Report("the error reporter is already installed", caller));
  }
  const Settings settings{
      colours_wanted(detail::standard_error_is_terminal(), std::getenv("NO_COLOR"))};
  h.settings = settings;
  panic::set_hook(panic_hook(settings));
  return {};
}

Settings installed_settings() {
  Handler& h = handler();
  const std::lock_guard lock(h.mutex);
  return h.settings.value_or(Settings{});
}

}  // namespace report
