// Ctrl+C and Ctrl+Break that come as console control events rather than as
// keys: sent by another process, or Ctrl+Break typed (raw input makes only
// Ctrl+C a key). The open event source takes them as the Ctrl+C key, so
// that they end the game the way the key does.
//
// Windows runs control handlers on a thread of its own, so the route is
// process-wide and handed over under a lock; the key itself is posted to the
// event source's executor and queued on the reactor's thread.
#pragma once

#include <asio/any_io_executor.hpp>
#include <memory>

#include "input/input_queue.hpp"

namespace tui::detail {

// From now on a break goes into `queue`.
void route_breaks_to(const asio::any_io_executor& executor, std::weak_ptr<InputQueue> queue);

// Ends the route into `queue`, if it is the current one.
void stop_routing_breaks(const InputQueue* queue);

// Posts the Ctrl+C key to the routed queue; false when no event source is open.
bool route_break();

}  // namespace tui::detail
