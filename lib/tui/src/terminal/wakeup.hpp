// Wakes a coroutine that waits for something a completion handler produces.
//
// Asio has no condition variable for coroutines; a timer that never expires
// serves as one: a wait on it ends only when it is cancelled, by notify().
#pragma once

#include <asio/any_io_executor.hpp>
#include <asio/awaitable.hpp>
#include <asio/redirect_error.hpp>
#include <asio/steady_timer.hpp>
#include <asio/this_coro.hpp>
#include <asio/use_awaitable.hpp>
#include <concepts>

namespace tui::detail {

class Wakeup {
 public:
  explicit Wakeup(const asio::any_io_executor& executor)
      : timer_(executor, asio::steady_timer::time_point::max()) {}

  // Ends every wait in progress, so each one looks at its condition again.
  void notify() { timer_.cancel(); }

  // Completes once `done()` holds, or when the waiting coroutine is
  // cancelled (for example because another source won a race with it).
  template <std::predicate Done>
  asio::awaitable<void> wait_until(Done done) {
    while (!done()) {
      std::error_code ignored;
      co_await timer_.async_wait(asio::redirect_error(asio::use_awaitable, ignored));
      const asio::cancellation_state state = co_await asio::this_coro::cancellation_state;
      if (state.cancelled() != asio::cancellation_type::none) {
        co_return;
      }
    }
  }

 private:
  asio::steady_timer timer_;
};

}  // namespace tui::detail
