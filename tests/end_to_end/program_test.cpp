// The real program, played in tmux as a person would.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <string>
#include <vector>

#include "support/tmux_session.hpp"

namespace {

using testing_support::read_file;
using testing_support::shell_quote;
using testing_support::TempDir;
using testing_support::TmuxSession;

const std::string binary = RALLIX_BINARY;

// The pane runs the game, then records how it ended and the terminal's
// modes, and stays open so the screen can still be read.
std::string game_then_record(const TempDir& dir) {
  return shell_quote(binary) + " 2>" + dir.path("stderr") + "; echo $? >" + dir.path("status") +
         "; stty -a >" + dir.path("stty") + "; sleep 600";
}

// The top row of the user's paddle: the first row with a block in column 1.
int paddle_top_row(const TmuxSession& tmux) {
  const std::vector<std::string> rows = tmux.screen();
  for (std::size_t row = 0; row < rows.size(); ++row) {
    if (rows[row].starts_with("│█") || rows[row].starts_with("┌█")) {
      return static_cast<int>(row);
    }
  }
  return -1;
}

bool has_mode(const std::string& stty, const std::string& mode) {
  return stty.find(" " + mode + " ") != std::string::npos ||
         stty.find(" " + mode + "\n") != std::string::npos ||
         stty.find("\n" + mode + " ") != std::string::npos;
}

void expect_terminal_given_back(const TmuxSession& tmux, const TempDir& dir) {
  ASSERT_TRUE(TmuxSession::wait_until([&] { return !read_file(dir.path("stty")).empty(); }));
  EXPECT_EQ(tmux.display("#{alternate_on}"), "0") << "back on the normal screen";
  EXPECT_EQ(tmux.display("#{cursor_flag}"), "1") << "cursor visible";
  const std::string stty = read_file(dir.path("stty"));
  for (const char* mode : {"icanon", "echo", "isig"}) {
    EXPECT_TRUE(has_mode(stty, mode)) << mode << " in:\n" << stty;
  }
}

class QuitKey : public testing::TestWithParam<const char*> {};

TEST_P(QuitKey, PlaysAndQuitsCleanly) {
  const TempDir dir;
  const TmuxSession tmux(game_then_record(dir), 80, 24);
  ASSERT_TRUE(tmux.wait_for_text("┌Rallix | 0 - 0─"));
  EXPECT_EQ(tmux.display("#{alternate_on}"), "1");
  EXPECT_EQ(tmux.display("#{cursor_flag}"), "0");

  const int top = paddle_top_row(tmux);
  tmux.send_keys("w");
  EXPECT_TRUE(TmuxSession::wait_until([&] { return paddle_top_row(tmux) == top - 1; }))
      << "the paddle climbs one unit, from row " << top;

  tmux.send_keys("Escape");
  ASSERT_TRUE(tmux.wait_for_text("Paused"));
  EXPECT_TRUE(tmux.wait_for_text("Score: 0 - 0"));
  tmux.send_keys("Escape");
  ASSERT_TRUE(tmux.wait_for_text("┌Rallix |"));

  tmux.send_keys(GetParam());
  expect_terminal_given_back(tmux, dir);
  EXPECT_EQ(read_file(dir.path("status")), "0\n");
  EXPECT_EQ(read_file(dir.path("stderr")), "");
}

INSTANTIATE_TEST_SUITE_P(Keys, QuitKey, testing::Values("q", "C-c"),
                         [](const testing::TestParamInfo<const char*>& key) {
                           return std::string(key.param) == "q" ? "q" : "ctrl_c";
                         });

TEST(Program, WithoutATerminalPanicsBeforeTouchingAnything) {
  const TempDir dir;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    setsid();  // no controlling terminal
    const int null = open("/dev/null", O_RDWR);
    const int err = open(dir.path("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(null, 0);
    dup2(null, 1);
    dup2(err, 2);
    execl(binary.c_str(), binary.c_str(), nullptr);
    _exit(127);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 101);
  const std::string stderr_text = read_file(dir.path("stderr"));
  EXPECT_NE(stderr_text.find("The application panicked (crashed)."), std::string::npos)
      << stderr_text;
  EXPECT_NE(stderr_text.find("failed to initialize terminal"), std::string::npos) << stderr_text;
}

TEST(Program, AFailedFrameIsReportedAfterTheTerminalIsGivenBack) {
  const TempDir dir;
  // The reader of standard output goes away while the game runs.
  const std::string command =
      "bash -c " +
      shell_quote(shell_quote(binary) + " 2>" + dir.path("stderr") +
                  " | head -c 4096 >/dev/null; echo ${PIPESTATUS[0]} >" + dir.path("status") +
                  "; stty -a >" + dir.path("stty") + "; sleep 600");
  const TmuxSession tmux(command, 80, 24);
  expect_terminal_given_back(tmux, dir);
  EXPECT_EQ(read_file(dir.path("status")), "1\n");
  const std::string report = read_file(dir.path("stderr"));
  EXPECT_NE(report.find("Error:"), std::string::npos) << report;
  EXPECT_NE(report.find("0: Broken pipe"), std::string::npos) << report;
  EXPECT_NE(report.find("src/main_loop.cpp:"), std::string::npos) << report;
}

}  // namespace
