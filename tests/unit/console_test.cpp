#include "tui/terminal/console.hpp"

#include <fcntl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "case_name.hpp"
#include "console/setup.hpp"
#include "descriptors.hpp"
#include "panic/panic.hpp"

namespace tui {
namespace {

using testing::Pipe;
using testing::Pty;

// The mode bits the game switches, as "NAME=0/1" words.
std::string describe_mode(int fd) {
  termios mode{};
  if (::tcgetattr(fd, &mode) != 0) {
    return "no terminal";
  }
  const auto bit = [](const char* name, tcflag_t flags, tcflag_t flag) {
    return std::string(name) + ((flags & flag) != 0 ? "=1 " : "=0 ");
  };
  return bit("ICANON", mode.c_lflag, ICANON) + bit("ECHO", mode.c_lflag, ECHO) +
         bit("ISIG", mode.c_lflag, ISIG) + bit("IEXTEN", mode.c_lflag, IEXTEN) +
         bit("IXON", mode.c_iflag, IXON) + bit("ICRNL", mode.c_iflag, ICRNL) +
         bit("OPOST", mode.c_oflag, OPOST) + "VMIN=" + std::to_string(mode.c_cc[VMIN]) +
         " VTIME=" + std::to_string(mode.c_cc[VTIME]);
}

void put(int fd, const std::string& text) {
  [[maybe_unused]] const ssize_t n = ::write(fd, text.data(), text.size());
}

struct ChildRun {
  std::string terminal;  // what the child wrote to its terminal
  std::string report;    // what it wrote to the report descriptor
  int status = -1;
};

// Runs `child` in a process of its own whose standard streams and
// controlling terminal are the slave side of a new pseudo-terminal.
ChildRun run_on_pty(const std::function<void(int report)>& child) {
  Pty pty({20, 5});
  int report[2];
  if (::pipe(report) != 0) {
    return {};
  }
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::alarm(20);  // a child that hangs fails the test instead of stalling it
    ::close(report[0]);
    ::close(pty.master);
    if (::login_tty(pty.slave) != 0) {
      ::_exit(90);
    }
    child(report[1]);
    ::_exit(0);
  }
  ::close(report[1]);
  testing::close_fd(pty.slave);
  ChildRun run;
  run.terminal = testing::read_all(pty.master);
  run.report = testing::read_all(report[0]);
  ::close(report[0]);
  ::waitpid(pid, &run.status, 0);
  return run;
}

struct Setup {
  std::string name;
  bool stdin_is_the_terminal;
};

using case_printing::PrintTo;

class ConsoleModes : public ::testing::TestWithParam<Setup> {};

TEST_P(ConsoleModes, SetUpTakesRawModeAndRestoreGivesLineInputEchoAndCtrlCBack) {
  const bool stdin_is_the_terminal = GetParam().stdin_is_the_terminal;
  const ChildRun run = run_on_pty([stdin_is_the_terminal](int report) {
    if (!stdin_is_the_terminal) {
      ::dup2(::open("/dev/null", O_RDONLY), STDIN_FILENO);
    }
    // The console starts out without line input, echo and Ctrl+C.
    termios mode{};
    ::tcgetattr(STDOUT_FILENO, &mode);
    mode.c_lflag &= ~(ICANON | ECHO | ISIG);
    ::tcsetattr(STDOUT_FILENO, TCSANOW, &mode);
    {
      Terminal terminal = init();
      put(report, "set up: " + describe_mode(STDOUT_FILENO) + "\n");
      put(report, std::string("input is the terminal: ") +
                      (::isatty(detail::console_input()) != 0 ? "yes\n" : "no\n"));
      const IoResult<> drawn = terminal.draw([](Frame& frame) {
        frame.buffer().set_string({0, 0}, "hi", {}, 2);
      });
      put(report, drawn ? "" : "draw failed\n");
    }
    restore();
    put(report, "restored: " + describe_mode(STDOUT_FILENO) + "\n");
  });
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.report,
            "set up: ICANON=0 ECHO=0 ISIG=0 IEXTEN=0 IXON=0 ICRNL=0 OPOST=0 VMIN=1 VTIME=0\n"
            "input is the terminal: yes\n"
            "restored: ICANON=1 ECHO=1 ISIG=1 IEXTEN=1 IXON=1 ICRNL=1 OPOST=1 VMIN=1 VTIME=0\n");
  EXPECT_EQ(run.terminal,
            "\x1b[?1049h"                           // the alternate screen
            "\x1b[?u\x1b[c"                         // does it speak the keyboard protocol?
            "\x1b[m\x1b[2J\x1b[Hhi\x1b[m\x1b[?25l"  // one frame on an erased screen
            "\x1b[?25h"                             // the terminal object closed
            "\x1b[m\x1b[2J\x1b[H"                   // the game's screen erased
            "\x1b[?1049l");                         // the normal screen
}

