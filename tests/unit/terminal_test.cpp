#include "tui/terminal/terminal.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "case_name.hpp"
#include "tui/terminal/memory_backend.hpp"

namespace tui {
namespace {

using Call = MemoryBackend::Call;
using Calls = std::vector<Call>;
using Lines = std::vector<std::string>;

const std::error_code BROKEN_PIPE = std::make_error_code(std::errc::broken_pipe);

// A terminal object over an in-memory console that the test keeps looking at.
struct Console {
  explicit Console(Size size) : Console(std::make_unique<MemoryBackend>(size)) {}
  explicit Console(std::unique_ptr<MemoryBackend> owned)
      : backend(*owned), terminal(*Terminal::create(std::move(owned))) {}

  // Draws a frame with a border around the whole screen and `text` inside it.
  IoResult<> draw(const std::string& text = "hi") {
    return terminal.draw([&text](Frame& frame) {
      const Rect area = frame.area();
      for (int x = area.left(); x < area.right(); ++x) {
        frame.buffer().at({x, area.top()}).symbol = U'─';
        frame.buffer().at({x, area.bottom() - 1}).symbol = U'─';
      }
      frame.buffer().set_string({1, 1}, text, Style::foreground(Color::Green), area.width - 2);
    });
  }

  // Forgets the calls so far.
  std::size_t mark() const { return backend.calls().size(); }
  Calls calls_since(std::size_t mark) const {
    return {backend.calls().begin() + static_cast<std::ptrdiff_t>(mark), backend.calls().end()};
  }

