// Wakes a loop that waits for something a completion handler produces.
//
// Asio has no condition variable; a timer that never expires serves as one:
// a wait on it ends only when it is cancelled, by notify().
#pragma once

#include <asio/any_io_executor.hpp>
#include <asio/steady_timer.hpp>

#include "tui/terminal/wake_up.hpp"

namespace tui::detail {

class Notifier {
 public:
  explicit Notifier(const asio::any_io_executor& executor)
      : timer_(executor, asio::steady_timer::time_point::max()) {}

  // Ends every wait in progress, so each one looks at its condition again.
  void notify() { timer_.cancel(); }

  // Ends at the next notify(), or when it is cancelled.
  WakeUp wait() { return timer_.async_wait(asio::experimental::deferred); }

 private:
  asio::steady_timer timer_;
};

}  // namespace tui::detail
