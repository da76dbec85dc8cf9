#include <fmt/format.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <source_location>
#include <string>
#include <system_error>

#include "case_name.hpp"
#include "panic/panic.hpp"
#include "report/install.hpp"
#include "report/render.hpp"
#include "report/report.hpp"

namespace report {
namespace {

constexpr const char* HINT =
    "Backtrace omitted. Run with REPORT_BACKTRACE=1 environment variable to display it.";

// Sets or unsets one environment variable for the life of the object.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) {
      old_ = old;
    }
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedVariable() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Points file descriptor 2 at a temporary file until `text` is called.
class CapturedStderr {
 public:
  CapturedStderr() : file_(std::tmpfile()), saved_(::dup(2)) {
    std::fflush(stderr);
    ::dup2(::fileno(file_), 2);
  }
  ~CapturedStderr() {
    restore();
    std::fclose(file_);
  }
  CapturedStderr(const CapturedStderr&) = delete;
  CapturedStderr& operator=(const CapturedStderr&) = delete;

  std::string text() {
    restore();
    std::string captured;
    std::rewind(file_);
    for (int c = std::fgetc(file_); c != EOF; c = std::fgetc(file_)) {
      captured += static_cast<char>(c);
    }
    return captured;
  }

 private:
  void restore() {
    if (saved_ >= 0) {
      std::fflush(stderr);
      ::dup2(saved_, 2);
      ::close(saved_);
      saved_ = -1;
    }
  }

