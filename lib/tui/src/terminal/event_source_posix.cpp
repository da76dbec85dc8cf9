#include <fcntl.h>
#include <limits.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <asio/posix/stream_descriptor.hpp>
#include <asio/signal_set.hpp>
#include <asio/steady_timer.hpp>
#include <chrono>
#include <csignal>
#include <deque>
#include <utility>

#include "panic/panic.hpp"
#include "terminal/wakeup.hpp"
#include "tui/terminal/event_source.hpp"

namespace tui {
namespace {

// How long the rest of a sequence split across reads (as over SSH) may take
// before what came is taken as it stands: a lone ESC becomes the Esc key.
constexpr std::chrono::milliseconds GRACE_PERIOD{20};

// Asio puts every descriptor it waits on into non-blocking mode. Standard
// input shares its open file with standard output and with the shell that
// started us, so that mode would leak into our frame writes and outlive the
// game. Reading through a fresh open of the same terminal keeps it private.
int open_private_reader(int input) {
  std::array<char, PATH_MAX> path{};
  if (::ttyname_r(input, path.data(), path.size()) == 0) {
    const int fd = ::open(path.data(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0) {
      return fd;
    }
  }
  return ::fcntl(input, F_DUPFD_CLOEXEC, 0);
}

std::optional<Resize> window_size(int fd) {
  winsize window{};
  if (::ioctl(fd, TIOCGWINSZ, &window) != 0) {
    return std::nullopt;
  }
  return Resize{window.ws_col, window.ws_row};
}

bool terminal_gone(const std::error_code& error) {
  return error == asio::error::eof || error == std::errc::io_error ||
         error == std::errc::no_such_device_or_address || error == std::errc::bad_file_descriptor;
}

}  // namespace

struct EventSource::State : std::enable_shared_from_this<State> {
  State(const asio::any_io_executor& executor, int terminal, int reader)
      : input(terminal),
        descriptor(executor, reader),
        resizes(executor, SIGWINCH),
        grace(executor),
        wakeup(executor) {}

  int input;  // the terminal itself: asked for its size, never closed here
  asio::posix::stream_descriptor descriptor;
  asio::signal_set resizes;
  asio::steady_timer grace;
  detail::Wakeup wakeup;  // tells a waiting consumer that an item came
  InputDecoder decoder;
  std::vector<Decoded> decoded;
  std::deque<InputItem> queue;
  std::array<char, 4096> chunk{};
  std::function<void(const KeyboardFlagsReply&)> on_keyboard_flags;
  bool reading = false;
  bool ended = false;  // the end of input was queued: nothing follows it
  bool closed = false;
  unsigned grace_round = 0;  // tells a stale grace expiry from the current one

  void push(InputItem item) {
    queue.push_back(std::move(item));
    wakeup.notify();
  }

  void deliver_decoded() {
    for (Decoded& item : decoded) {
      if (auto* event = std::get_if<Event>(&item)) {
        push(std::move(*event));
      } else if (const auto* flags = std::get_if<KeyboardFlagsReply>(&item)) {
        if (on_keyboard_flags) {
          on_keyboard_flags(*flags);
        }
      }
    }
    decoded.clear();
  }

  void read_more() {
    if (closed || ended || reading || queue.size() >= MAX_QUEUED) {
      return;
    }
    reading = true;
    // A byte decodes to at most one item, so a read no longer than the room
    // left cannot overfill the queue.
    const std::size_t room = std::min(chunk.size(), MAX_QUEUED - queue.size());
    descriptor.async_read_some(asio::buffer(chunk.data(), room),
                               [self = shared_from_this()](std::error_code error, std::size_t n) {
                                 self->reading = false;
                                 self->on_read(error, n);
                               });
  }

  void on_read(const std::error_code& error, std::size_t n) {
    if (closed) {
      return;
    }
    if (error && error != asio::error::interrupted && error != asio::error::try_again) {
      end_with(error);
      return;
    }
    ++grace_round;
    decoder.feed({chunk.data(), n}, decoded);
    deliver_decoded();
    if (decoder.holding()) {
      start_grace();
    }
    read_more();
  }

  // A terminal that hung up keeps reporting the same failure at once, so
  // reading stops there: the end is queued once, and no wait ever wakes again.
  void end_with(const std::error_code& error) {
    if (!terminal_gone(error)) {
      push(InputError{error});
      read_more();
      return;
    }
    decoder.flush(decoded);
    deliver_decoded();
    push(EndOfInput{});
    ended = true;
  }

  void start_grace() {
    grace.expires_after(GRACE_PERIOD);
    grace.async_wait([self = shared_from_this(), round = grace_round](std::error_code error) {
      if (!error && !self->closed && round == self->grace_round) {
        self->decoder.flush(self->decoded);
        self->deliver_decoded();
      }
    });
  }

  void watch_resizes() {
    resizes.async_wait([self = shared_from_this()](std::error_code error, int) {
      if (error || self->closed) {
        return;
      }
      if (const std::optional<Resize> size = window_size(self->input)) {
        self->push(*size);
      }
      self->watch_resizes();
    });
  }

  void stop() {
    if (closed) {
      return;
    }
    closed = true;
    std::error_code ignored;
    descriptor.close(ignored);  // our own open of the terminal
    resizes.cancel(ignored);
    grace.cancel();
    wakeup.notify();
    queue.clear();
  }
};

EventSource::EventSource(std::shared_ptr<State> state) : state_(std::move(state)) {}

EventSource::~EventSource() {
  close();
}

EventSource EventSource::open(const asio::any_io_executor& executor, ConsoleHandle input) {
  if (input < 0) {
    panic::panic("reader source not set");
  }
  const int reader = open_private_reader(input);
  if (reader < 0) {
    panic::panic("reader source not set");
  }
  auto state = std::make_shared<State>(executor, input, reader);
  state->read_more();
  state->watch_resizes();
  return EventSource(std::move(state));
}

bool EventSource::ready() const {
  return state_ && !state_->queue.empty();
}

std::optional<InputItem> EventSource::try_next() {
  if (!ready()) {
    return std::nullopt;
  }
  InputItem item = std::move(state_->queue.front());
  state_->queue.pop_front();
  state_->read_more();  // a full queue had paused reading
  return item;
}

asio::awaitable<void> EventSource::wait_ready() {
  const std::shared_ptr<State> state = state_;
  if (state) {
    co_await state->wakeup.wait_until([&] { return state->closed || !state->queue.empty(); });
  }
}

void EventSource::on_keyboard_flags(std::function<void(const KeyboardFlagsReply&)> callback) {
  if (state_) {
    state_->on_keyboard_flags = std::move(callback);
  }
}

void EventSource::close() {
  if (state_) {
    state_->stop();
  }
}

}  // namespace tui
