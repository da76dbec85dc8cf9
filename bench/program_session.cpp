#include "program_session.hpp"

#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <stdexcept>

#include "frame_split.hpp"

namespace bench {
namespace {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;

// Far longer than any frame may take; past it the program has stopped drawing.
constexpr milliseconds FRAME_TIMEOUT{2000};
constexpr milliseconds EXIT_TIMEOUT{5000};

class SessionDriver {
 public:
  SessionDriver(PtyChild& child, const std::vector<Step>& steps, SessionResult& result, pid_t floor)
      : child_(child), steps_(steps), result_(result), floor_(floor) {}

  void play() {
    while (next_ < steps_.size()) {
      if (key_due_now()) {
        sent_at_ = Clock::now();
        type(steps_[next_].key);
        key_sent_ = true;
        continue;
      }
      if (!read_output(wait_limit())) {
        throw std::runtime_error("the program ended or stopped drawing at step " +
                                 std::to_string(next_));
      }
    }
  }

  void quit() {
    type(QUIT_KEY);
    const Clock::time_point limit = Clock::now() + EXIT_TIMEOUT;
    while (read_output(limit)) {
    }
    if (!closed_) {
      throw std::runtime_error("the program did not end after the quit key");
    }
  }

 private:
  bool waiting_to_type() const {
    return seen_first_ && next_ < steps_.size() && steps_[next_].action == Action::Key &&
           !key_sent_;
  }

  Clock::time_point send_time() const { return last_tick_at_ + key_offset(keys_since_tick_); }

  bool key_due_now() const { return waiting_to_type() && Clock::now() >= send_time(); }

  Clock::time_point wait_limit() const {
    return waiting_to_type() ? send_time() : Clock::now() + FRAME_TIMEOUT;
  }

  void type(char key) const {
    while (::write(child_.master(), &key, 1) != 1) {
      if (errno != EINTR) {
        throw std::runtime_error("typing into the pseudo-terminal failed");
      }
    }
  }

  // Reads what is there by `limit`; false when nothing came by a limit that
  // was not a send time, or the program closed its terminal.
  bool read_output(Clock::time_point limit) {
    const bool timed_send = waiting_to_type();
    const nanoseconds left = std::max(nanoseconds(0), limit - Clock::now());
    const timespec timeout{static_cast<time_t>(left.count() / 1'000'000'000),
                           static_cast<long>(left.count() % 1'000'000'000)};
    pollfd entry{child_.master(), POLLIN, 0};
    const int ready = ::ppoll(&entry, 1, &timeout, nullptr);
    if (ready == 0 || (ready < 0 && errno == EINTR)) {
      return timed_send;
    }
    const ssize_t n = ::read(child_.master(), chunk_.data(), chunk_.size());
    if (n <= 0) {
      if (n < 0 && errno == EINTR) {
        return true;
      }
      closed_ = true;  // EIO: every descriptor of the slave side is closed
      return false;
    }
    const Clock::time_point at = Clock::now();
    result_.output.append(chunk_.data(), static_cast<std::size_t>(n));
    for (const std::size_t end : ends_.find(result_.output)) {
      on_frame(end, at);
    }
    return true;
  }

  void on_frame(std::size_t end, Clock::time_point at) {
    if (!seen_first_) {
      seen_first_ = true;
      result_.frames.push_back({end, at, FrameKind::First, std::nullopt});
      last_tick_at_ = at;
      return;
    }
    if (next_ >= steps_.size()) {
      return;  // after the script: nothing more is expected before the quit
    }
    const Step& step = steps_[next_];
    if (waiting_to_type()) {
      ++result_.out_of_script;
      result_.frames.push_back({end, at, last_tick_kind_, std::nullopt});
      result_.played.push_back({Action::Tick, 0, last_tick_kind_, Sample::None});
      last_tick_at_ = at;
      keys_since_tick_ = 0;
      return;
    }
    std::optional<Clock::duration> latency;
    if (step.action == Action::Key) {
      latency = at - sent_at_;
      ++keys_since_tick_;
    } else {
      last_tick_at_ = at;
      last_tick_kind_ = step.kind;
      keys_since_tick_ = 0;
    }
    result_.frames.push_back({end, at, step.kind, latency});
    result_.played.push_back(step);
    if (step.sample != Sample::None) {
      result_.samples[step.sample] = {testing_support::probe_process(child_.pid()), at};
      if (floor_ > 0) {
        result_.floor_samples[step.sample] = {testing_support::probe_process(floor_), at};
      }
    }
    key_sent_ = false;
    ++next_;
  }

  PtyChild& child_;
  const std::vector<Step>& steps_;
  SessionResult& result_;
  pid_t floor_;
  FrameEndFinder ends_;
  std::array<char, 1 << 16> chunk_{};
  std::size_t next_ = 0;
  bool seen_first_ = false;
  bool key_sent_ = false;
  bool closed_ = false;
  int keys_since_tick_ = 0;
  Clock::time_point sent_at_;
  Clock::time_point last_tick_at_;
  FrameKind last_tick_kind_ = FrameKind::Play;
};

}  // namespace

SessionResult run_program_session(const std::string& binary, tui::Size size,
                                  const std::vector<Step>& steps, pid_t floor) {
  SessionResult result;
  PtyChild child(binary, size);
  result.exec_at = child.exec_at();
  SessionDriver driver(child, steps, result, floor);
  driver.play();
  result.before_quit = testing_support::probe_process(child.pid());
  driver.quit();
  result.exit = child.wait();
  return result;
}

}  // namespace bench
