// How error reports and panic reports look when printed.
#pragma once

#include <optional>
#include <string>

#include "panic/panic.hpp"
#include "report/report.hpp"

namespace report {

// The rendering choices the reporter makes once, when it is installed.
struct Settings {
  bool colours = false;

  bool operator==(const Settings&) const = default;
};

// Colours go to a terminal only, and never when NO_COLOR holds a value.
// `no_color` is the variable's value, null when unset.
bool colours_wanted(bool standard_error_is_terminal, const char* no_color);

// The text that follows "Error: ": the numbered messages, the location and
// the backtrace or the hint on how to get one. It starts with a line end and
// ends without one.
std::string render(const Report& report, const Settings& settings);

// As above, with the installed settings (plain before the reporter is installed).
std::string render(const Report& report);

// The whole panic report, ending with a line end.
std::string render_panic(const panic::PanicInfo& info, const std::optional<Backtrace>& backtrace,
                         const Settings& settings);

// Writes "Error: ", the rendering and a line end on standard error, in one write.
void print_error(const Report& report);

}  // namespace report
