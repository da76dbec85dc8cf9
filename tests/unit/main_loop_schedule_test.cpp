// The tick schedule and the two-source choice of the main loop, on a
// simulated clock: nothing here sleeps.
#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <vector>

#include "first_ready.hpp"
#include "tick_schedule.hpp"

namespace {

using namespace std::chrono_literals;
using Clock = TickSchedule::Clock;

const Clock::time_point t0 = Clock::time_point{} + 1h;

TEST(TickSchedule, TickZeroIsDueAtOnceAndLaterTicksStayAnchored) {
  TickSchedule schedule(t0, TICK_PERIOD);
  EXPECT_TRUE(schedule.is_due(t0));
  schedule.take();
  EXPECT_FALSE(schedule.is_due(t0 + 49ms));
  EXPECT_TRUE(schedule.is_due(t0 + 50ms));
  // Taken late, at 70 ms: the next one is still due at 100 ms, not 120 ms.
  schedule.take();
  EXPECT_EQ(schedule.next_due(), t0 + 100ms);
}

TEST(TickSchedule, AfterAStallOverdueTicksAreTakenOnePerTurnUntilCaughtUp) {
  TickSchedule schedule(t0, TICK_PERIOD);
  schedule.take();  // tick 0, at once
  const Clock::time_point after_stall = t0 + 210ms;
  int burst = 0;
  while (schedule.is_due(after_stall)) {
    schedule.take();
    ++burst;
  }
  EXPECT_EQ(burst, 4) << "ticks 1 to 4 were overdue";
  EXPECT_EQ(schedule.next_due(), t0 + 250ms);
}

// The process was stopped from 60 ms to 1030 ms: no one saw those ticks.
TEST(TickSchedule, AfterAStopItStartsAfreshOnePeriodLaterAndTakesNoMissedTick) {
  TickSchedule schedule(t0, TICK_PERIOD);
  schedule.take();  // tick 0
  schedule.take();  // tick 1, at 50 ms
  const Clock::time_point continued = t0 + 1030ms;
  schedule.restart(continued);
  EXPECT_FALSE(schedule.is_due(continued));
  EXPECT_FALSE(schedule.is_due(continued + 49ms));
  EXPECT_TRUE(schedule.is_due(continued + 50ms));
  schedule.take();
  EXPECT_EQ(schedule.next_due(), continued + 100ms);
  EXPECT_EQ(schedule.taken(), 3u);
}

// A stall is no stop: the new anchor holds, and every overdue tick is taken.
TEST(TickSchedule, AStallAfterAStopStillCatchesUpOneTickPerTurnAndSkipsNone) {
  TickSchedule schedule(t0, TICK_PERIOD);
  schedule.take();
  const Clock::time_point continued = t0 + 700ms;
  schedule.restart(continued);
  const Clock::time_point after_stall = continued + 260ms;
  std::vector<Clock::time_point> taken_due;
  while (schedule.is_due(after_stall)) {
    taken_due.push_back(schedule.next_due());
    schedule.take();
  }
  EXPECT_EQ(taken_due,
            (std::vector<Clock::time_point>{continued + 50ms, continued + 100ms, continued + 150ms,
                                            continued + 200ms, continued + 250ms}));
  EXPECT_EQ(schedule.next_due(), continued + 300ms);
}

TEST(TickSchedule, OneSecondHoldsTwentyOneTicks) {
  TickSchedule schedule(t0, TICK_PERIOD);
  while (schedule.is_due(t0 + 1s)) {
    schedule.take();
  }
  EXPECT_EQ(schedule.taken(), 21u);
}

TEST(FirstReady, NothingWhenNeitherIsReadyAndTheOnlyReadyOneOtherwise) {
  std::mt19937 random(7);
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(first_ready(false, false, random), std::nullopt);
    EXPECT_EQ(first_ready(true, false, random), Source::Tick);
    EXPECT_EQ(first_ready(false, true, random), Source::Input);
  }
}

TEST(FirstReady, BothSourcesWinAboutHalfTheTimeWhenBothAreReady) {
  std::mt19937 random(2026);
  constexpr int turns = 10'000;
  int ticks = 0;
  for (int i = 0; i < turns; ++i) {
    ticks += first_ready(true, true, random) == Source::Tick ? 1 : 0;
  }
  EXPECT_NEAR(ticks, turns / 2, turns / 20);
}

// Turns of the loop with a backlog of overdue ticks and queued keys: every
// tick and every key is handled exactly once, one per turn, whichever wins.
TEST(FirstReady, TheLosingSourceKeepsWhatItHad) {
  std::mt19937 random(99);
  TickSchedule schedule(t0, TICK_PERIOD);
  std::deque<int> keys{1, 2, 3, 4, 5, 6};
  const Clock::time_point now = t0 + 300ms;  // ticks 0 to 6 are due
  std::vector<int> handled_keys;
  int turns = 0;
  while (auto source = first_ready(schedule.is_due(now), !keys.empty(), random)) {
    ++turns;
    if (*source == Source::Tick) {
      schedule.take();
    } else {
      handled_keys.push_back(keys.front());
      keys.pop_front();
    }
  }
  EXPECT_EQ(schedule.taken(), 7u);
  EXPECT_EQ(handled_keys, (std::vector<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(turns, 13);
}

}  // namespace
