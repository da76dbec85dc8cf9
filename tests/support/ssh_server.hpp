// The hosting server for end-to-end tests: scripts/serve-ssh on the
// loopback address at a free port, with a state directory and a game
// account of its own that go away with it, and the real ssh clients that
// play on it, each on a pseudo-terminal of its own.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "pty_process.hpp"
#include "tmux_session.hpp"

namespace testing_support {

struct ServerSettings {
  unsigned max_players = 4;
  unsigned max_per_address = 3;
  std::string max_minutes = "60";
};

class SshServer {
 public:
  // Makes the state directory; `account` is the game account's name, made by
  // the first start and removed with the server.
  explicit SshServer(std::string account);
  // Stops a server still running and removes the account.
  ~SshServer();
  SshServer(const SshServer&) = delete;
  SshServer& operator=(const SshServer&) = delete;

  // Starts serve-ssh and waits until sshd answers; throws with its log if it
  // ends first or does not answer within `limit`.
  void start(const ServerSettings& settings = {},
             std::chrono::milliseconds limit = std::chrono::minutes(3));
  // Sends SIGTERM and waits for serve-ssh to end: its raw wait status, or
  // nothing when it is still running after `limit`.
  std::optional<int> stop(std::chrono::milliseconds limit = std::chrono::seconds(20));

  int port() const { return port_; }
  const std::string& account() const { return account_; }
  uid_t account_uid() const;
  std::string state_dir() const { return dir_.path("state"); }
  // What serve-ssh and its sshd wrote.
  std::string log() const { return read_file(dir_.path("log")); }

 private:
  TempDir dir_;
  std::string account_;
  int port_ = 0;
  pid_t pid_ = -1;
};

// A TCP port on 127.0.0.1 that nothing listened on a moment ago.
int free_port();

// The options every client of these tests starts with: no configuration
// file, no known hosts, no keys, no agent, no questions.
std::vector<std::string> client_options();

// The command line of a real ssh client for `account` on `server`, run by
// env with `environment` (TERM=xterm-256color unless given), with the
// client options above; `arguments` come before the destination and
// `command` after it.
std::vector<std::string> ssh_command_as(const std::string& account, const SshServer& server,
                                        const std::vector<std::string>& arguments = {"-t"},
                                        const std::vector<std::string>& command = {},
                                        const std::vector<std::string>& environment = {});
std::vector<std::string> ssh_command(const SshServer& server,
                                     const std::vector<std::string>& arguments = {"-t"},
                                     const std::vector<std::string>& command = {});

// The live processes named `name` that run as `uid`.
std::vector<pid_t> processes_named(const std::string& name, uid_t uid);
// The process's environment, one "NAME=value" per entry.
std::vector<std::string> process_environment(pid_t pid);

// Polls `find` until it gives a process that `before` does not list; -1
// when none comes within `limit`.
pid_t wait_for_new_process(const std::function<std::vector<pid_t>()>& find,
                           const std::vector<pid_t>& before,
                           std::chrono::milliseconds limit = std::chrono::seconds(10));
// Whether the process ended (a zombie counts as ended) within `limit`.
bool wait_process_gone(pid_t pid, std::chrono::milliseconds limit);

}  // namespace testing_support