INSTANTIATE_TEST_SUITE_P(Console, ConsoleModes,
                         ::testing::Values(Setup{"StandardInputIsTheTerminal", true},
                                           Setup{"StandardInputIsNotATerminal", false}),
                         case_name<Setup>);

TEST(ConsolePanic, RestoresTheConsoleBeforeTheEarlierHookReportsAndShowsTheCursorWhenUnwound) {
  const ChildRun run = run_on_pty([](int report) {
    panic::set_hook([report](const panic::PanicInfo& info) {
      put(report,
          "hook saw: " + describe_mode(STDOUT_FILENO) + " for " + std::string(info.message) + "\n");
      put(STDOUT_FILENO, "[report]");
    });
    try {
      Terminal terminal = init();
      (void)terminal.draw([](Frame&) {});
      panic::panic("boom");
    } catch (const panic::Panic&) {
      put(report, "unwound\n");
    }
  });
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.report,
            "hook saw: ICANON=1 ECHO=1 ISIG=1 IEXTEN=1 IXON=1 ICRNL=1 OPOST=1 VMIN=1 VTIME=0 "
            "for boom\nunwound\n");
  EXPECT_EQ(run.terminal,
            "\x1b[?1049h\x1b[?u\x1b[c\x1b[m\x1b[2J\x1b[m\x1b[?25l"
            "\x1b[?25h\x1b[m\x1b[2J\x1b[H\x1b[?1049l[report]"  // given back as on every way out
            "\x1b[?25h");                                      // and the terminal object unwound
}

// The keyboard flags live on the alternate screen's own stack: pushed once
// the terminal has answered, popped before every leaving, pushed again on
// every coming back.
TEST(ConsoleKeyboard, FlagsArePushedOnTheAnswerAndPoppedBeforeEachLeaving) {
  const ChildRun run = run_on_pty([](int) {
    Terminal terminal = init();
    enable_keyboard_enhancement();
    enable_keyboard_enhancement();  // a second answer changes nothing
    static_cast<void>(leave_game_mode());
    static_cast<void>(enter_game_mode());
    terminal.close();
    restore();
    restore();  // nothing left to pop
  });
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.terminal,
            "\x1b[?1049h\x1b[?u\x1b[c"                        // set-up and the query
            "\x1b[>11u"                                       // the answer came
            "\x1b[?25h\x1b[m\x1b[2J\x1b[H\x1b[<u\x1b[?1049l"  // a suspend
            "\x1b[?1049h\x1b[>11u"                            // and the continue
            "\x1b[m\x1b[2J\x1b[H\x1b[<u\x1b[?1049l"           // the restore
            "\x1b[?1049l");                                   // nothing left to erase or pop
}

TEST(ConsoleSetUp, WithoutAnyTerminalPanicsAfterTheRestoreHasRun) {
  Pipe errors;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::alarm(20);
    ::setsid();  // no controlling terminal any more
    ::dup2(::open("/dev/null", O_RDONLY), STDIN_FILENO);
    ::dup2(::open("/dev/null", O_WRONLY), STDOUT_FILENO);
    ::dup2(errors.write, STDERR_FILENO);
    try {
      init();
    } catch (const panic::Panic& p) {
      std::fprintf(stderr, "unwound with: %s\n", p.what());
      std::fflush(stderr);
      ::_exit(101);
    }
    ::_exit(0);
  }
  testing::close_fd(errors.write);
  int status = 0;
  ::waitpid(pid, &status, 0);
  const std::string text = errors.take();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 101) << text;
  const std::string cause = "No such device or address";
  const std::string message = "failed to initialize terminal: " + cause + " (os error 6)\n";
  EXPECT_TRUE(text.starts_with("Failed to restore terminal: " + cause + " (os error 6)\n")) << text;
  EXPECT_NE(text.find("\n" + message), std::string::npos) << text;
  EXPECT_TRUE(text.ends_with("unwound with: " + message)) << text;
}

// Standard output goes away while the game runs: both failure lines of the
// way out name the error as an error report does, with its code.
TEST(ConsoleExit, FailuresOnAGoneOutputNameTheErrorWithItsCode) {
  const ChildRun run = run_on_pty([](int report) {
    Terminal terminal = init();
    static_cast<void>(terminal.draw([](Frame&) {}));
    int gone[2];
    if (::pipe(gone) != 0) {
      ::_exit(91);
    }
    ::close(gone[0]);
    ::dup2(gone[1], STDOUT_FILENO);
    ::dup2(report, STDERR_FILENO);
    terminal.close();
    restore();
  });
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.report,
            "Failed to show the cursor: Broken pipe (os error 32)\n"
            "Failed to restore terminal: Broken pipe (os error 32)\n");
}

}  // namespace
}  // namespace tui
