#include "ssh_server.hpp"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "child_signals.hpp"
#include "process_probe.hpp"

namespace testing_support {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// The comment serve-ssh gives the accounts it makes.
constexpr const char* ACCOUNT_MARK = "Rallix player (made by serve-ssh)";

sockaddr_in loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

// Whether an SSH server answers on the port with its version line.
bool answers(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_in address = loopback(port);
  bool ssh = false;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
    pollfd watch{fd, POLLIN, 0};
    std::array<char, 8> banner{};
    ssh = ::poll(&watch, 1, 2000) > 0 && ::read(fd, banner.data(), banner.size()) == 8 &&
          std::string_view(banner.data(), banner.size()) == "SSH-2.0-";
  }
  ::close(fd);
  return ssh;
}

std::optional<int> wait_child(pid_t pid, std::chrono::milliseconds limit) {
  const auto give_up = Clock::now() + limit;
  for (;;) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      return status;
    }
    if (Clock::now() >= give_up) {
      return std::nullopt;
    }
    std::this_thread::sleep_for(20ms);
  }
}

}  // namespace

SshServer::SshServer(std::string account) : account_(std::move(account)) {
  // The account's home lies inside: every user must be able to reach it.
  ::chmod(dir_.path("").c_str(), 0755);
}

SshServer::~SshServer() {
  if (pid_ > 0) {
    stop();
  }
  const passwd* entry = ::getpwnam(account_.c_str());
  if (entry != nullptr && std::string_view(entry->pw_gecos) == ACCOUNT_MARK) {
    try {
      run_command("userdel " + shell_quote(account_));
    } catch (const std::exception&) {
      // Nothing more to do from a destructor; the next run's account has another name.
    }
  }
}

void SshServer::start(const ServerSettings& settings, std::chrono::milliseconds limit) {
  if (port_ == 0) {
    port_ = free_port();
  }
  const std::string script = std::string(RALLIX_SOURCE_DIR) + "/scripts/serve-ssh";
  const std::vector<std::string> argv{script,
                                      "--listen",
                                      "127.0.0.1",
                                      "--port",
                                      std::to_string(port_),
                                      "--state-dir",
                                      state_dir(),
                                      "--user",
                                      account_,
                                      "--max-players",
                                      std::to_string(settings.max_players),
                                      "--max-per-address",
                                      std::to_string(settings.max_per_address),
                                      "--max-minutes",
                                      settings.max_minutes};
  std::vector<char*> arguments;
  for (const std::string& argument : argv) {
    arguments.push_back(const_cast<char*>(argument.c_str()));
  }
  arguments.push_back(nullptr);
  const std::string log_path = dir_.path("log");
  pid_ = ::fork();
  if (pid_ < 0) {
    throw std::runtime_error("fork failed");
  }
  if (pid_ == 0) {
    reset_signals_for_exec();
    // A test that dies does not leave the server behind.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int null = ::open("/dev/null", O_RDONLY);
    const int log = ::open(log_path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (null < 0 || log < 0 || ::dup2(null, STDIN_FILENO) < 0 || ::dup2(log, STDOUT_FILENO) < 0 ||
        ::dup2(log, STDERR_FILENO) < 0) {
      ::_exit(126);
    }
    ::execv(arguments[0], arguments.data());
    ::_exit(127);
  }
  const auto give_up = Clock::now() + limit;
  while (!answers(port_)) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      throw std::runtime_error("serve-ssh ended before it served:\n" + log());
    }
    if (Clock::now() >= give_up) {
      throw std::runtime_error("serve-ssh did not answer in time:\n" + log());
    }
    std::this_thread::sleep_for(100ms);
  }
}

std::optional<int> SshServer::stop(std::chrono::milliseconds limit) {
  if (pid_ <= 0) {
    return std::nullopt;
  }
  ::kill(pid_, SIGTERM);
  std::optional<int> status = wait_child(pid_, limit);
  if (!status) {
    ::kill(pid_, SIGKILL);
    wait_child(pid_, 10s);
  }
  pid_ = -1;
  return status;
}

