// The hosted load benchmark's players and its figures: N real ssh clients
// connect at a steady rate to a server that scripts/bench --ssh started,
// play for a fixed time, and are hung up; then one table of figures is
// printed. It measures; it tests nothing. scripts/bench --ssh N runs it.
//
//   ssh_load --port P --user NAME --server-pid PID --players N
//            [--rate PER_SECOND] [--play-seconds S] [--cipher NAME]
#include <fmt/format.h>

#include <algorithm>
#include <exception>
#include <fstream>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "figure_table.hpp"
#include "server_sample.hpp"
#include "ssh_clients.hpp"
#include "summary.hpp"

namespace {

using namespace bench;
using std::chrono::duration;
using std::chrono::milliseconds;

// What a server on a 2-core machine should hold with its players elsewhere.
constexpr double P99_BUDGET_MS = 75.0;
constexpr double SERVER_CPU_BUDGET_PERCENT = 0.25;
constexpr double MEMORY_BUDGET_MIB = 6.0;

struct Options {
  int port = 0;
  std::string user;
  pid_t server = 0;
  int players = 0;
  double rate = 20.0;  // connections a second: a burst would meet sshd's MaxStartups
  double play_seconds = 20.0;
  std::string cipher;
};

Options parse(int argc, char** argv) {
  Options options;
  const std::vector<std::string> args(argv + 1, argv + argc);
  for (std::size_t i = 0; i + 1 < args.size(); i += 2) {
    const std::string& key = args[i];
    const std::string& value = args[i + 1];
    if (key == "--port") {
      options.port = std::stoi(value);
    } else if (key == "--user") {
      options.user = value;
    } else if (key == "--server-pid") {
      options.server = std::stoi(value);
    } else if (key == "--players") {
      options.players = std::stoi(value);
    } else if (key == "--rate") {
      options.rate = std::stod(value);
    } else if (key == "--play-seconds") {
      options.play_seconds = std::stod(value);
    } else if (key == "--cipher") {
      options.cipher = value;
    } else {
      throw std::invalid_argument("unknown option " + key);
    }
  }
  if (args.size() % 2 != 0 || options.port <= 0 || options.user.empty() || options.server <= 0 ||
      options.players <= 0 || options.rate <= 0.0 || options.play_seconds <= 0.0) {
    throw std::invalid_argument(
        "usage: ssh_load --port P --user NAME --server-pid PID --players N [--rate R] "
        "[--play-seconds S] [--cipher NAME]");
  }
  return options;
}

std::vector<std::string> ssh_command(const Options& options) {
  std::vector<std::string> argv{"ssh", "-tt", "-F", "/dev/null"};
  for (const char* option :
       {"StrictHostKeyChecking=no", "UserKnownHostsFile=/dev/null",
        "GlobalKnownHostsFile=/dev/null", "LogLevel=ERROR", "BatchMode=yes", "IdentitiesOnly=yes",
        "IdentityFile=none", "IdentityAgent=none", "ConnectTimeout=20"}) {
    argv.insert(argv.end(), {"-o", option});
  }
  if (!options.cipher.empty()) {
    argv.insert(argv.end(), {"-c", options.cipher});
  }
  argv.insert(argv.end(), {"-p", std::to_string(options.port), options.user + "@127.0.0.1"});
  return argv;
}

// Proportional set size of the given processes, in KiB: their share of the
// memory they use, shared pages split among those who share them.
std::int64_t pss_kib(const std::vector<pid_t>& pids) {
  std::int64_t total = 0;
  for (const pid_t pid : pids) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
    std::string line;
    while (std::getline(in, line)) {
      if (line.starts_with("Pss:")) {
        total += std::stoll(line.substr(4));
        break;
      }
    }
  }
  return total;
}

struct Moment {
  Clock::time_point at;
  CpuSample server;
  CpuSample clients;
  std::map<int, std::uint64_t> sent;
  std::string load;
};

Moment take_moment(const Options& options, const SshClients& clients) {
  return {Clock::now(), sample_server_cpu(options.server), sample_cpu(clients.running(), "ssh"),
          tcp_bytes_sent(options.port), load_average()};
}

struct PlayerFrames {
  double fps = 0.0;
  std::vector<double> intervals_ms;
  Summary summary;
};

PlayerFrames frames_between(const SshClient& client, Clock::time_point from, Clock::time_point to,
                            double seconds) {
  PlayerFrames player;
  std::optional<Clock::time_point> last;
  int count = 0;
  for (const Clock::time_point at : client.frames) {
    if (at < from || at > to) {
      continue;
    }
    ++count;
    if (last) {
      player.intervals_ms.push_back(duration<double, std::milli>(at - *last).count());
    }
    last = at;
  }
  player.fps = count / seconds;
  player.summary = summarize(player.intervals_ms);
  return player;
}

Entry plain(std::string value) {
  return {std::move(value), std::nullopt};
}

Entry at_most(double value, double budget, const char* format) {
  return {fmt::format(fmt::runtime(format), value),
          Verdict{fmt::format("<= {:g}", budget), value <= budget}};
}

