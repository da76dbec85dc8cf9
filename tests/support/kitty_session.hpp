// Drives a real kitty terminal for end-to-end tests: a private X server
// (Xvfb) to show it, xdotool to type into it as a keyboard would, and
// kitty's remote control to read the screen back.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "tmux_session.hpp"

namespace testing_support {

class Spawned;

// A process started for a test in a process group of its own, with its
// output in a log file. Ending the owner ends the group and reaps it.
class OwnedProcess {
 public:
  struct Launch {
    std::vector<std::string> argv;
    std::vector<std::string> environment;  // NAME=value, the whole of it
    std::string log_path;                  // standard output and error
    int inherited_fd = -1;                 // kept open across exec, if set
  };

  explicit OwnedProcess(const Launch& launch);
  ~OwnedProcess();
  OwnedProcess(const OwnedProcess&) = delete;
  OwnedProcess& operator=(const OwnedProcess&) = delete;

  pid_t pid() const;
  // Reaps the process if it has ended; whether it still runs.
  bool running() const;
  // "running", "exited with 1", "killed by signal 15", for a failure message.
  std::string state() const;

 private:
  std::unique_ptr<Spawned> child_;
};

// Xvfb on the first free display from :90 on.
class XServer {
 public:
  // Off, a key held down is one press and one release, as the X server has
  // no auto-repeat; on, it repeats after REPEAT_DELAY every REPEAT_INTERVAL.
  static constexpr std::chrono::milliseconds REPEAT_DELAY{300};
  static constexpr std::chrono::milliseconds REPEAT_INTERVAL{50};

  XServer(bool auto_repeat, const std::string& log_path);
  // ":90" and the like.
  const std::string& display() const { return display_; }
  const OwnedProcess& process() const { return *process_; }

 private:
  std::string display_;
  std::unique_ptr<OwnedProcess> process_;
};

struct KittyOptions {
  bool auto_repeat = false;
};

class KittySession {
 public:
  static constexpr int WIDTH = 80;
  static constexpr int HEIGHT = 24;

  // Starts an X server and kitty in it, with no user configuration or
  // shortcuts, one window of WIDTH x HEIGHT cells running `command` under
  // /bin/sh, and that window focused. Throws when either cannot start.
  explicit KittySession(const std::string& command, KittyOptions options = {});

  // Key names as xdotool takes them: "w", "shift+q", "ctrl+shift+c",
  // "Escape", "Up", "Caps_Lock". `key` presses and releases each in turn.
  void key(const std::string& keys) const;
  void key_down(const std::string& key) const;
  void key_up(const std::string& key) const;

  // The window's rows as text, as kitty holds them now.
  std::vector<std::string> screen() const;
  bool wait_for_text(const std::string& text,
                     std::chrono::milliseconds limit = std::chrono::seconds(10)) const;

  // Whether kitty has passed the program a key event of `action` ("PRESS",
  // "REPEAT" or "RELEASE") for the key that types `key`, encoded in the
  // keyboard protocol. To a program that did not ask for the protocol,
  // kitty sends repeats as plain presses and drops releases.
  bool sent_key_event(char32_t key, const std::string& action) const;

  // What kitty and the X server wrote, for a failure message.
  std::string logs() const;

 private:
  std::string xdotool(const std::string& arguments) const;

  // Declared in the order they start: they end in reverse, kitty before
  // its X server and both before their files go.
  TempDir dir_;
  XServer x_server_;
  std::unique_ptr<OwnedProcess> kitty_;
  std::string socket_;
};

}  // namespace testing_support
