#include "main_loop.hpp"

#include <asio/experimental/deferred.hpp>
#include <asio/experimental/parallel_group.hpp>
#include <asio/steady_timer.hpp>
#include <asio/this_coro.hpp>
#include <asio/use_awaitable.hpp>
#include <optional>
#include <random>
#include <variant>

#include "first_ready.hpp"
#include "input.hpp"
#include "tick_schedule.hpp"
#include "ui.hpp"

namespace {

// Waits until a tick is due or an input item is queued and says which one
// ends the wait; says neither when a signal needs the loop's attention.
// Waiting consumes nothing: the tick is taken and the item popped by the
// caller, so the source that lost keeps what it had.
asio::awaitable<std::optional<Source>> wait_for_first(const TickSchedule& schedule,
                                                      asio::steady_timer& timer,
                                                      tui::EventSource& events,
                                                      tui::Signals& signals, std::mt19937& random) {
  for (;;) {
    // The time is read before the signals are looked at: a stop between
    // the two then shows as a continue, never as a tick the stop made due.
    const TickSchedule::Clock::time_point now = TickSchedule::Clock::now();
    if (signals.pending()) {
      co_return std::nullopt;
    }
    const bool tick_due = schedule.is_due(now);
    if (const auto source = first_ready(tick_due, events.ready(), random)) {
      co_return *source;
    }
    timer.expires_at(schedule.next_due());
    // The first of the three to end cancels the others. Plain operations in
    // a parallel group, rather than coroutines raced with ||, keep this
    // wait, made every turn, cheap.
    co_await asio::experimental::make_parallel_group(timer.async_wait(asio::experimental::deferred),
                                                     events.wait_ready(), signals.wait())
        .async_wait(asio::experimental::wait_for_one(), asio::use_awaitable);
  }
}

}  // namespace

asio::awaitable<RunResult> run(tui::EventSource& events, GameState& state, tui::Terminal& terminal,
                               tui::Signals& signals) {
  RunResult result;
  {
    asio::steady_timer timer(co_await asio::this_coro::executor);
    TickSchedule schedule(TickSchedule::Clock::now(), TICK_PERIOD);
    std::mt19937 random(std::random_device{}());
    while (state.running && !signals.termination()) {
      // The terminal object redraws in full by itself after a continue.
      if (signals.take_continued()) {
        schedule.restart(TickSchedule::Clock::now());
      }
      const auto drawn = terminal.draw([&state](tui::Frame& frame) { draw_screen(state, frame); });
      if (!drawn) {
        result = std::unexpected(report::Report(drawn.error()));
        break;
      }
      const std::optional<Source> source =
          co_await wait_for_first(schedule, timer, events, signals, random);
      if (source == Source::Tick) {
        schedule.take();
        state.update();
      } else if (source == Source::Input) {
        const tui::InputItem item = *events.try_next();
        // Nothing can reach the game once the terminal has gone away.
        if (std::holds_alternative<tui::EndOfInput>(item)) {
          result = std::unexpected(report::Report("the terminal's input ended"));
          break;
        }
        handle_input_item(state, item);
      }
    }
  }  // the tick timer is released here
  terminal.close();
  events.close();
  co_return result;
}
