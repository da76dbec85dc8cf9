#include "budget_rows.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <functional>

namespace bench {
namespace {

// The budgets; a miss fails the benchmark. Times depend on the machine and
// its load, so they are figures to read, set beside what they are measured
// against, and decide nothing.
constexpr double PAUSED_BYTES = 12.0;
constexpr double PEAK_RSS_MIB = 6.0;
constexpr double CURSES_SHARE = 0.52;
constexpr double FULL_REDRAW_FACTOR = 50.0;

// What the game should cost while playing at 80x24, at most, against a
// program that only waits on the same tick and terminal: a goal to read, as
// CPU shares move with the machine's load.
constexpr double PLAYING_FLOOR_GOAL = 1.5;

constexpr double TICK_MS = 50.0;
constexpr double ESC_GRACE_MS = 20.0;  // how long a lone Esc waits for the rest of a sequence

Entry plain(std::string value) {
  return {std::move(value), std::nullopt};
}

Entry at_most(double value, double budget, const char* format) {
  return {fmt::format(fmt::runtime(format), value),
          Verdict{fmt::format("<= {:g}", budget), value <= budget}};
}

Entry below(double value, double budget, const char* format) {
  return {fmt::format(fmt::runtime(format), value),
          Verdict{fmt::format("< {:g}", budget), value < budget}};
}

std::string bytes_summary(const Summary& s) {
  return fmt::format("{:.1f} / {:.0f} / {:.0f}", s.mean, s.median, s.worst);
}

// The worst of the key-to-frame times, and how many keys were timed.
Entry worst_of(const Summary& latencies_ms) {
  return plain(fmt::format("{:.3f} ({} presses)", latencies_ms.worst, latencies_ms.count));
}

using Column = std::function<Entry(const SizeResults&)>;

class RowList {
 public:
  explicit RowList(const std::vector<SizeResults>& results) : results_(results) {}

  void heading(std::string text) { rows_.push_back({std::move(text), {}}); }

  void add(std::string figure, const Column& column) {
    Row row{std::move(figure), {}};
    for (const SizeResults& result : results_) {
      row.entries.push_back(column(result));
    }
    rows_.push_back(std::move(row));
  }

  std::vector<Row> take() { return std::move(rows_); }

