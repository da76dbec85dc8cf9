#include "ssh_clients.hpp"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <stdexcept>
#include <string_view>
#include <thread>

#include "frame_split.hpp"

namespace bench {
namespace {

std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> result;
  for (std::string& s : strings) {
    result.push_back(s.data());
  }
  result.push_back(nullptr);
  return result;
}

}  // namespace

SshClients::~SshClients() {
  stop();
}

void SshClients::start() {
  std::vector<std::string> args = argv_;
  std::vector<char*> argv = pointers(args);
  winsize window{24, 80, 0, 0};
  SshClient client;
  client.pid = ::forkpty(&client.master, nullptr, nullptr, &window);
  if (client.pid < 0) {
    throw std::runtime_error("forkpty failed: too many clients for this machine?");
  }
  if (client.pid == 0) {
    ::setenv("TERM", "xterm-256color", 1);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  ::fcntl(client.master, F_SETFL, ::fcntl(client.master, F_GETFL) | O_NONBLOCK);
  clients_.push_back(std::move(client));
}

void SshClients::read_from(SshClient& client) {
  std::array<char, 1 << 14> chunk{};
  for (;;) {
    const ssize_t n = ::read(client.master, chunk.data(), chunk.size());
    if (n > 0) {
      const Clock::time_point at = Clock::now();
      client.bytes += static_cast<std::uint64_t>(n);
      client.tail.append(chunk.data(), static_cast<std::size_t>(n));
      for (std::size_t found = client.tail.find(HIDE_CURSOR); found != std::string::npos;
           found = client.tail.find(HIDE_CURSOR, found + HIDE_CURSOR.size())) {
        client.frames.push_back(at);
      }
      // Keep only what could begin a mark the next read completes.
      const std::size_t keep = std::min(client.tail.size(), HIDE_CURSOR.size() - 1);
      client.tail.erase(0, client.tail.size() - keep);
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
      return;
    }
    client.closed = true;  // EIO: the client has ended and its terminal hung up
    return;
  }
}

void SshClients::pump(Clock::time_point until) {
  std::vector<pollfd> entries;
  std::vector<SshClient*> owners;
  for (;;) {
    entries.clear();
    owners.clear();
    for (SshClient& client : clients_) {
      if (!client.closed) {
        entries.push_back({client.master, POLLIN, 0});
        owners.push_back(&client);
      }
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
    if (left <= 0) {
      return;
    }
    if (entries.empty()) {
      std::this_thread::sleep_until(until);
      return;
    }
    const int ready = ::poll(entries.data(), entries.size(), static_cast<int>(left));
    if (ready < 0 && errno != EINTR) {
      throw std::runtime_error("poll failed");
    }
    for (std::size_t i = 0; ready > 0 && i < entries.size(); ++i) {
      if (entries[i].revents != 0) {
        read_from(*owners[i]);
      }
    }
  }
}

std::vector<pid_t> SshClients::running() const {
  std::vector<pid_t> pids;
  for (const SshClient& client : clients_) {
    if (!client.closed) {
      pids.push_back(client.pid);
    }
  }
  return pids;
}

void SshClients::stop() {
  for (SshClient& client : clients_) {
    if (client.pid > 0) {
      ::kill(client.pid, SIGTERM);
    }
  }
  const Clock::time_point limit = Clock::now() + std::chrono::seconds(5);
  for (SshClient& client : clients_) {
    while (client.pid > 0) {
      const pid_t done = ::waitpid(client.pid, nullptr, Clock::now() < limit ? WNOHANG : 0);
      if (done == client.pid || (done < 0 && errno != EINTR)) {
        client.pid = -1;
      } else if (done == 0) {
        if (Clock::now() >= limit) {
          ::kill(client.pid, SIGKILL);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    }
    if (client.master >= 0) {
      ::close(client.master);
      client.master = -1;
    }
  }
}

}  // namespace bench
