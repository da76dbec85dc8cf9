#include "process_probe.hpp"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace bench {
namespace {

// The number after `key` in a /proc status file, or 0 without that line.
long long status_field(const std::filesystem::path& status, std::string_view key) {
  std::ifstream in(status);
  std::string line;
  while (std::getline(in, line)) {
    if (line.starts_with(key) && line.size() > key.size() && line[key.size()] == ':') {
      return std::stoll(line.substr(key.size() + 1));
    }
  }
  return 0;
}

std::chrono::nanoseconds task_cpu(const std::filesystem::path& task) {
  std::ifstream in(task / "schedstat");
  long long on_cpu = 0;
  in >> on_cpu;
  return std::chrono::nanoseconds(on_cpu);
}

}  // namespace

ProcessSample probe_process(pid_t pid) {
  const std::filesystem::path root = std::filesystem::path("/proc") / std::to_string(pid);
  std::error_code error;
  std::filesystem::directory_iterator tasks(root / "task", error);
  if (error) {
    throw std::runtime_error("no /proc entry for process " + std::to_string(pid));
  }
  ProcessSample sample;
  for (const std::filesystem::directory_entry& task : tasks) {
    sample.cpu += task_cpu(task.path());
    sample.voluntary_switches += status_field(task.path() / "status", "voluntary_ctxt_switches");
  }
  sample.peak_rss_kib = status_field(root / "status", "VmHWM");
  return sample;
}

}  // namespace bench
