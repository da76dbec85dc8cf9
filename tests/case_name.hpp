// Names parameterised test cases after their `name` field, so a failure
// message says which row of a table broke, and prints a row as that name.
// A test file takes the printer with `using case_printing::PrintTo;` in the
// namespace of its rows, where GoogleTest looks for it.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

template <class Case>
std::string case_name(const testing::TestParamInfo<Case>& row) {
  return row.param.name;
}

namespace case_printing {

template <class Case>
requires requires(const Case& row) {
  std::string_view(row.name);
}
void PrintTo(const Case& row, std::ostream* out) {
  *out << row.name;
}

}  // namespace case_printing
