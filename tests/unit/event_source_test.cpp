// The event source on a real pseudo-terminal: bytes typed on the master side
// come out as input items, in order, on the reactor's thread.
#include "tui/terminal/event_source.hpp"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <asio/co_spawn.hpp>
#include <asio/detached.hpp>
#include <asio/io_context.hpp>
#include <asio/use_awaitable.hpp>
#include <chrono>
#include <csignal>
#include <string>
#include <vector>

#include "descriptors.hpp"
#include "event_builders.hpp"
#include "event_printers.hpp"
#include "panic/panic.hpp"

namespace tui {
namespace {

using namespace std::chrono_literals;
using testing::Pty;

using event_builders::press;

void type(const Pty& pty, const std::string& bytes) {
  ASSERT_EQ(::write(pty.master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

class EventSourceTest : public ::testing::Test {
 protected:
  EventSourceTest() : pty({40, 12}) {
    termios mode{};
    ::tcgetattr(pty.slave, &mode);
    ::cfmakeraw(&mode);
    ::tcsetattr(pty.slave, TCSANOW, &mode);
    events.emplace(EventSource::open(context.get_executor(), pty.slave));
  }

  // Runs the reactor until `count` items have come, or a generous limit
  // passes (the limit only keeps a broken source from hanging the suite).
  std::vector<InputItem> take(std::size_t count) {
    std::vector<InputItem> items;
    const auto limit = std::chrono::steady_clock::now() + 10s;
    while (items.size() < count && std::chrono::steady_clock::now() < limit) {
      context.run_for(10ms);
      while (auto item = events->try_next()) {
        items.push_back(std::move(*item));
      }
    }
    return items;
  }

  Pty pty;
  asio::io_context context;
  std::optional<EventSource> events;
};

TEST_F(EventSourceTest, TypedBytesBecomeItemsInOrder) {
  type(pty, "w\x1b[A\x03");
  type(pty, "q");
  EXPECT_EQ(take(4), (std::vector<InputItem>{
                         Event{press(KeyCode::character(U'w'))},
                         Event{press(KeyCode::named(Key::Up))},
                         Event{press(KeyCode::character(U'c'), Modifiers::CONTROL)},
                         Event{press(KeyCode::character(U'q'))},
                     }));
}

TEST_F(EventSourceTest, LoneEscapeIsTheEscKeyOnceNothingFollows) {
  type(pty, "\x1b");
  EXPECT_EQ(take(1), (std::vector<InputItem>{Event{press(KeyCode::named(Key::Esc))}}));
}

TEST_F(EventSourceTest, SequenceWrittenInTwoPartsIsOneKey) {
  type(pty, "\x1b[1;");
  type(pty, "5A");
  EXPECT_EQ(take(1),
            (std::vector<InputItem>{Event{press(KeyCode::named(Key::Up), Modifiers::CONTROL)}}));
}

TEST_F(EventSourceTest, WindowSizeChangeIsAResizeEvent) {
  pty.resize({100, 30});
  ::raise(SIGWINCH);
  EXPECT_EQ(take(1), (std::vector<InputItem>{Event{Resize{100, 30}}}));
}

TEST_F(EventSourceTest, AnswersToQueriesAreTheConsolesNotTheGames) {
  type(pty,
       "\x1b[?0u\x1b[?62;22c"
       "w");
  EXPECT_EQ(take(1), (std::vector<InputItem>{Event{press(KeyCode::character(U'w'))}}));
}

TEST_F(EventSourceTest, AFloodWaitsInTheTerminalNotInTheQueue) {
  const std::size_t count = EventSource::MAX_QUEUED * 3;
  const std::string flood(count, 'x');
  std::size_t taken = 0;
  std::size_t written = 0;
  const auto limit = std::chrono::steady_clock::now() + 20s;
  ::fcntl(pty.master, F_SETFL, O_NONBLOCK);
  while (taken < count && std::chrono::steady_clock::now() < limit) {
    if (written < count) {
      const ssize_t n = ::write(pty.master, flood.data() + written, count - written);
      written += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    context.run_for(5ms);
    std::size_t queued = 0;
    while (events->ready()) {
      events->try_next();
      ++queued;
    }
    EXPECT_LE(queued, EventSource::MAX_QUEUED + InputDecoder::MAX_SEQUENCE);
    taken += queued;
  }
  EXPECT_EQ(taken, count) << "nothing is lost on the way";
}

TEST_F(EventSourceTest, HangupEndsTheStreamOnceAndNeverWakesAgain) {
  type(pty, "w");
  take(1);  // a hangup discards input not yet read
  testing::close_fd(pty.master);
  EXPECT_EQ(take(1), std::vector<InputItem>{EndOfInput{}});

  bool woken = false;
  asio::co_spawn(
      context,
      [&]() -> asio::awaitable<void> {
        co_await events->wait_ready()(asio::use_awaitable);
        woken = true;
      },
      asio::detached);
  context.run_for(200ms);
  EXPECT_FALSE(woken);
  EXPECT_FALSE(events->ready());
  events->close();
  context.run_for(10ms);
  EXPECT_TRUE(context.stopped()) << "closing leaves nothing waiting";
}

TEST_F(EventSourceTest, ReadingLeavesTheTerminalBlockingAndOpen) {
  type(pty, "w");
  take(1);
  EXPECT_EQ(::fcntl(pty.slave, F_GETFL) & O_NONBLOCK, 0)
      << "the terminal's open file is shared with standard output and the shell";
  events->close();
  EXPECT_NE(::fcntl(pty.slave, F_GETFD), -1) << "the terminal stays open after closing";
  EXPECT_FALSE(events->ready());
}

TEST(EventSourceOpen, WithoutInputPanics) {
  asio::io_context context;
  panic::set_hook([](const panic::PanicInfo&) {});
  try {
    EventSource::open(context.get_executor(), -1);
    ADD_FAILURE() << "opened without input";
  } catch (const panic::Panic& raised) {
    EXPECT_STREQ(raised.what(), "reader source not set");
  }
  panic::set_hook(panic::default_hook);
}

}  // namespace
}  // namespace tui