int run(const Options& options) {
  const std::int64_t memory_before = mem_available_kib();
  const std::string load_before = load_average();
  SshClients clients(ssh_command(options));
  const Clock::time_point start = Clock::now();
  std::cerr << fmt::format("connecting {} players, {:g} a second\n", options.players, options.rate);
  for (int i = 0; i < options.players; ++i) {
    clients.pump(start + duration_cast<Clock::duration>(duration<double>(i / options.rate)));
    clients.start();
  }
  // Time for the last ones to log in and draw their first frames.
  clients.pump(Clock::now() + std::chrono::seconds(3));

  std::cerr << fmt::format("playing {:g} s\n", options.play_seconds);
  const Moment from = take_moment(options, clients);
  clients.pump(from.at + duration_cast<Clock::duration>(duration<double>(options.play_seconds)));
  const std::int64_t memory_during = mem_available_kib();
  const std::int64_t clients_pss = pss_kib(clients.running());
  const Moment to = take_moment(options, clients);
  const double seconds = duration<double>(to.at - from.at).count();

  std::vector<PlayerFrames> players;
  std::vector<double> pooled;
  int refused = 0;
  for (const SshClient& client : clients.clients()) {
    PlayerFrames player = frames_between(client, from.at, to.at, seconds);
    if (player.fps == 0.0) {
      ++refused;  // turned away, or never got as far as a frame
      continue;
    }
    pooled.insert(pooled.end(), player.intervals_ms.begin(), player.intervals_ms.end());
    players.push_back(std::move(player));
  }
  clients.stop();
  if (players.empty()) {
    throw std::runtime_error("no player got a frame: is the server up?");
  }

  const auto served = static_cast<double>(players.size());
  std::vector<double> rates;
  for (const PlayerFrames& player : players) {
    rates.push_back(player.fps);
  }
  const Summary fps = summarize(rates);
  const Summary intervals = summarize(pooled);
  const PlayerFrames& worst = *std::max_element(
      players.begin(), players.end(),
      [](const PlayerFrames& a, const PlayerFrames& b) { return a.summary.p99 < b.summary.p99; });
  const auto share = [&](const Moment& a, const Moment& b, const CpuSample Moment::*where,
                         const std::string& kind) {
    return 100.0 * static_cast<double>(cpu_between(a.*where, b.*where, kind)) / 1e9 / seconds /
           served;
  };
  const double game = share(from, to, &Moment::server, "rallix");
  const double session = share(from, to, &Moment::server, "rallix-session");
  const double sshd = share(from, to, &Moment::server, "sshd");
  const double client_cpu = share(from, to, &Moment::clients, "ssh");
  std::uint64_t sent = 0;
  for (const auto& [peer, bytes] : to.sent) {
    if (const auto was = from.sent.find(peer); was != from.sent.end()) {
      sent += bytes - was->second;
    }
  }
  const double fall_mib = static_cast<double>(memory_before - memory_during) / 1024.0 / served;
  const double clients_mib = static_cast<double>(clients_pss) / 1024.0 / served;

  const std::vector<Row> rows{
      {"players served / asked for",
       {plain(fmt::format("{} / {}", players.size(), options.players))}},
      {"connections refused or never drawn", {plain(fmt::format("{}", refused))}},
      {"frames/s per player: slowest / median",
       {plain(fmt::format("{:.2f} / {:.2f}", *std::min_element(rates.begin(), rates.end()),
                          fps.median))}},
      {"frame interval, pooled: median / p99 ms",
       {at_most(intervals.p99, P99_BUDGET_MS,
                fmt::format("{:.1f} / {{:.1f}}", intervals.median).c_str())}},
      {"frame interval, worst player: median / p99 ms",
       {plain(fmt::format("{:.1f} / {:.1f}", worst.summary.median, worst.summary.p99))}},
      {"CPU per player, % of a core: game", {plain(fmt::format("{:.3f}", game))}},
      {"CPU per player, % of a core: both sshd", {plain(fmt::format("{:.3f}", sshd))}},
      {"CPU per player, % of a core: session program", {plain(fmt::format("{:.4f}", session))}},
      {"CPU per player, % of a core: server side, all",
       {at_most(game + sshd + session, SERVER_CPU_BUDGET_PERCENT, "{:.3f}")}},
      {"CPU per player, % of a core: its ssh client", {plain(fmt::format("{:.3f}", client_cpu))}},
      {"MemAvailable fall per player, MiB (clients too)", {plain(fmt::format("{:.2f}", fall_mib))}},
      {"of which the ssh clients' own (Pss), MiB", {plain(fmt::format("{:.2f}", clients_mib))}},
      {"server side per player, MiB",
       {at_most(fall_mib - clients_mib, MEMORY_BUDGET_MIB, "{:.2f}")}},
      {"bytes/s per player, TCP payload from the server",
       {plain(fmt::format("{:.0f}", static_cast<double>(sent) / seconds / served))}},
      {"play time measured, s", {plain(fmt::format("{:.1f}", seconds))}},
      {"load average: before / start / end of play",
       {plain(fmt::format("{} / {} / {}", load_before, from.load, to.load))}},
  };
  print_table(std::cout, {fmt::format("{} players", options.players)}, rows);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(parse(argc, argv));
  } catch (const std::exception& error) {
    std::cerr << "ssh_load: " << error.what() << '\n';
    return 1;
  }
}