uid_t SshServer::account_uid() const {
  const passwd* entry = ::getpwnam(account_.c_str());
  return entry != nullptr ? entry->pw_uid : static_cast<uid_t>(-1);
}

int free_port() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = loopback(0);
  socklen_t size = sizeof address;
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    ::close(fd);
    throw std::runtime_error("no free port");
  }
  ::close(fd);
  return ntohs(address.sin_port);
}

std::vector<std::string> client_options() {
  return {"-F", "/dev/null",
          "-o", "StrictHostKeyChecking=no",
          "-o", "UserKnownHostsFile=/dev/null",
          "-o", "GlobalKnownHostsFile=/dev/null",
          "-o", "LogLevel=ERROR",
          "-o", "BatchMode=yes",
          "-o", "IdentitiesOnly=yes",
          "-o", "IdentityFile=none",
          "-o", "IdentityAgent=none",
          "-o", "ConnectTimeout=10"};
}

std::vector<std::string> ssh_command_as(const std::string& account, const SshServer& server,
                                        const std::vector<std::string>& arguments,
                                        const std::vector<std::string>& command,
                                        const std::vector<std::string>& environment) {
  std::vector<std::string> argv{"/usr/bin/env", "TERM=xterm-256color"};
  argv.insert(argv.end(), environment.begin(), environment.end());
  argv.emplace_back("/usr/bin/ssh");
  const std::vector<std::string> options = client_options();
  argv.insert(argv.end(), options.begin(), options.end());
  argv.insert(argv.end(), {"-p", std::to_string(server.port())});
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  argv.push_back(account + "@127.0.0.1");
  argv.insert(argv.end(), command.begin(), command.end());
  return argv;
}

std::vector<std::string> ssh_command(const SshServer& server,
                                     const std::vector<std::string>& arguments,
                                     const std::vector<std::string>& command) {
  return ssh_command_as(server.account(), server, arguments, command);
}

std::vector<pid_t> processes_named(const std::string& name, uid_t uid) {
  std::vector<pid_t> found;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string pid = entry.path().filename().string();
    if (pid.find_first_not_of("0123456789") != std::string::npos) {
      continue;
    }
    struct stat info {};
    const std::optional<ProcessStat> stat = process_stat(std::stoi(pid));
    if (!stat || stat->state == 'Z' || ::stat(entry.path().c_str(), &info) != 0) {
      continue;
    }
    std::string comm = read_file(entry.path().string() + "/comm");
    if (!comm.empty() && comm.back() == '\n') {
      comm.pop_back();
    }
    if (comm == name && info.st_uid == uid) {
      found.push_back(std::stoi(pid));
    }
  }
  return found;
}

std::vector<std::string> process_environment(pid_t pid) {
  const std::string all = read_file("/proc/" + std::to_string(pid) + "/environ");
  std::vector<std::string> entries;
  for (std::size_t start = 0; start < all.size();) {
    const std::size_t end = all.find('\0', start);
    entries.push_back(all.substr(start, end - start));
    start = end == std::string::npos ? all.size() : end + 1;
  }
  return entries;
}

pid_t wait_for_new_process(const std::function<std::vector<pid_t>()>& find,
                           const std::vector<pid_t>& before, std::chrono::milliseconds limit) {
  const auto give_up = Clock::now() + limit;
  do {
    for (const pid_t pid : find()) {
      if (std::find(before.begin(), before.end(), pid) == before.end()) {
        return pid;
      }
    }
    std::this_thread::sleep_for(20ms);
  } while (Clock::now() < give_up);
  return -1;
}

bool wait_process_gone(pid_t pid, std::chrono::milliseconds limit) {
  const auto give_up = Clock::now() + limit;
  for (;;) {
    const std::optional<ProcessStat> stat = process_stat(pid);
    if (!stat || stat->state == 'Z') {
      return true;
    }
    if (Clock::now() >= give_up) {
      return false;
    }
    std::this_thread::sleep_for(20ms);
  }
}

}  // namespace testing_support
