#include "server_sample.hpp"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>

namespace bench {
namespace {

struct ProcessEntry {
  pid_t parent = 0;
  std::string name;
};

// The name and parent from /proc/<pid>/stat; false when it has gone.
bool read_stat(pid_t pid, ProcessEntry& entry) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  if (!std::getline(in, text)) {
    return false;
  }
  const std::size_t open = text.find('(');
  const std::size_t close = text.rfind(')');
  if (open == std::string::npos || close == std::string::npos) {
    return false;
  }
  entry.name = text.substr(open + 1, close - open - 1);
  std::istringstream rest(text.substr(close + 2));
  char state = 0;
  rest >> state >> entry.parent;
  return state != 'Z';
}

// user + system time of every thread, as the scheduler counts it in nanoseconds.
std::int64_t process_cpu(pid_t pid) {
  std::int64_t total = 0;
  std::error_code error;
  const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
  for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
    std::ifstream in(task.path() / "schedstat");
    std::int64_t on_cpu = 0;
    if (in >> on_cpu) {
      total += on_cpu;
    }
  }
  return total;
}

}  // namespace

CpuSample sample_server_cpu(pid_t root) {
  std::map<pid_t, ProcessEntry> table;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) {
      continue;
    }
    ProcessEntry process;
    if (read_stat(std::stoi(name), process)) {
      table[std::stoi(name)] = process;
    }
  }
  CpuSample sample;
  for (const auto& [pid, process] : table) {
    pid_t up = process.parent;
    while (up > 1 && up != root && table.contains(up)) {
      up = table[up].parent;
    }
    if (up == root) {
      sample.by_kind[process.name][pid] = process_cpu(pid);
    }
  }
  return sample;
}

CpuSample sample_cpu(const std::vector<pid_t>& pids, const std::string& kind) {
  CpuSample sample;
  for (const pid_t pid : pids) {
    sample.by_kind[kind][pid] = process_cpu(pid);
  }
  return sample;
}

std::int64_t cpu_between(const CpuSample& from, const CpuSample& to, const std::string& kind) {
  const auto before = from.by_kind.find(kind);
  const auto after = to.by_kind.find(kind);
  if (before == from.by_kind.end() || after == to.by_kind.end()) {
    return 0;
  }
  std::int64_t total = 0;
  for (const auto& [pid, ns] : after->second) {
    if (const auto was = before->second.find(pid); was != before->second.end()) {
      total += ns - was->second;
    }
  }
  return total;
}

std::size_t count_of(const CpuSample& sample, const std::string& kind) {
  const auto found = sample.by_kind.find(kind);
  return found == sample.by_kind.end() ? 0 : found->second.size();
}

std::int64_t mem_available_kib() {
  std::ifstream in("/proc/meminfo");
  std::string key;
  std::int64_t value = 0;
  std::string unit;
  while (in >> key >> value >> unit) {
    if (key == "MemAvailable:") {
      return value;
    }
  }
  return 0;
}

std::map<int, std::uint64_t> tcp_bytes_sent(int port) {
  const std::string command =
      "ss -tinH state established '( sport = :" + std::to_string(port) + " )' 2>/dev/null";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  std::map<int, std::uint64_t> sent;
  if (!pipe) {
    return sent;
  }
  // ss prints each connection's addresses on one line and its details on
  // the next; a detail line has no peer, so the peer of the line before counts.
  static const std::regex peer(R"(^\s*\d+\s+\d+\s+\S+:\d+\s+\S+:(\d+))");
  static const std::regex bytes(R"(bytes_sent:(\d+))");
  std::array<char, 4096> line{};
  int peer_port = -1;
  while (std::fgets(line.data(), line.size(), pipe.get()) != nullptr) {
    const std::string text(line.data());
    std::smatch match;
    if (std::regex_search(text, match, peer)) {
      peer_port = std::stoi(match[1]);
    }
    if (std::regex_search(text, match, bytes) && peer_port >= 0) {
      sent[peer_port] = std::stoull(match[1]);
    }
  }
  return sent;
}

std::string load_average() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

}  // namespace bench
