// What the kernel counts for a running process, read from /proc.
#pragma once

#include <sys/types.h>

#include <chrono>

namespace bench {

struct ProcessSample {
  // Time on a processor, user and system together, over all threads: the
  // scheduler's own nanosecond count, where /proc/<pid>/stat rounds to ticks.
  std::chrono::nanoseconds cpu{0};
  long long voluntary_switches = 0;  // over all threads
  long long peak_rss_kib = 0;        // VmHWM: of this program image, not of the fork before it
};

// Throws std::runtime_error when the process is gone.
ProcessSample probe_process(pid_t pid);

}  // namespace bench
