// The half of the event source that every platform shares: decoding, the
// bounded queue of input items and the wakeup of a waiting consumer.
//
// What differs per platform is only how the console is read (a descriptor
// on POSIX, console input records on Windows); that part is a InputReader
// which feeds the queue and pauses while it is full.
#pragma once

#include <asio/any_io_executor.hpp>
#include <asio/awaitable.hpp>
#include <asio/steady_timer.hpp>
#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "notifier.hpp"
#include "tui/input/events.hpp"
#include "tui/input/input_decoder.hpp"
#include "tui/terminal/event_source.hpp"

namespace tui::detail {

class InputQueue : public std::enable_shared_from_this<InputQueue> {
 public:
  explicit InputQueue(const asio::any_io_executor& executor);

  // How many more items the reader may bring now: none once the queue is
  // full, closed or has ended.
  [[nodiscard]] std::size_t room() const;
  [[nodiscard]] bool closed() const { return closed_; }

  // Bytes read from a terminal: decoded, with a short grace period for a
  // sequence that the read cut in two.
  void feed(std::string_view bytes);
  // An item the reader made itself.
  void push(InputItem item);
  // The console went away: what is held is decoded as it stands, then the
  // end is queued once and nothing follows it.
  void end();

  [[nodiscard]] bool ready() const { return !queue_.empty(); }
  std::optional<InputItem> pop();
  // Ends when an item is queued or the queue is closed; see EventSource.
  WakeUp wait_ready() { return wakeup_.wait(); }

  // Drops what is queued and wakes every waiter; feeds after it are ignored.
  void close();

 private:
  void deliver_decoded();
  void start_grace();

  asio::steady_timer grace_;
  Notifier wakeup_;
  InputDecoder decoder_;
  std::vector<Decoded> decoded_;
  std::deque<InputItem> queue_;
  bool ended_ = false;
  bool closed_ = false;
  unsigned grace_round_ = 0;  // tells a stale grace expiry from the current one
};

// Reads one platform's console into an InputQueue.
class InputReader {
 public:
  virtual ~InputReader() = default;
  // The queue has room again: reading goes on if it had paused.
  virtual void resume() = 0;
  // Stops reading and watching; the console itself stays open.
  virtual void stop() = 0;
};

}  // namespace tui::detail

namespace tui {

struct EventSource::State {
  std::shared_ptr<detail::InputQueue> queue;
  std::shared_ptr<detail::InputReader> reader;
};

}  // namespace tui
