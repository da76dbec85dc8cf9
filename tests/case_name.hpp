// Names parameterised test cases after their `name` field, so a failure
// message says which row of a table broke.
#pragma once

#include <gtest/gtest.h>

#include <string>

template <class Case>
std::string case_name(const testing::TestParamInfo<Case>& row) {
  return row.param.name;
}
