#include "error_text/error_text.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <ostream>
#include <string>
#include <system_error>
#include <utility>

#include "case_name.hpp"

namespace error_text {
namespace {

// A category whose every message is the one it was made with.
class TestCategory : public std::error_category {
 public:
  explicit TestCategory(std::string message) : message_(std::move(message)) {}
  const char* name() const noexcept override { return "test"; }
  std::string message(int) const override { return message_; }

 private:
  std::string message_;
};

TEST(Describe, NamesOsErrorsAsSuchAndOtherCategoriesByName) {
  const TestCategory test_category("went wrong");
  EXPECT_EQ(describe(std::make_error_code(std::errc::broken_pipe)), "Broken pipe (os error 32)");
  EXPECT_EQ(describe(std::make_error_code(std::errc::no_such_file_or_directory)),
            "No such file or directory (os error 2)");
  EXPECT_EQ(describe(std::error_code(7, test_category)), "went wrong (test error 7)");
}

// Windows' messages are sentences that end in a period and a line end; the
// text stands in the middle of a line, so both go.
struct MessageCase {
  std::string name;
  std::string message;
  std::string expected;
};

using case_printing::PrintTo;

class DescribeMessage : public testing::TestWithParam<MessageCase> {};

TEST_P(DescribeMessage, KeepsTheMessageOnOneLineWithoutItsFinalPeriod) {
  const TestCategory category(GetParam().message);
  EXPECT_EQ(describe(std::error_code(232, category)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Endings, DescribeMessage,
                         testing::Values(MessageCase{"Bare", "The pipe is being closed",
                                                     "The pipe is being closed (test error 232)"},
                                         MessageCase{"Sentence", "The pipe is being closed.\r\n",
                                                     "The pipe is being closed (test error 232)"},
                                         MessageCase{"LineEndOnly", "The pipe is being closed\r\n",
                                                     "The pipe is being closed (test error 232)"},
                                         MessageCase{"PeriodOnly", "The pipe is being closed.",
                                                     "The pipe is being closed (test error 232)"},
                                         MessageCase{"BlanksAfterThePeriod",
                                                     "The pipe is being closed. \n",
                                                     "The pipe is being closed (test error 232)"},
                                         MessageCase{"PeriodsInside", "Not a file.exe, not a dir.",
                                                     "Not a file.exe, not a dir (test error 232)"},
                                         MessageCase{"Empty", "", " (test error 232)"}),
                         case_name<MessageCase>);

// The real thing on this platform: a broken pipe as the system reports it.
TEST(Describe, ASystemErrorOfThisPlatformReadsAsOneLineWithItsCode) {
#ifdef _WIN32
  const int broken_pipe = 109;  // ERROR_BROKEN_PIPE
#else
  const int broken_pipe = EPIPE;
#endif
  const std::string text = describe(std::error_code(broken_pipe, std::system_category()));
  EXPECT_TRUE(text.ends_with(" (os error " + std::to_string(broken_pipe) + ")")) << text;
  EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
  EXPECT_EQ(text.find(". ("), std::string::npos) << text;
  EXPECT_FALSE(text.starts_with(" (")) << "the message itself is there\n" << text;
}

}  // namespace
}  // namespace error_text
