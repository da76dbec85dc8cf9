// The players of the load benchmark: real ssh clients, each on a
// pseudo-terminal of its own, all read by this one process.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

struct SshClient {
  pid_t pid = -1;
  int master = -1;
  bool closed = false;  // its terminal hung up: the client ended
  std::string tail;     // the end of the last read, for a frame mark split across reads
  std::vector<Clock::time_point> frames;  // when each frame's end arrived
  std::uint64_t bytes = 0;
};

class SshClients {
 public:
  // `argv` is the whole ssh command line; each client runs it on an 80x24 window.
  explicit SshClients(std::vector<std::string> argv) : argv_(std::move(argv)) {}
  ~SshClients();
  SshClients(const SshClients&) = delete;
  SshClients& operator=(const SshClients&) = delete;

  // Starts one more client; throws std::runtime_error when it cannot.
  void start();
  // Reads what has come from every client until `until`.
  void pump(Clock::time_point until);
  // Hangs every client up and reaps them, waiting at most a few seconds.
  void stop();

  const std::vector<SshClient>& clients() const { return clients_; }
  // The client processes that still run, for their CPU.
  std::vector<pid_t> running() const;

 private:
  void read_from(SshClient& client);

  std::vector<std::string> argv_;
  std::vector<SshClient> clients_;
};

}  // namespace bench
