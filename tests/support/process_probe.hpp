// What the kernel counts for a process, read from /proc.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>

namespace testing_support {

// A process as /proc shows it, while it exists (a zombie included).
struct ProcessStat {
  char state;                         // R, S, T, Z, ...
  std::chrono::duration<double> cpu;  // user and system time together
};
std::optional<ProcessStat> process_stat(pid_t pid);

// The process's peak resident memory (VmHWM), in bytes.
std::optional<std::uint64_t> peak_memory(pid_t pid);

struct ProcessSample {
  // Time on a processor, user and system together, over all threads: the
  // scheduler's own nanosecond count, where /proc/<pid>/stat rounds to ticks.
  std::chrono::nanoseconds cpu{0};
  long long voluntary_switches = 0;  // over all threads
  long long peak_rss_kib = 0;        // VmHWM: of this program image, not of the fork before it
};

// Throws std::runtime_error when the process is gone.
ProcessSample probe_process(pid_t pid);

}  // namespace testing_support
