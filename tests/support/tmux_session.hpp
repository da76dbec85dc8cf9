// Drives a real tmux server for end-to-end tests: start a command in a pane
// of a given size, type keys, and read the screen as a person would see it.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "read_file.hpp"
#include "shows_text.hpp"

namespace testing_support {

// Quotes `text` for /bin/sh.
std::string shell_quote(const std::string& text);

// Runs a shell command; returns its standard output. Throws on failure.
std::string run_command(const std::string& command);

class TmuxSession {
 public:
  // Starts a private tmux server with one pane of `width` x `height` running
  // `command` under /bin/sh.
  TmuxSession(const std::string& command, int width, int height);
  ~TmuxSession();
  TmuxSession(const TmuxSession&) = delete;
  TmuxSession& operator=(const TmuxSession&) = delete;

  // Sends tmux key names ("w", "Escape", "C-c", "Up") or, with `literal`, text as typed.
  void send_keys(const std::string& keys, bool literal = false) const;

  // The pane's rows as text; with `colors`, with the escape sequences of their styles.
  std::vector<std::string> screen(bool colors = false) const;

  // A tmux format evaluated for the pane, e.g. "#{alternate_on}".
  std::string display(const std::string& format) const;

  void resize(int width, int height) const;

  // Polls until `done` holds, up to `limit`; returns whether it did. The
  // limit only keeps a broken program from hanging the suite.
  static bool wait_until(const std::function<bool()>& done,
                         std::chrono::milliseconds limit = std::chrono::seconds(10));

  // Waits until some row of the screen contains `text`.
  bool wait_for_text(const std::string& text,
                     std::chrono::milliseconds limit = std::chrono::seconds(10)) const;

 private:
  std::string tmux(const std::string& arguments) const;

  std::string socket_;
};

// A fresh directory under the system's temporary directory, removed at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string path(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace testing_support
