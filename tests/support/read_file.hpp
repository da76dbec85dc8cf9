// A whole file as text, for tests that look at what a program wrote.
#pragma once

#include <string>

namespace testing_support {

// The whole content of a file, or an empty string when it does not exist.
std::string read_file(const std::string& path);

}  // namespace testing_support
