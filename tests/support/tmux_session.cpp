#include "tmux_session.hpp"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace testing_support {

std::string shell_quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::string run_command(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    throw std::runtime_error("cannot run: " + command);
  }
  std::string output;
  std::array<char, 4096> chunk{};
  std::size_t n = 0;
  while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) {
    output.append(chunk.data(), n);
  }
  if (pclose(pipe) != 0) {
    throw std::runtime_error("failed: " + command);
  }
  return output;
}

TmuxSession::TmuxSession(const std::string& command, int width, int height)
    : socket_("rallix-test-" + std::to_string(getpid()) + "-" +
              std::to_string(reinterpret_cast<std::uintptr_t>(this))) {
  // No user configuration, and a plain terminal type the program must cope with.
  tmux("-f /dev/null new-session -d -x " + std::to_string(width) + " -y " + std::to_string(height) +
       " " + shell_quote(command));
  tmux("set-option -g remain-on-exit on");
}

TmuxSession::~TmuxSession() {
  std::system(("tmux -L " + socket_ + " kill-server >/dev/null 2>&1").c_str());
}

std::string TmuxSession::tmux(const std::string& arguments) const {
  return run_command("tmux -L " + socket_ + " " + arguments);
}

void TmuxSession::send_keys(const std::string& keys, bool literal) const {
  tmux(std::string("send-keys ") + (literal ? "-l " : "") + keys);
}

std::vector<std::string> TmuxSession::screen(bool colors) const {
  std::istringstream text(tmux(std::string("capture-pane -p") + (colors ? " -e" : "")));
  std::vector<std::string> rows;
  for (std::string row; std::getline(text, row);) {
    rows.push_back(row);
  }
  return rows;
}

std::string TmuxSession::display(const std::string& format) const {
  std::string value = tmux("display-message -p " + shell_quote(format));
  while (!value.empty() && value.back() == '\n') {
    value.pop_back();
  }
  return value;
}

void TmuxSession::resize(int width, int height) const {
  tmux("resize-window -x " + std::to_string(width) + " -y " + std::to_string(height));
}

bool TmuxSession::wait_until(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto give_up = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > give_up) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

bool TmuxSession::wait_for_text(const std::string& text, std::chrono::milliseconds limit) const {
  return wait_until([&] { return shows_text(screen(), text); }, limit);
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "rallix-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("mkdtemp failed");
  }
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace testing_support