 private:
  const std::vector<SizeResults>& results_;
  std::vector<Row> rows_;
};

void add_bytes(RowList& rows) {
  rows.add("frames drawn",
           [](const SizeResults& r) { return plain(fmt::format("{}", r.program.frames)); });
  rows.add("playing, ticks: bytes/frame, mean", [](const SizeResults& r) {
    return at_most(r.program.tick_bytes.mean, r.budgets.playing_mean_bytes, "{:.1f}");
  });
  rows.add("playing, ticks: bytes/frame, 99th percentile", [](const SizeResults& r) {
    return plain(fmt::format("{:.0f}", r.program.tick_bytes.p99));
  });
  rows.add("playing, ticks: mean against ncurses' mean", [](const SizeResults& r) {
    const double share = r.program.tick_bytes.mean / r.curses.tick_bytes.mean;
    Entry entry = plain(fmt::format("{:.3f}x", share));
    if (r.budgets.against_baselines) {
      entry.verdict = Verdict{fmt::format("<= {:g}x", CURSES_SHARE), share <= CURSES_SHARE};
    }
    return entry;
  });
  rows.add("playing, ticks: times fewer than full redraw", [](const SizeResults& r) {
    const double factor = r.full_redraw.tick_bytes.mean / r.program.tick_bytes.mean;
    Entry entry = plain(fmt::format("{:.0f}x", factor));
    if (r.budgets.against_baselines) {
      entry.verdict =
          Verdict{fmt::format(">= {:g}x", FULL_REDRAW_FACTOR), factor >= FULL_REDRAW_FACTOR};
    }
    return entry;
  });
  rows.add("playing, paddle keys: bytes/frame, mean / p99", [](const SizeResults& r) {
    return plain(fmt::format("{:.1f} / {:.0f}", r.program.key_bytes.mean, r.program.key_bytes.p99));
  });
  rows.add("playing, ticks and keys: bytes/frame, mean / p99", [](const SizeResults& r) {
    return plain(
        fmt::format("{:.1f} / {:.0f}", r.program.playing_bytes.mean, r.program.playing_bytes.p99));
  });
  rows.add("paused: bytes per unchanged frame", [](const SizeResults& r) {
    return at_most(r.program.paused_bytes.mean, PAUSED_BYTES, "{:.1f}");
  });
  rows.add("first / pause / resume frame bytes", [](const SizeResults& r) {
    return plain(fmt::format("{:.0f} / {:.0f} / {:.0f}", r.program.first_frame_bytes,
                             r.program.pause_frame_bytes, r.program.resume_frame_bytes));
  });
}

void add_costs(RowList& rows) {
  rows.add("CPU while playing, % of one core", [](const SizeResults& r) {
    return plain(fmt::format("{:.3f}", 100.0 * r.program.playing_cpu_share));
  });
  rows.add("CPU while paused, % of one core", [](const SizeResults& r) {
    return plain(fmt::format("{:.3f}", 100.0 * r.program.paused_cpu_share));
  });
  rows.add("floor's CPU: playing / paused stretch, % of one core", [](const SizeResults& r) {
    return plain(fmt::format("{:.3f} / {:.3f}", 100.0 * r.program.floor_playing_cpu_share,
                             100.0 * r.program.floor_paused_cpu_share));
  });
  rows.add(fmt::format("CPU while playing against the floor (goal {:g}x)", PLAYING_FLOOR_GOAL),
           [](const SizeResults& r) {
             return plain(fmt::format(
                 "{:.2f}x", r.program.playing_cpu_share / r.program.floor_playing_cpu_share));
           });
  rows.add("CPU while paused against the floor", [](const SizeResults& r) {
    return plain(
        fmt::format("{:.2f}x", r.program.paused_cpu_share / r.program.floor_paused_cpu_share));
  });
  rows.add("CPU over the session, % of one core", [](const SizeResults& r) {
    return plain(fmt::format("{:.3f}", 100.0 * r.program.session_cpu_share));
  });
  rows.add("paused: voluntary context switches per tick", [](const SizeResults& r) {
    return plain(fmt::format("{:.2f}", r.program.paused_switches_per_second * TICK_MS / 1000.0));
  });
  rows.add("peak resident memory, MiB", [](const SizeResults& r) {
    return below(r.program.peak_rss_mib, PEAK_RSS_MIB, "{:.2f}");
  });
  rows.add("exec to first complete frame, ms", [](const SizeResults& r) {
    return plain(fmt::format("{:.2f}", r.program.first_frame_ms));
  });
}

void add_latencies(RowList& rows) {
  rows.add("w/s key to frame, median ms (share of a tick)", [](const SizeResults& r) {
    const double median = r.program.move_latency_ms.median;
    return plain(fmt::format("{:.3f} ({:.3f})", median, median / TICK_MS));
  });
  rows.add("w/s key to frame, worst ms",
           [](const SizeResults& r) { return worst_of(r.program.move_latency_ms); });
  rows.add("Esc key to frame, median ms (times the grace period)", [](const SizeResults& r) {
    const double median = r.program.esc_latency_ms.median;
    return plain(fmt::format("{:.3f} ({:.3f}x)", median, median / ESC_GRACE_MS));
  });
  rows.add("Esc key to frame, median ms: pause / resume", [](const SizeResults& r) {
    return plain(fmt::format("{:.3f} / {:.3f}", r.program.pause_latency_ms.median,
                             r.program.resume_latency_ms.median));
  });
  rows.add("Esc key to frame, worst ms",
           [](const SizeResults& r) { return worst_of(r.program.esc_latency_ms); });
}

void add_checks(RowList& rows) {
  rows.add("frames equal to the in-process draw cycle", [](const SizeResults& r) {
    const bool all = r.program.frames_equal == r.program.frames_compared;
    return Entry{fmt::format("{} of {}", r.program.frames_equal, r.program.frames_compared),
                 Verdict{"all", all}};
  });
  rows.add("frames off the script / exit status", [](const SizeResults& r) {
    return plain(fmt::format("{} / {}", r.program.out_of_script, r.program.exit_status));
  });
}

void add_writer(RowList& rows, const std::string& name, WriterFigures SizeResults::*writer) {
  rows.add(name + ": bytes/frame mean / median / worst",
           [writer](const SizeResults& r) { return plain(bytes_summary((r.*writer).all_bytes)); });
  rows.add(name + ": playing, ticks: bytes/frame, mean", [writer](const SizeResults& r) {
    return plain(fmt::format("{:.1f}", (r.*writer).tick_bytes.mean));
  });
  rows.add(name + ": CPU per frame, us", [writer](const SizeResults& r) {
    return plain(fmt::format("{:.2f}", (r.*writer).cpu_us_per_frame));
  });
}

}  // namespace

std::vector<Row> budget_rows(const std::vector<SizeResults>& results) {
  RowList rows(results);
  rows.heading("The program on a pseudo-terminal");
  add_bytes(rows);
  add_costs(rows);
  add_latencies(rows);
  add_checks(rows);
  rows.heading("The same frames in-process: (a) draw cycle, (b) full redraw, (c) ncurses");
  add_writer(rows, "(a)", &SizeResults::draw_cycle);
  add_writer(rows, "(b)", &SizeResults::full_redraw);
  add_writer(rows, "(c)", &SizeResults::curses);
  return rows.take();
}

bool budgets_kept(const std::vector<Row>& rows) {
  return std::ranges::all_of(rows, [](const Row& row) {
    return std::ranges::all_of(
        row.entries, [](const Entry& entry) { return !entry.verdict || entry.verdict->pass; });
  });
}

}  // namespace bench
