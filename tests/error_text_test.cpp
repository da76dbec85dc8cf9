#include "error_text/error_text.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <system_error>

namespace error_text {
namespace {

class TestCategory : public std::error_category {
 public:
  const char* name() const noexcept override { return "test"; }
  std::string message(int) const override { return "went wrong"; }
};

TEST(Describe, NamesOsErrorsAsSuchAndOtherCategoriesByName) {
  static const TestCategory test_category;
  EXPECT_EQ(describe(std::make_error_code(std::errc::broken_pipe)), "Broken pipe (os error 32)");
  EXPECT_EQ(describe(std::make_error_code(std::errc::no_such_file_or_directory)),
            "No such file or directory (os error 2)");
  EXPECT_EQ(describe(std::error_code(7, test_category)), "went wrong (test error 7)");
}

}  // namespace
}  // namespace error_text
