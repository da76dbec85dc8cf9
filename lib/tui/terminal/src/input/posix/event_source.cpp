#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <asio/posix/stream_descriptor.hpp>
#include <asio/signal_set.hpp>
#include <csignal>
#include <utility>

#include "console/io.hpp"
#include "input/input_queue.hpp"
#include "panic/panic.hpp"
#include "tui/terminal/event_source.hpp"

namespace tui {
namespace {

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

bool terminal_gone(const std::error_code& error) {
  return error == asio::error::eof || error == std::errc::io_error ||
         error == std::errc::no_such_device_or_address || error == std::errc::bad_file_descriptor;
}

// Reads the terminal's bytes into the queue and turns SIGWINCH into resize events.
class TerminalReader final : public detail::InputReader,
                             public std::enable_shared_from_this<TerminalReader> {
 public:
  TerminalReader(const asio::any_io_executor& executor, int terminal, int reader,
                 std::shared_ptr<detail::InputQueue> queue)
      : input_(terminal),
        descriptor_(executor, reader),
        resizes_(executor, SIGWINCH),
        queue_(std::move(queue)) {}

  void resume() override { read_more(); }

  void stop() override {
    stopped_ = true;
    std::error_code ignored;
    descriptor_.close(ignored);  // our own open of the terminal
    resizes_.cancel(ignored);
  }

  void read_more() {
    if (stopped_ || reading_ || queue_->room() == 0) {
      return;
    }
    reading_ = true;
    // A byte decodes to at most one item, so a read no longer than the room
    // left cannot overfill the queue.
    const std::size_t room = std::min(chunk_.size(), queue_->room());
    descriptor_.async_read_some(asio::buffer(chunk_.data(), room),
                                [self = shared_from_this()](std::error_code error, std::size_t n) {
                                  self->reading_ = false;
                                  self->on_read(error, n);
                                });
  }

  void watch_resizes() {
    resizes_.async_wait([self = shared_from_this()](std::error_code error, int) {
      if (error || self->stopped_) {
        return;
      }
      if (const IoResult<Size> size = detail::window_size(self->input_)) {
        self->queue_->push(Resize{size->width, size->height});
      }
      self->watch_resizes();
    });
  }

 private:
  void on_read(const std::error_code& error, std::size_t n) {
    if (stopped_) {
      return;
    }
    if (error && error != asio::error::interrupted && error != asio::error::try_again) {
      end_with(error);
      return;
    }
    queue_->feed({chunk_.data(), n});
    read_more();
  }

  // A terminal that hung up keeps reporting the same failure at once, so
  // reading stops there.
  void end_with(const std::error_code& error) {
    if (terminal_gone(error)) {
      queue_->end();
      return;
    }
    queue_->push(InputError{error});
    read_more();
  }

  int input_;  // the terminal itself: asked for its size, never closed here
  asio::posix::stream_descriptor descriptor_;
  asio::signal_set resizes_;
  std::shared_ptr<detail::InputQueue> queue_;
  std::array<char, 4096> chunk_{};
  bool reading_ = false;
  bool stopped_ = false;
};

}  // namespace

EventSource EventSource::open(const asio::any_io_executor& executor, ConsoleHandle input) {
  if (input < 0) {
    panic::panic("reader source not set");
  }
  const int reader = open_private_reader(input);
  if (reader < 0) {
    panic::panic("reader source not set");
  }
  auto queue = std::make_shared<detail::InputQueue>(executor);
  auto terminal = std::make_shared<TerminalReader>(executor, input, reader, queue);
  terminal->read_more();
  terminal->watch_resizes();
  return EventSource(std::make_shared<State>(State{std::move(queue), std::move(terminal)}));
}

}  // namespace tui
