#include "process_probe.hpp"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "read_file.hpp"

namespace testing_support {
namespace {

std::filesystem::path proc_entry(pid_t pid) {
  return std::filesystem::path("/proc") / std::to_string(pid);
}

// The number after `key` in a /proc status file, if it has that line.
std::optional<long long> status_field(const std::filesystem::path& status, std::string_view key) {
  std::ifstream in(status);
  std::string line;
  while (std::getline(in, line)) {
    if (line.starts_with(key) && line.size() > key.size() && line[key.size()] == ':') {
      return std::stoll(line.substr(key.size() + 1));
    }
  }
  return std::nullopt;
}

std::chrono::nanoseconds task_cpu(const std::filesystem::path& task) {
  std::ifstream in(task / "schedstat");
  long long on_cpu = 0;
  in >> on_cpu;
  return std::chrono::nanoseconds(on_cpu);
}

}  // namespace

std::optional<ProcessStat> process_stat(pid_t pid) {
  const std::string stat = read_file((proc_entry(pid) / "stat").string());
  // The command name is in parentheses and may hold spaces itself.
  const std::size_t name_end = stat.rfind(')');
  if (name_end == std::string::npos) {
    return std::nullopt;
  }
  std::istringstream fields(stat.substr(name_end + 1));
  std::vector<std::string> after_name;
  for (std::string field; fields >> field;) {
    after_name.push_back(field);
  }
  // From the state (field 3) on: utime and stime are fields 14 and 15.
  if (after_name.size() < 13) {
    return std::nullopt;
  }
  const double ticks = std::stod(after_name[11]) + std::stod(after_name[12]);
  return ProcessStat{after_name[0][0],
                     std::chrono::duration<double>(ticks / double(::sysconf(_SC_CLK_TCK)))};
}

std::optional<std::uint64_t> peak_memory(pid_t pid) {
  const std::optional<long long> kib = status_field(proc_entry(pid) / "status", "VmHWM");
  if (!kib) {
    return std::nullopt;
  }
  return static_cast<std::uint64_t>(*kib) * 1024;
}

ProcessSample probe_process(pid_t pid) {
  const std::filesystem::path root = proc_entry(pid);
  std::error_code error;
  std::filesystem::directory_iterator tasks(root / "task", error);
  if (error) {
    throw std::runtime_error("no /proc entry for process " + std::to_string(pid));
  }
  ProcessSample sample;
  for (const std::filesystem::directory_entry& task : tasks) {
    sample.cpu += task_cpu(task.path());
    sample.voluntary_switches +=
        status_field(task.path() / "status", "voluntary_ctxt_switches").value_or(0);
  }
  sample.peak_rss_kib = status_field(root / "status", "VmHWM").value_or(0);
  return sample;
}

}  // namespace testing_support
