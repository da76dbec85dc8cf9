// The real program started with arguments on a pseudo-terminal of its own:
// it answers --help and --version, refuses anything else, and leaves the
// terminal exactly as it found it.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <ostream>
#include <string>
#include <vector>

#include "case_name.hpp"
#include "support/pty_process.hpp"
#include "support/tmux_session.hpp"

namespace {

using namespace std::chrono_literals;
using testing_support::LaunchOptions;
using testing_support::PtyProcess;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::TerminalSize;

const std::string binary = RALLIX_BINARY;
const std::string version_line = std::string("rallix ") + RALLIX_PROJECT_VERSION + "\n";
constexpr TerminalSize SIZE{80, 24};

const std::string help_text =
    "Usage: rallix [--help | --version]\n"
    "\n"
    "Rallix is a ball game for the terminal: you play the left paddle against\n"
    "the computer's right paddle, and the first side to score five points wins.\n"
    "Started without arguments, it plays in the whole terminal window.\n"
    "\n"
    "Keys:\n"
    "  Up arrow, w, k     move your paddle up\n"
    "  Down arrow, s, j   move your paddle down\n"
    "  Esc                pause and resume; after a win or a loss, play again\n"
    "  q, Ctrl+C          quit\n"
    "\n"
    "Options:\n"
    "  -h, --help         print this help and exit\n"
    "  -V, --version      print the version and exit\n"
    "\n"
    "Exit status:\n"
    "  0    the game was quit, or this help or the version was printed\n"
    "  1    an error ended the game, or this text could not be written\n"
    "  2    the command line was not understood\n"
    "  101  the program crashed; its report on standard error says where\n"
    "\n"
    "The manual page: man rallix\n";

std::string unknown(const std::string& shown) {
  return "rallix: unknown argument '" + shown + "' (try 'rallix --help')\n";
}

// The terminal shows a program's line ends as carriage return and line feed.
std::string as_terminal_shows(const std::string& text) {
  std::string shown;
  for (const char c : text) {
    shown += c == '\n' ? std::string("\r\n") : std::string(1, c);
  }
  return shown;
}

// The modes a new pseudo-terminal starts in, as the program's does.
termios fresh_terminal_modes() {
  int master = -1;
  int slave = -1;
  if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
    throw std::runtime_error("openpty failed");
  }
  termios modes{};
  ::tcgetattr(master, &modes);
  ::close(slave);
  ::close(master);
  return modes;
}

void expect_same_modes(const termios& actual, const termios& expected) {
  EXPECT_EQ(actual.c_iflag, expected.c_iflag);
  EXPECT_EQ(actual.c_oflag, expected.c_oflag);
  EXPECT_EQ(actual.c_cflag, expected.c_cflag);
  EXPECT_EQ(actual.c_lflag, expected.c_lflag);
  for (std::size_t i = 0; i < NCCS; ++i) {
    EXPECT_EQ(actual.c_cc[i], expected.c_cc[i]) << "control character " << i;
  }
}

struct Case {
  std::string name;
  std::vector<std::string> arguments;
  std::string stdout_path;  // empty: the terminal
  int status;
  std::string out;  // what the terminal shows of standard output
  std::string err;
};

using case_printing::PrintTo;

class CommandLine : public testing::TestWithParam<Case> {};

TEST_P(CommandLine, AnswersWithOneTextAndLeavesTheTerminalAlone) {
  const Case& c = GetParam();
  const TempDir dir;
  std::vector<std::string> argv{binary};
  argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
  PtyProcess program(
      argv, SIZE, LaunchOptions{.stdout_path = c.stdout_path, .stderr_path = dir.path("stderr")});
  const std::optional<int> status = program.wait_exit(30s);
  ASSERT_TRUE(status) << "still running: it started a game";
  ASSERT_TRUE(WIFEXITED(*status)) << "killed by signal " << WTERMSIG(*status);
  EXPECT_EQ(WEXITSTATUS(*status), c.status);
  EXPECT_EQ(program.output(), as_terminal_shows(c.out));
  EXPECT_EQ(read_file(dir.path("stderr")), c.err);
  expect_same_modes(program.terminal_modes(), fresh_terminal_modes());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLine,
    testing::Values(
        Case{"Help", {"--help"}, "", 0, help_text, ""},
        Case{"ShortHelp", {"-h"}, "", 0, help_text, ""},
        Case{"Version", {"--version"}, "", 0, version_line, ""},
        Case{"ShortVersion", {"-V"}, "", 0, version_line, ""},
        Case{"UnknownOption", {"--bogus"}, "", 2, "", unknown("--bogus")},
        Case{"OptionsTogether", {"-hV"}, "", 2, "", unknown("-hV")},
        Case{"OptionWithAValue", {"--help=all"}, "", 2, "", unknown("--help=all")},
        Case{"EmptyArgument", {""}, "", 2, "", unknown("")},
        Case{"TwoOptions", {"--help", "--version"}, "", 2, "", unknown("--version")},
        Case{"UnknownBeforeAnOption", {"--bogus", "--help"}, "", 2, "", unknown("--bogus")},
        Case{"ControlBytesShownAsEscapes",
             {"\x1b[2J\x07\x7f"},
             "",
             2,
             "",
             unknown("\\x1b[2J\\x07\\x7f")},
        Case{"HelpOnAFullDisk",
             {"--help"},
             "/dev/full",
             1,
             "",
             "rallix: writing to standard output failed: No space left on device (os error 28)\n"},
        Case{"VersionOnAFullDisk",
             {"--version"},
             "/dev/full",
             1,
             "",
             "rallix: writing to standard output failed: No space left on device (os error 28)\n"}),
    case_name<Case>);

}  // namespace