  MemoryBackend& backend;
  Terminal terminal;
};

// The console may show anything before the first frame: a console without
// an alternate screen shows what the shell printed.
TEST(DrawCycle, FirstFrameErasesThenWritesTheFrameHidesTheCursorAndFlushesInThatOrder) {
  Console c({6, 3});
  c.backend.draw(std::vector<CellUpdate>{{{3, 1}, Cell{U'$'}}, {{5, 1}, Cell{U'$'}}});
  EXPECT_TRUE(c.backend.cursor_visible());
  const std::size_t mark = c.mark();
  ASSERT_TRUE(c.draw());
  EXPECT_EQ(c.calls_since(mark),
            (Calls{Call::Size, Call::Clear, Call::Draw, Call::HideCursor, Call::Flush}));
  EXPECT_EQ(c.backend.screen().lines(), (Lines{"──────", " hi   ", "──────"}));
  EXPECT_EQ(c.backend.screen().at({1, 1}).fg, Color::Green);
  EXPECT_FALSE(c.backend.cursor_visible());
  ASSERT_TRUE(c.draw());
  EXPECT_EQ(c.backend.clears(), 1) << "only the first frame erases";
}

TEST(DrawCycle, ANewSizeErasesOnceAndRewritesEverythingAtThatSize) {
  Console c({6, 3});
  ASSERT_TRUE(c.draw());
  c.backend.set_size({8, 4});
  const std::size_t mark = c.mark();
  ASSERT_TRUE(c.draw("ho"));
  EXPECT_EQ(c.calls_since(mark),
            (Calls{Call::Size, Call::Clear, Call::Draw, Call::HideCursor, Call::Flush}));
  EXPECT_EQ(c.backend.screen().lines(), (Lines{"────────", " ho     ", "        ", "────────"}));
  EXPECT_EQ(c.terminal.size(), (Size{8, 4}));
  ASSERT_TRUE(c.draw("ho"));
  EXPECT_EQ(c.backend.clears(), 2) << "the first frame's and the new size's";
}

TEST(DrawCycle, AForcedRedrawErasesAndRewritesWhatSomeoneElseDrewOver) {
  Console c({6, 3});
  ASSERT_TRUE(c.draw());
  // Another program drew over part of the screen (the game was suspended).
  c.backend.draw(std::vector<CellUpdate>{{{1, 1}, Cell{U'$'}}, {{2, 2}, Cell{U'$'}}});
  c.terminal.force_full_redraw();
  ASSERT_TRUE(c.draw());
  EXPECT_EQ(c.backend.clears(), 2) << "the first frame's and the forced one's";
  EXPECT_EQ(c.backend.screen().lines(), (Lines{"──────", " hi   ", "──────"}));
}

struct Failure {
  std::string name;
  Call failing;
  bool resized;  // the frame follows a size change, so it erases the screen
  Calls calls;   // everything the frame asks of the console, up to the failure
};

using case_printing::PrintTo;

class DrawCycleFailure : public ::testing::TestWithParam<Failure> {};

TEST_P(DrawCycleFailure, AbortsTheFrameReturnsTheErrorAndTheNextFrameStartsAfresh) {
  const Failure& failure = GetParam();
  Console c({6, 3});
  ASSERT_TRUE(c.draw());
  if (failure.resized) {
    c.backend.set_size({7, 3});
  }
  c.backend.fail_next(BROKEN_PIPE, failure.failing);
  const std::size_t mark = c.mark();
  const IoResult<> drawn = c.draw("ho");
  ASSERT_FALSE(drawn);
  EXPECT_EQ(drawn.error(), BROKEN_PIPE);
  EXPECT_EQ(c.calls_since(mark), failure.calls);

  // Whatever part of the frame reached the screen, the next one repairs it all.
  const int clears = c.backend.clears();
  ASSERT_TRUE(c.draw("ho"));
  EXPECT_EQ(c.backend.clears(), clears + 1);
  EXPECT_EQ(c.backend.screen().lines()[1], failure.resized ? " ho    " : " ho   ");
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, DrawCycleFailure,
    ::testing::Values(
        Failure{"SizeQuery", Call::Size, false, {Call::Size}},
        Failure{"Erase", Call::Clear, true, {Call::Size, Call::Clear}},
        Failure{"CellWrite", Call::Draw, false, {Call::Size, Call::Draw}},
        Failure{"CursorHide", Call::HideCursor, false, {Call::Size, Call::Draw, Call::HideCursor}},
        Failure{
            "Flush", Call::Flush, false, {Call::Size, Call::Draw, Call::HideCursor, Call::Flush}}),
    case_name<Failure>);

TEST(DrawCycle, AFrameWhoseBuilderThrowsLeavesNothingBehindForTheNext) {
  Console c({6, 3});
  EXPECT_THROW(c.terminal.draw([](Frame& frame) {
    frame.buffer().set_string({0, 0}, "junk", {}, 4);
    throw std::runtime_error("builder failed");
  }),
               std::runtime_error);
  ASSERT_TRUE(c.terminal.draw([](Frame&) {}));
  EXPECT_EQ(c.backend.screen().lines(), (Lines{"      ", "      ", "      "}));
}

TEST(TerminalClose, ShowsTheCursorOnlyIfAFrameHidItAndOnlyOnce) {
  Console untouched({6, 3});
  std::size_t mark = untouched.mark();
  untouched.terminal.close();
  EXPECT_EQ(untouched.calls_since(mark), Calls{});

  Console c({6, 3});
  ASSERT_TRUE(c.draw());
  mark = c.mark();
  c.terminal.close();
  c.terminal.close();
  EXPECT_EQ(c.calls_since(mark), (Calls{Call::ShowCursor, Call::Flush}));
  EXPECT_TRUE(c.backend.cursor_visible());
  EXPECT_FALSE(c.draw());
}

TEST(TerminalClose, ReportsAFailureOnStandardErrorAndGoesOn) {
  Console c({6, 3});
  ASSERT_TRUE(c.draw());
  c.backend.fail_next(BROKEN_PIPE, Call::Flush);
  ::testing::internal::CaptureStderr();
  c.terminal.close();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "Failed to show the cursor: Broken pipe (os error 32)\n");
}

}  // namespace
}  // namespace tui
