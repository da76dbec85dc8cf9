// The game's fixed tick, anchored at the moment the schedule is made.
//
// Tick k is due at t0 + k * period. A tick taken late moves no later one, so
// after a stall every overdue tick is due at once and the loop takes them
// one per turn until it has caught up; none is skipped or merged. A stop of
// the whole process is no stall: no one saw the game meanwhile, so the
// schedule starts afresh when it continues, and the missed ticks are dropped.
#pragma once

#include <chrono>
#include <cstdint>

inline constexpr std::chrono::milliseconds TICK_PERIOD{50};

class TickSchedule {
 public:
  using Clock = std::chrono::steady_clock;

  TickSchedule(Clock::time_point t0, Clock::duration period) : next_due_(t0), period_(period) {}

  // When the next tick not yet taken is due; tick 0 is due at t0 itself.
  Clock::time_point next_due() const { return next_due_; }
  bool is_due(Clock::time_point now) const { return now >= next_due_; }
  void take() {
    next_due_ += period_;
    ++taken_;
  }
  std::uint64_t taken() const { return taken_; }

  // Anchors the schedule anew after a stop: the next tick is due one period
  // after `now`, and none of the ticks due before then is taken.
  void restart(Clock::time_point now) { next_due_ = now + period_; }

 private:
  Clock::time_point next_due_;
  Clock::duration period_;
  std::uint64_t taken_ = 0;
};
