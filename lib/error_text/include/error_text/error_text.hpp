// The text of an error code, the same wherever a failure is shown: in an
// error report, in the panic of a failed set-up and in the lines that a
// failed restore or cursor show prints.
#pragma once

#include <string>
#include <system_error>

namespace error_text {

// "Broken pipe (os error 32)": the error's message with its code. Errors of
// the operating system say "os error"; other categories give their name.
std::string describe(std::error_code error);

}  // namespace error_text
