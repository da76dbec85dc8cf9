// The printed form of a backtrace, shared by error and panic reports.
#pragma once

#include <string>

#include "report/render.hpp"
#include "report/report.hpp"

namespace report::detail {

// The backtrace section: a header line and the frames, without a final line
// end. Frames of the reporting machinery on top of the stack, and those of
// the C runtime below `main`, are counted but not shown.
std::string render_backtrace(const Backtrace& backtrace, const Settings& settings);

// The line printed in place of a backtrace, telling how to get one.
std::string backtrace_hint();

}  // namespace report::detail