  std::FILE* file_;
  int saved_;
};

// Renders made in these tests must not depend on the environment they run in.
class PlainReport : public testing::Test {
 protected:
  ScopedVariable no_backtrace_{BACKTRACE_VARIABLE, nullptr};
};

TEST_F(PlainReport, OneMessageShowsItsNumberLocationAndHint) {
  const unsigned line = __LINE__ + 1;
  const Report report("the frame could not be drawn");
  EXPECT_EQ(render(report, Settings{}), fmt::format("\n"
                                                    "   0: the frame could not be drawn\n"
                                                    "\n"
                                                    "Location:\n"
                                                    "   tests/unit/report_test.cpp:{}\n"
                                                    "\n"
                                                    "{}",
                                                    line, HINT));
}

TEST_F(PlainReport, ContextComesFirstAndKeepsTheOriginalLocation) {
  const unsigned line = __LINE__ + 1;
  Report report(std::error_code(EPIPE, std::system_category()));
  report.context("drawing the frame");
  EXPECT_EQ(render(report, Settings{}), fmt::format("\n"
                                                    "   0: drawing the frame\n"
                                                    "   1: Broken pipe (os error 32)\n"
                                                    "\n"
                                                    "Location:\n"
                                                    "   tests/unit/report_test.cpp:{}\n"
                                                    "\n"
                                                    "{}",
                                                    line, HINT));
}

TEST_F(PlainReport, MessagesOfSeveralLinesStayUnderTheirNumber) {
  const Report report =
      Report("first line\nsecond line", std::source_location::current()).context("outer");
  EXPECT_TRUE(render(report, Settings{})
                  .starts_with("\n"
                               "   0: outer\n"
                               "   1: first line\n"
                               "      second line\n"
                               "\n"
                               "Location:\n"));
}

TEST_F(PlainReport, ColoursMarkTheMessagesAndTheLocation) {
  const unsigned line = __LINE__ + 1;
  const Report report("no terminal");
  EXPECT_EQ(render(report, Settings{.colours = true}),
            fmt::format("\n"
                        "   0: \x1b[31mno terminal\x1b[0m\n"
                        "\n"
                        "Location:\n"
                        "   \x1b[35mtests/unit/report_test.cpp:{}\x1b[0m\n"
                        "\n"
                        "{}",
                        line, HINT));
}

TEST_F(PlainReport, PrintErrorWritesThePrefixTheRenderingAndALineEnd) {
  const Report report("lost");
  CapturedStderr captured;
  print_error(report);
  EXPECT_EQ(captured.text(), "Error: " + render(report, Settings{}) + "\n");
}

TEST(Report, LocationIsWhereEachFactoryWasCalled) {
  const ScopedVariable no_backtrace(BACKTRACE_VARIABLE, nullptr);
  const unsigned message_line = __LINE__ + 1;
  const Report from_message("a");
  const unsigned code_line = __LINE__ + 1;
  const Report from_code(std::make_error_code(std::errc::io_error));
  EXPECT_STREQ(from_message.location().file_name(), "tests/unit/report_test.cpp");
  EXPECT_EQ(from_message.location().line(), message_line);
  EXPECT_EQ(from_code.location().line(), code_line);
  EXPECT_FALSE(from_message.backtrace().has_value());
}

struct ColourCase {
  std::string name;
  bool terminal;
  const char* no_color;
  bool expected;
};

class ColourDecision : public testing::TestWithParam<ColourCase> {};

TEST_P(ColourDecision, FollowsTheTerminalAndNoColor) {
  const ColourCase& c = GetParam();
  EXPECT_EQ(colours_wanted(c.terminal, c.no_color), c.expected);
}

INSTANTIATE_TEST_SUITE_P(TerminalAndNoColor, ColourDecision,
                         testing::Values(ColourCase{"tty_unset", true, nullptr, true},
                                         ColourCase{"tty_empty", true, "", true},
                                         ColourCase{"tty_set", true, "1", false},
                                         ColourCase{"tty_set_to_zero", true, "0", false},
                                         ColourCase{"pipe_unset", false, nullptr, false},
                                         ColourCase{"pipe_empty", false, "", false},
                                         ColourCase{"pipe_set", false, "1", false}),
                         case_name<ColourCase>);

TEST(BacktraceRequest, AnyValueButEmptyOrZeroAsksForOne) {
  EXPECT_FALSE(backtrace_requested(nullptr));
  EXPECT_FALSE(backtrace_requested(""));
  EXPECT_FALSE(backtrace_requested("0"));
  EXPECT_TRUE(backtrace_requested("1"));
  EXPECT_TRUE(backtrace_requested("full"));
}

TEST(BacktraceTest, IsCapturedAndShownWhenTheVariableAsks) {
  const ScopedVariable asked(BACKTRACE_VARIABLE, "1");
  const Report report("with a backtrace");
  ASSERT_TRUE(report.backtrace().has_value());
  EXPECT_FALSE(report.backtrace()->frames.empty());
  const std::string text = render(report, Settings{});
  EXPECT_NE(text.find(" BACKTRACE "), std::string::npos) << text;
  EXPECT_EQ(text.find("Backtrace omitted"), std::string::npos) << text;
  // Without debug information the frames still have their names, from the
  // symbol table, but no source lines.
  std::string frame = "BacktraceTest_IsCapturedAndShownWhenTheVariableAsks_Test::TestBody()\n";
  if (BUILT_WITH_DEBUG_INFO) {
    frame += "      at tests/unit/report_test.cpp:";
  }
  EXPECT_NE(text.find(frame), std::string::npos) << text;
  EXPECT_EQ(text.find("report::Report::Report"), std::string::npos)
      << "the report's own frames stay hidden\n"
      << text;
}

TEST(PanicReport, ShowsHeaderMessageLocationAndHint) {
  const std::source_location where = std::source_location::current();
  const std::string expected = fmt::format(
      "The application panicked (crashed).\n"
      "Message:  failed to initialize terminal: No such device (os error 19)\n"
      "Location: tests/unit/report_test.cpp:{}\n"
      "\n"
      "{}\n",
      where.line(), HINT);
  const panic::PanicInfo info{"failed to initialize terminal: No such device (os error 19)", where};
  EXPECT_EQ(render_panic(info, std::nullopt, Settings{}), expected);

  const ScopedVariable no_backtrace(BACKTRACE_VARIABLE, nullptr);
  CapturedStderr captured;
  panic_hook(Settings{})(info);
  EXPECT_EQ(captured.text(), expected);
}

TEST(PanicReport, ColoursMarkHeaderMessageAndLocation) {
  const panic::PanicInfo info{"boom", std::source_location::current()};
  const std::string text = render_panic(info, std::nullopt, Settings{.colours = true});
  EXPECT_TRUE(
      text.starts_with("\x1b[31mThe application panicked (crashed).\x1b[0m\n"
                       "Message:  \x1b[36mboom\x1b[0m\n"
                       "Location: \x1b[35mtests/unit/report_test.cpp:"))
      << text;
}

TEST(PanicReport, ShowsABacktraceWhenTheVariableAsks) {
  const ScopedVariable asked(BACKTRACE_VARIABLE, "1");
  CapturedStderr captured;
  panic_hook(Settings{})(panic::PanicInfo{"boom", std::source_location::current()});
  const std::string text = captured.text();
  EXPECT_NE(text.find(" BACKTRACE "), std::string::npos) << text;
  EXPECT_EQ(text.find("Backtrace omitted"), std::string::npos) << text;
}

// Installing is process-wide and happens once, so each of these runs in a
// child process of its own. A child reports a failed check on its standard
// error and exits with 1.
class InstallDeathTest : public testing::Test {
 protected:
  InstallDeathTest() { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

[[noreturn]] void finish(const std::string& failure) {
  std::fputs(failure.c_str(), stderr);
  std::_Exit(failure.empty() ? 0 : 1);
}

void install_twice() {
  if (!install()) {
    finish("the first install failed\n");
  }
  bool own_hook_ran = false;
  panic::set_hook([&own_hook_ran](const panic::PanicInfo&) { own_hook_ran = true; });
  const unsigned line = __LINE__ + 1;
  const std::expected<void, Report> second = install();
  if (second) {
    finish("the second install succeeded\n");
  }
  panic::run_hook(panic::PanicInfo{"probe", std::source_location::current()});
  const std::string text = render(second.error(), Settings{});
  const std::string expected_start = fmt::format(
      "\n   0: the error reporter is already installed\n\nLocation:\n   "
      "tests/unit/report_test.cpp:{}\n",
      line);
  if (!text.starts_with(expected_start)) {
    finish("unexpected report:" + text + "\n");
  }
  finish(own_hook_ran ? "" : "the second install replaced the panic hook\n");
}

TEST_F(InstallDeathTest, SecondInstallFailsAtItsCallerAndChangesNothing) {
  EXPECT_EXIT(install_twice(), testing::ExitedWithCode(0), "");
}

void panic_after_install() {
  const ScopedVariable no_backtrace(BACKTRACE_VARIABLE, nullptr);
  if (!install()) {
    finish("install failed\n");
  }
  CapturedStderr captured;
  const unsigned line = __LINE__ + 2;
  try {
    panic::panic("the ball left the field");
  } catch (const panic::Panic&) {
  }
  const std::string expected = fmt::format(
      "The application panicked (crashed).\n"
      "Message:  the ball left the field\n"
      "Location: tests/unit/report_test.cpp:{}\n"
      "\n"
      "{}\n",
      line, HINT);
  const std::string text = captured.text();
  finish(text == expected ? "" : "unexpected panic report:\n" + text);
}

TEST_F(InstallDeathTest, InstalledHookPrintsThePanicReport) {
  EXPECT_EXIT(panic_after_install(), testing::ExitedWithCode(0), "");
}

// Installs with standard error on a real pseudo-terminal and reports
// whether colours were chosen through the exit status.
void install_on_terminal(const char* no_color) {
  const ScopedVariable variable("NO_COLOR", no_color);
  int controller = -1;
  int terminal = -1;
  if (::openpty(&controller, &terminal, nullptr, nullptr, nullptr) != 0) {
    finish("openpty failed\n");
  }
  const int saved = ::dup(2);
  ::dup2(terminal, 2);
  const bool installed = install().has_value();
  ::dup2(saved, 2);
  if (!installed) {
    finish("install failed\n");
  }
  std::_Exit(installed_settings().colours ? 10 : 11);
}

TEST_F(InstallDeathTest, ColoursAreChosenForATerminalWithoutNoColor) {
  EXPECT_EXIT(install_on_terminal(nullptr), testing::ExitedWithCode(10), "");
  EXPECT_EXIT(install_on_terminal(""), testing::ExitedWithCode(10), "");
  EXPECT_EXIT(install_on_terminal("1"), testing::ExitedWithCode(11), "");
}

TEST_F(InstallDeathTest, PlainWhenStandardErrorIsNoTerminal) {
  EXPECT_EXIT(
      {
        const ScopedVariable variable("NO_COLOR", nullptr);
        CapturedStderr captured;
        const bool installed = install().has_value();
        std::_Exit(installed && !installed_settings().colours ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

TEST(Settings, ArePlainBeforeInstall) {
  EXPECT_EQ(installed_settings(), Settings{});
}

}  // namespace
}  // namespace report
