// Installing the reporter: the rendering settings and the panic hook.
#pragma once

#include <expected>
#include <source_location>

#include "panic/panic.hpp"
#include "report/render.hpp"
#include "report/report.hpp"

namespace report {

// Decides the settings (colours when standard error is a terminal and
// NO_COLOR is unset or empty), then puts the reporter's panic hook into the
// panic slot. Only the first call in a process installs; a later one fails
// with a report made at its caller and changes nothing.
std::expected<void, Report> install(std::source_location caller = std::source_location::current());

// The installed settings, or the plain defaults before install.
Settings installed_settings();

// The reporter's panic hook: prints the panic report on standard error in
// one write, with a backtrace when BACKTRACE_VARIABLE asks at panic time.
panic::Hook panic_hook(Settings settings);

}  // namespace report
