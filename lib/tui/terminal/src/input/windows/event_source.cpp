#include <windows.h>
#include <asio/windows/object_handle.hpp>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "console/io.hpp"
#include "console/windows/console_screen.hpp"
#include "input/input_queue.hpp"
#include "input/input_records.hpp"
#include "input/windows/breaks.hpp"
#include "panic/panic.hpp"
#include "tui/terminal/event_source.hpp"

namespace tui {
namespace {

namespace control_key = detail::control_key;
static_assert(control_key::RIGHT_ALT == RIGHT_ALT_PRESSED &&
              control_key::LEFT_ALT == LEFT_ALT_PRESSED &&
              control_key::RIGHT_CTRL == RIGHT_CTRL_PRESSED &&
              control_key::LEFT_CTRL == LEFT_CTRL_PRESSED && control_key::SHIFT == SHIFT_PRESSED &&
              control_key::CAPS_LOCK == CAPSLOCK_ON);
namespace mouse_button = detail::mouse_button;
static_assert(mouse_button::LEFT == FROM_LEFT_1ST_BUTTON_PRESSED &&
              mouse_button::RIGHT == RIGHTMOST_BUTTON_PRESSED &&
              mouse_button::MIDDLE == FROM_LEFT_2ND_BUTTON_PRESSED);
namespace mouse_flag = detail::mouse_flag;
static_assert(mouse_flag::MOVED == MOUSE_MOVED && mouse_flag::DOUBLE_CLICKED == DOUBLE_CLICK &&
              mouse_flag::WHEELED == MOUSE_WHEELED && mouse_flag::HWHEELED == MOUSE_HWHEELED);

std::optional<detail::InputRecord> plain_record(const INPUT_RECORD& record) {
  switch (record.EventType) {
    case KEY_EVENT: {
      const KEY_EVENT_RECORD& key = record.Event.KeyEvent;
      return detail::KeyRecord{key.bKeyDown != 0, key.wRepeatCount, key.wVirtualKeyCode,
                               key.uChar.UnicodeChar, key.dwControlKeyState};
    }
    case MOUSE_EVENT: {
      const MOUSE_EVENT_RECORD& mouse = record.Event.MouseEvent;
      return detail::MouseRecord{mouse.dwMousePosition.X, mouse.dwMousePosition.Y,
                                 mouse.dwButtonState, mouse.dwControlKeyState, mouse.dwEventFlags};
    }
    case WINDOW_BUFFER_SIZE_EVENT: {
      const COORD size = record.Event.WindowBufferSizeEvent.dwSize;
      return detail::BufferSizeRecord{size.X, size.Y};
    }
    case FOCUS_EVENT:
      return detail::FocusRecord{record.Event.FocusEvent.bSetFocus != 0};
    default:
      return std::nullopt;  // menu events are the console's own business
  }
}

// Waits on the console input handle on the reactor (it is signalled while
// records wait to be read), reads what is there without blocking, and
// turns the records into events.
class RecordReader final : public detail::InputReader,
                           public std::enable_shared_from_this<RecordReader> {
 public:
  RecordReader(const asio::any_io_executor& executor, HANDLE console, HANDLE waitable,
               std::shared_ptr<detail::InputQueue> queue)
      : console_(console), waitable_(executor, waitable), queue_(std::move(queue)) {}

  void resume() override { wait_more(); }

  void stop() override {
    stopped_ = true;
    detail::stop_routing_breaks(queue_.get());
    std::error_code ignored;
    waitable_.close(ignored);  // our duplicate of the console handle
  }

  void wait_more() {
    if (stopped_ || waiting_ || queue_->room() == 0) {
      return;
    }
    waiting_ = true;
    waitable_.async_wait([self = shared_from_this()](std::error_code error) {
      self->waiting_ = false;
      self->on_signalled(error);
    });
  }

 private:
  void on_signalled(const std::error_code& error) {
    if (stopped_) {
      return;
    }
    if (error) {
      fail(error);
      return;
    }
    if (const std::error_code failed = read_available()) {
      fail(failed);
      return;
    }
    wait_more();
  }

  // A console whose input cannot be read stays that way, and its handle
  // stays signalled: reading stops rather than spin on the failure.
  void fail(const std::error_code& error) {
    queue_->push(InputError{error});
    queue_->end();
  }

  std::error_code read_available() {
    DWORD available = 0;
    if (::GetNumberOfConsoleInputEvents(console_, &available) == 0) {
      return detail::last_error();
    }
    if (available == 0) {
      return {};  // someone else read them first
    }
    // A record gives one item, except for a key's repeats, so the queue can
    // pass its limit only by the repeats of the last key read.
    const auto wanted =
        static_cast<DWORD>(std::min<std::size_t>({available, records_.size(), queue_->room()}));
    DWORD read = 0;
    if (::ReadConsoleInputW(console_, records_.data(), wanted, &read) == 0) {
      return detail::last_error();
    }
    for (DWORD i = 0; i < read; ++i) {
      deliver(records_[i]);
    }
    return {};
  }

  void deliver(const INPUT_RECORD& record) {
    const std::optional<detail::InputRecord> plain = plain_record(record);
    if (!plain) {
      return;
    }
    events_.clear();
    detail::translate_record(*plain, context_, events_);
    for (Event& event : events_) {
      // The record has the buffer's size; the game draws in the window.
      if (auto* resize = std::get_if<Resize>(&event)) {
        if (const IoResult<Size> window = detail::window_size(detail::console_screen())) {
          *resize = Resize{window->width, window->height};
        }
      }
      queue_->push(std::move(event));
    }
  }

  HANDLE console_;  // the console input itself: never closed here
  asio::windows::object_handle waitable_;
  std::shared_ptr<detail::InputQueue> queue_;
  std::array<INPUT_RECORD, 128> records_{};
  std::vector<Event> events_;
  detail::RecordContext context_;
  bool waiting_ = false;
  bool stopped_ = false;
};

// A handle of our own to wait on: Asio closes the handles it waits on.
HANDLE duplicate(HANDLE console) {
  HANDLE copy = nullptr;
  if (::DuplicateHandle(::GetCurrentProcess(), console, ::GetCurrentProcess(), &copy, 0, FALSE,
                        DUPLICATE_SAME_ACCESS) == 0) {
    return nullptr;
  }
  return copy;
}

}  // namespace

EventSource EventSource::open(const asio::any_io_executor& executor, ConsoleHandle input) {
  if (input == nullptr || input == INVALID_HANDLE_VALUE) {
    panic::panic("reader source not set");
  }
  HANDLE waitable = duplicate(input);
  if (waitable == nullptr) {
    panic::panic("reader source not set");
  }
  auto queue = std::make_shared<detail::InputQueue>(executor);
  auto reader = std::make_shared<RecordReader>(executor, input, waitable, queue);
  reader->wait_more();
  detail::route_breaks_to(executor, queue);
  return EventSource(std::make_shared<State>(State{std::move(queue), std::move(reader)}));
}

}  // namespace tui
