// The console's input as a queue of input items, filled on the Asio reactor.
//
// Reading, decoding and the grace period for split sequences all run as
// asynchronous operations on the caller's executor: there is no thread of
// its own, so the items are produced and consumed on the same thread.
#pragma once

#include <asio/any_io_executor.hpp>
#include <memory>
#include <optional>

#include "tui/input/events.hpp"
#include "tui/terminal/console_handle.hpp"
#include "tui/terminal/wake_up.hpp"

namespace tui {

class EventSource {
 public:
  // How many items may wait in the queue; while it is full the source stops
  // reading, so a flood of input waits in the terminal, not in memory. (A
  // read is cut to the room left, so the queue can only pass this by what a
  // sequence held back from the read before decodes to.)
  static constexpr std::size_t MAX_QUEUED = 1024;

  // Starts reading the console's own input, which tui::init has put in raw
  // mode, and watching for window size changes. The terminal's answers to
  // init's queries are acted on here (the keyboard protocol is turned on
  // when the terminal speaks it) and never queued; so is Ctrl+Z, which on
  // POSIX stops the process as a job, as the terminal driver would.
  // Panics with "reader source not set" when there is no input to read.
  static EventSource open(const asio::any_io_executor& executor);
  // The same on `input`, a terminal in raw mode, which stays open when the
  // source is closed.
  static EventSource open(const asio::any_io_executor& executor, ConsoleHandle input);

  EventSource(EventSource&&) noexcept = default;
  EventSource& operator=(EventSource&&) noexcept = default;
  EventSource(const EventSource&) = delete;
  EventSource& operator=(const EventSource&) = delete;
  ~EventSource();

  // True when an item is queued.
  [[nodiscard]] bool ready() const;
  // The oldest queued item, if any.
  std::optional<InputItem> try_next();
  // Ends when an item is queued or the source is closed; look at ready()
  // before waiting, since an item already queued does not end it. Taking
  // nothing from the queue, it can be cancelled without losing an item.
  WakeUp wait_ready();

  // Stops reading and watching; waits for nothing. Items not yet taken are
  // dropped. Closing twice is harmless.
  void close();

 private:
  struct State;
  explicit EventSource(std::shared_ptr<State> state);
  std::shared_ptr<State> state_;
};

}  // namespace tui
