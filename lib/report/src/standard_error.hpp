// The process's standard error, reached directly so that a report leaves in
// one write and cannot interleave with other threads' output.
#pragma once

#include <string_view>

namespace report::detail {

bool standard_error_is_terminal();

// Writes all of `text`, retrying short writes; failures are ignored, since
// there is nowhere left to report them.
void write_standard_error(std::string_view text);

}  // namespace report::detail
