#include "input/input_queue.hpp"

#include "console/job_control.hpp"
#include "console/setup.hpp"
#include "tui/terminal/console.hpp"

#include <chrono>
#include <utility>
#include <variant>

namespace tui {
namespace detail {
namespace {

// How long the rest of a sequence split across reads (as over SSH) may take
// before what came is taken as it stands: a lone ESC becomes the Esc key.
constexpr std::chrono::milliseconds GRACE_PERIOD{20};

}  // namespace

InputQueue::InputQueue(const asio::any_io_executor& executor)
    : grace_(executor), wakeup_(executor) {}

std::size_t InputQueue::room() const {
  if (closed_ || ended_ || queue_.size() >= EventSource::MAX_QUEUED) {
    return 0;
  }
  return EventSource::MAX_QUEUED - queue_.size();
}

void InputQueue::feed(std::string_view bytes) {
  if (closed_ || ended_) {
    return;
  }
  ++grace_round_;
  decoder_.feed(bytes, decoded_);
  deliver_decoded();
  if (decoder_.holding()) {
    start_grace();
  }
}

void InputQueue::push(InputItem item) {
  if (closed_ || ended_) {
    return;
  }
  queue_.push_back(std::move(item));
  wakeup_.notify();
}

// A console that went away keeps reporting the same failure at once, so the
// end is queued once, and no wait ever wakes again after it is taken.
void InputQueue::end() {
  if (closed_ || ended_) {
    return;
  }
  decoder_.flush(decoded_);
  deliver_decoded();
  queue_.emplace_back(std::in_place_type<EndOfInput>);
  ended_ = true;
  wakeup_.notify();
}

std::optional<InputItem> InputQueue::pop() {
  if (queue_.empty()) {
    return std::nullopt;
  }
  InputItem item = std::move(queue_.front());
  queue_.pop_front();
  return item;
}

void InputQueue::close() {
  if (closed_) {
    return;
  }
  closed_ = true;
  grace_.cancel();
  wakeup_.notify();
  queue_.clear();
}

// Answers to queries are the console's business, not the program's, and so
// is Ctrl+Z, which the terminal driver would have turned into a stop.
void InputQueue::deliver_decoded() {
  for (Decoded& item : decoded_) {
    if (auto* event = std::get_if<Event>(&item)) {
      if (!suspend_on_key(*event)) {
        push(std::move(*event));
      }
    } else if (std::holds_alternative<KeyboardFlagsReply>(item)) {
      enable_keyboard_enhancement();
    } else if (std::holds_alternative<DeviceAttributesReply>(item)) {
      device_attributes_answered();
    }
  }
  decoded_.clear();
}

void InputQueue::start_grace() {
  grace_.expires_after(GRACE_PERIOD);
  grace_.async_wait([self = shared_from_this(), round = grace_round_](std::error_code error) {
    if (!error && !self->closed_ && round == self->grace_round_) {
      self->decoder_.flush(self->decoded_);
      self->deliver_decoded();
    }
  });
}

}  // namespace detail

// The members of the event source that do not depend on how the console is
// read; each platform's file has `open` and its InputReader.

EventSource::EventSource(std::shared_ptr<State> state) : state_(std::move(state)) {}

EventSource::~EventSource() {
  close();
}

bool EventSource::ready() const {
  return state_ && state_->queue->ready();
}

std::optional<InputItem> EventSource::try_next() {
  if (!state_) {
    return std::nullopt;
  }
  std::optional<InputItem> item = state_->queue->pop();
  if (item) {
    state_->reader->resume();  // a full queue had paused reading
  }
  return item;
}

WakeUp EventSource::wait_ready() {
  return state_->queue->wait_ready();
}

EventSource EventSource::open(const asio::any_io_executor& executor) {
  return open(executor, detail::console_input());
}

void EventSource::close() {
  if (state_) {
    state_->reader->stop();
    state_->queue->close();
  }
}

}  // namespace tui
