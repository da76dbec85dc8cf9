// The floor: the least a program on the game's runtime can cost on a
// terminal. One io_context, an anchored 50 ms tick on a steady_timer and a
// stream_descriptor waiting on the terminal, as the game has; it reads and
// writes nothing, so what the game spends above it is the game's own.
// The program benchmark runs it beside the game and kills it when done.
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <array>
#include <asio/io_context.hpp>
#include <asio/posix/stream_descriptor.hpp>
#include <asio/steady_timer.hpp>
#include <chrono>
#include <cstdio>
#include <system_error>

namespace {

constexpr std::chrono::milliseconds TICK{50};

class Floor {
 public:
  Floor(asio::io_context& context, int terminal)
      : tty_(context, terminal), timer_(context), t0_(std::chrono::steady_clock::now()) {}

  void start() {
    // A wait that nothing ends: the game's input wait while no key comes.
    tty_.async_wait(asio::posix::stream_descriptor::wait_read, [](std::error_code) {});
    arm();
  }

 private:
  void arm() {
    timer_.expires_at(t0_ + ticks_ * TICK);
    timer_.async_wait([this](std::error_code error) {
      if (!error) {
        ++ticks_;
        arm();
      }
    });
  }

  asio::posix::stream_descriptor tty_;
  asio::steady_timer timer_;
  std::chrono::steady_clock::time_point t0_;
  long long ticks_ = 0;
};

// A private open of the terminal, as the game's reader makes.
int open_terminal() {
  std::array<char, PATH_MAX> path{};
  if (::ttyname_r(STDIN_FILENO, path.data(), path.size()) != 0) {
    return -1;
  }
  return ::open(path.data(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
}

}  // namespace

int main() {
  const int terminal = open_terminal();
  if (terminal < 0) {
    std::perror("floor: standard input is no terminal");
    return 1;
  }
  asio::io_context context(1);
  Floor floor(context, terminal);
  floor.start();
  context.run();
  return 0;
}
