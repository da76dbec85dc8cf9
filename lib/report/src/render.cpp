#include "report/render.hpp"

#include <fmt/format.h>

#include "backtrace_text.hpp"
#include "paint.hpp"
#include "report/install.hpp"
#include "standard_error.hpp"

namespace report {
namespace {

// Continuation lines of a message line up under its first line.
std::string indent_continuations(std::string_view message) {
  std::string text;
  for (const char c : message) {
    text += c;
    if (c == '\n') {
      text += "      ";
    }
  }
  return text;
}

std::string position(const Settings& settings, const std::source_location& location) {
  return detail::paint(settings, detail::LOCATION_STYLE,
                       fmt::format("{}:{}", location.file_name(), location.line()));
}

std::string backtrace_or_hint(const std::optional<Backtrace>& backtrace, const Settings& settings) {
  return backtrace ? detail::render_backtrace(*backtrace, settings) : detail::backtrace_hint();
}

}  // namespace

std::string render(const Report& report, const Settings& settings) {
  std::string text;
  const std::vector<std::string>& messages = report.messages();
  for (std::size_t i = 0; i < messages.size(); ++i) {
    text += fmt::format(
        "\n{:>4}: {}", i,
        detail::paint(settings, detail::MESSAGE_STYLE, indent_continuations(messages[i])));
  }
  text += fmt::format("\n\nLocation:\n   {}", position(settings, report.location()));
  text += "\n\n" + backtrace_or_hint(report.backtrace(), settings);
  return text;
}

std::string render(const Report& report) {
  return render(report, installed_settings());
}

std::string render_panic(const panic::PanicInfo& info, const std::optional<Backtrace>& backtrace,
                         const Settings& settings) {
  std::string text =
      detail::paint(settings, detail::MESSAGE_STYLE, "The application panicked (crashed).");
  text += "\nMessage:  " + detail::paint(settings, detail::PANIC_MESSAGE_STYLE, info.message);
  text += "\nLocation: " + position(settings, info.location);
  text += "\n\n" + backtrace_or_hint(backtrace, settings) + "\n";
  return text;
}

void print_error(const Report& report) {
  detail::write_standard_error(fmt::format("Error: {}\n", render(report)));
}

}  // namespace report
