// What the server side of the load benchmark costs, read from /proc and
// from the kernel's TCP counters at one moment.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace bench {

// Time on a processor by process, for the kinds of process that serve players.
struct CpuSample {
  // pid -> nanoseconds on a processor, for each kind ("rallix", "sshd", ...).
  std::map<std::string, std::map<pid_t, std::int64_t>> by_kind;
};

// Every descendant of `root`, by its command name.
CpuSample sample_server_cpu(pid_t root);
// The same processes given by pid, under one kind.
CpuSample sample_cpu(const std::vector<pid_t>& pids, const std::string& kind);
// Nanoseconds spent between two samples by the processes of `kind` that
// both samples saw.
std::int64_t cpu_between(const CpuSample& from, const CpuSample& to, const std::string& kind);
// How many processes of `kind` a sample saw.
std::size_t count_of(const CpuSample& sample, const std::string& kind);

// MemAvailable from /proc/meminfo, in KiB.
std::int64_t mem_available_kib();

// TCP payload bytes sent so far from local port `port`, by connection
// (the peer's port): what the server sent each player.
std::map<int, std::uint64_t> tcp_bytes_sent(int port);

// The three load averages.
std::string load_average();

}  // namespace bench
