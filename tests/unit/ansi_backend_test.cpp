#include "tui/terminal/ansi_backend.hpp"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <ostream>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "case_name.hpp"
#include "descriptors.hpp"
#include "tui/terminal/terminal.hpp"
#include "vt_screen.hpp"

namespace tui {
namespace {

using testing::Pipe;
using testing::Pty;
using testing::VtScreen;

constexpr std::string_view TRAILER = "\x1b[m\x1b[?25l";

Buffer picture(const std::vector<std::string_view>& lines) {
  Buffer buffer = Buffer::with_lines(lines);
  for (int y = 0; y < buffer.area().height; ++y) {
    for (int x = 0; x < buffer.area().width; ++x) {
      Cell& cell = buffer.at({x, y});
      cell.fg = cell.symbol == U'•'                                  ? Color::White
                : cell.symbol == U'█' && x < buffer.area().width / 2 ? Color::Green
                : cell.symbol == U'█'                                ? Color::Red
                                                                     : Color::Reset;
    }
  }
  return buffer;
}

const Buffer SMALL = picture({
    "┌Rallix 1-2┐",
    "│█   •    █│",
    "│█   •     │",
    "└──────────┘",
});

const Buffer LARGER = picture({
    "┌Rallix 1-2──┐",
    "│     •      │",
    "│█    •     █│",
    "│█    •     █│",
    "└────────────┘",
});

int count(std::string_view text, std::string_view part) {
  int n = 0;
  for (auto at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) {
    ++n;
  }
  return n;
}

// A terminal object that writes into a pipe and takes its size from a
// pseudo-terminal, with a model console fed everything it writes.
struct PipedTerminal {
  explicit PipedTerminal(Size size)
      : pty(size),
        terminal(*Terminal::create(std::make_unique<AnsiBackend>(pipe.write, pty.slave))),
        console(size) {}

  std::string draw(const Buffer& shown) {
    const IoResult<> drawn = terminal.draw([&shown](Frame& frame) {
      const Rect area = frame.area().intersection(shown.area());
      for (int y = area.top(); y < area.bottom(); ++y) {
        for (int x = area.left(); x < area.right(); ++x) {
          frame.buffer().at({x, y}) = shown.at({x, y});
        }
      }
    });
    EXPECT_TRUE(drawn) << drawn.error().message();
    std::string bytes = pipe.take();
    console.feed(bytes);
    EXPECT_EQ(console.errors(), std::vector<std::string>{});
    return bytes;
  }

  Pipe pipe;
  Pty pty;
  Terminal terminal;
  VtScreen console;
};

// A console without an alternate screen (or with it switched off) still
// shows the shell's text when the game starts.
TEST(AnsiDrawCycle, FirstFrameErasesTheOldTextOnceAndAnIdenticalOneWritesOnlyTheTrailer) {
  PipedTerminal t({12, 4});
  t.console.fill("$ make run ");
  const std::string first = t.draw(SMALL);
  EXPECT_EQ(t.console.mismatch(SMALL), "");
  EXPECT_EQ(t.console.erases(), 1);
  EXPECT_FALSE(t.console.cursor_visible());
  EXPECT_TRUE(first.ends_with(TRAILER));

  EXPECT_EQ(t.draw(SMALL), TRAILER);
}

TEST(AnsiDrawCycle, ChangingOneCellWritesOneMoveAndThatCell) {
  PipedTerminal t({12, 4});
  t.draw(SMALL);
  Buffer changed = SMALL;
  changed.at({6, 2}) = Cell{U'█', Color::Yellow};
  // The last cell written was the bottom-right corner, after which the cursor could be anywhere.
  EXPECT_EQ(t.draw(changed), "\x1b[3;7H\x1b[33m█" + std::string(TRAILER));
  EXPECT_EQ(t.console.mismatch(changed), "");
}

TEST(AnsiDrawCycle, SizeChangeErasesOnceAndRewritesTheWholePicture) {
  PipedTerminal t({12, 4});
  t.draw(SMALL);
  t.pty.resize({14, 5});
  t.console.resize({14, 5});
  // The model console filled itself with junk on the resize, as a reflow would.
  const std::string bytes = t.draw(LARGER);
  EXPECT_EQ(count(bytes, "\x1b[2J"), 1);
  EXPECT_EQ(t.console.mismatch(LARGER), "");
  EXPECT_EQ(t.draw(LARGER), TRAILER);
}

TEST(AnsiDrawCycle, ClosingShowsTheCursorOnlyAfterAFrameHidIt) {
  {
    PipedTerminal t({12, 4});
    t.terminal.close();
    EXPECT_EQ(t.pipe.take(), "");
  }
  PipedTerminal t({12, 4});
  t.draw(SMALL);
  t.terminal.close();
  EXPECT_EQ(t.pipe.take(), "\x1b[?25h");
  t.terminal.close();
  EXPECT_EQ(t.pipe.take(), "");
}

TEST(AnsiDrawCycle, ReleasingTheTerminalObjectShowsTheCursorOnce) {
  Pipe pipe;
  const Pty pty({12, 4});
  {
    Terminal terminal = *Terminal::create(std::make_unique<AnsiBackend>(pipe.write, pty.slave));
    ASSERT_TRUE(terminal.draw([](Frame&) {}));
    const Terminal moved = std::move(terminal);
  }
  EXPECT_EQ(pipe.take(), "\x1b[m\x1b[2J" + std::string(TRAILER) + "\x1b[?25h");
}

struct WriteFailure {
  std::string name;
  int expected;
  std::string line;  // what closing the terminal object prints then
};

using case_printing::PrintTo;

class AnsiWriteFailure : public ::testing::TestWithParam<WriteFailure> {};

TEST_P(AnsiWriteFailure, ComesBackFromTheDrawWithTheSystemsCodeAndMessage) {
  std::signal(SIGPIPE, SIG_IGN);
  Pipe pipe;
  Pty pty({12, 4});
  const Pty sizer({12, 4});
  const bool through_pipe = GetParam().expected == EPIPE;
  const int output = through_pipe ? pipe.write : pty.slave;
  testing::close_fd(through_pipe ? pipe.read : pty.master);

  Terminal terminal = *Terminal::create(std::make_unique<AnsiBackend>(output, sizer.slave));
  const IoResult<> drawn = terminal.draw([](Frame& frame) {
    frame.buffer().set_string({0, 0}, "x", {}, 1);
  });
  ASSERT_FALSE(drawn);
  EXPECT_EQ(drawn.error(), std::error_code(GetParam().expected, std::system_category()));
  EXPECT_EQ(drawn.error().message(), std::strerror(GetParam().expected));

  ::testing::internal::CaptureStderr();
  terminal.close();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(Output, AnsiWriteFailure,
                         ::testing::Values(WriteFailure{"PipeWhoseReaderIsGone", EPIPE,
                                                        "Failed to show the cursor: Broken pipe "
                                                        "(os error 32)\n"},
                                           WriteFailure{"TerminalWhoseOtherSideIsGone", EIO,
                                                        "Failed to show the cursor: Input/output "
                                                        "error (os error 5)\n"}),
                         case_name<WriteFailure>);

// The output shares a non-blocking open file description with the input, and
// the console reads more slowly than the program writes.
TEST(AnsiBackend, BigFrameIsSynchronizedAndWaitsOutAFullNonBlockingOutput) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ::fcntl(ends[1], F_SETPIPE_SZ, 4096);
  ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
  std::string received;
  std::thread reader([&] { received = testing::read_all(ends[0]); });

  const Size size{200, 60};
  Pty pty(size);
  Buffer big(Rect{0, 0, size.width, size.height});
  for (int y = 0; y < size.height; ++y) {
    for (int x = 0; x < size.width; ++x) {
      big.at({x, y}) =
          Cell{(x + y) % 2 == 0 ? U'█' : U'x', (x % 3 == 0) ? Color::Red : Color::Reset};
    }
  }
  {
    Terminal terminal = *Terminal::create(std::make_unique<AnsiBackend>(ends[1], pty.slave));
    const auto paint = [&big](Frame& frame) { frame.buffer() = big; };
    ASSERT_TRUE(terminal.draw(paint));
    ASSERT_TRUE(terminal.draw(paint));
    terminal.close();
  }
  ::close(ends[1]);
  reader.join();
  ::close(ends[0]);

  const std::string begin = "\x1b[?2026h";
  const std::string end = "\x1b[?2026l";
  const std::string small_frames = std::string(TRAILER) + "\x1b[?25h";
  ASSERT_TRUE(received.starts_with(begin));
  ASSERT_TRUE(received.ends_with(end + small_frames));
  VtScreen console(size);
  console.feed(received);
  EXPECT_EQ(console.errors(), std::vector<std::string>{});
  EXPECT_EQ(console.mismatch(big), "");
}

// Random pictures, changed a little or a lot from frame to frame and now and
// then resized, must always leave the console showing the last one, however
// the writer chose to get from cell to cell.
TEST(AnsiDrawCycle, RandomFramesAlwaysLeaveTheConsoleShowingTheLastPicture) {
  std::mt19937 random(20260101);
  const auto pick = [&random](int n) {
    return std::uniform_int_distribution<int>(0, n - 1)(random);
  };
  constexpr char32_t SYMBOLS[] = {U' ', U' ', U' ', U'a', U'█', U'•', U'─'};
  constexpr Color COLOURS[] = {Color::Reset, Color::Reset, Color::Red, Color::White, Color::Blue};

  Size size{17, 6};
  PipedTerminal t(size);
  Buffer shown(Rect{0, 0, size.width, size.height});
  for (int frame = 0; frame < 400; ++frame) {
    if (pick(40) == 0) {
      size = {5 + pick(20), 2 + pick(8)};
      t.pty.resize(size);
      t.console.resize(size);
      shown.resize(Rect{0, 0, size.width, size.height});
    }
    const int changes = pick(4) == 0 ? size.width * size.height : pick(6);
    for (int i = 0; i < changes; ++i) {
      shown.at({pick(size.width), pick(size.height)}) =
          Cell{SYMBOLS[pick(7)], COLOURS[pick(5)], pick(4) == 0 ? COLOURS[pick(5)] : Color::Reset};
    }
    t.draw(shown);
    ASSERT_EQ(t.console.mismatch(shown), "") << "frame " << frame;
  }
}

// How the writer gets from one cell to the next. Each case draws `before`
// on a screen it knows (after an erase) or not, and then `after`; the bytes
// of the second draw are compared, less the colour reset at their end.
struct Move {
  std::string name;
  bool erased;
  std::vector<CellUpdate> before;
  std::vector<CellUpdate> after;
  std::string expected;
};

class AnsiMoves : public ::testing::TestWithParam<Move> {};

CellUpdate at(int x, int y, char32_t symbol = U'b', Color fg = Color::Reset,
              Color bg = Color::Reset) {
  return {{x, y}, Cell{symbol, fg, bg}};
}

TEST_P(AnsiMoves, TakeTheShortestWayTheConsoleIsSureToFollow) {
  const Move& move = GetParam();
  Pipe pipe;
  Pty pty({80, 24});
  AnsiBackend backend(pipe.write, pty.slave);
  ASSERT_TRUE(backend.size());
  if (move.erased) {
    ASSERT_TRUE(backend.clear());
  }
  if (!move.before.empty()) {
    ASSERT_TRUE(backend.draw(move.before));
    ASSERT_TRUE(backend.flush());
    pipe.take();
  }

  ASSERT_TRUE(backend.draw(move.after));
  ASSERT_TRUE(backend.flush());
  const std::string bytes = pipe.take();
  ASSERT_TRUE(bytes.ends_with("\x1b[m"));
  EXPECT_EQ(bytes.substr(0, bytes.size() - 3), move.expected);
}

INSTANTIATE_TEST_SUITE_P(
    CursorAndColours, AnsiMoves,
    ::testing::Values(
        Move{"TheNextCellNeedsNoMove", true, {at(5, 3, 'a')}, {at(6, 3)}, "b"},
        Move{"AShortGapOfKnownBlanksIsWrittenOver", true, {at(5, 3, 'a')}, {at(8, 3)}, "  b"},
        Move{"AGapOfUnknownCellsIsMovedOver", false, {at(5, 3, 'a')}, {at(8, 3)}, "\x1b[9Gb"},
        Move{"AGapHoldingAnotherColourIsMovedOver",
             true,
             {at(7, 3, 'x', Color::Red), at(5, 3, 'a')},
             {at(8, 3)},
             "\x1b[9Gb"},
        Move{"AGapOfLikeColouredTextIsWrittenOver",
             true,
             {at(7, 3, 'x', Color::Red)},
             {at(5, 3, 'a', Color::Red), at(8, 3, 'b', Color::Red)},
             "\b\b\b\x1b[31ma xb"},
        Move{"ALongGapOnTheRowMovesForward", true, {at(50, 3, 'a')}, {at(60, 3)}, "\x1b[9Cb"},
        Move{"AFewCellsBackAreBackspaces", true, {at(50, 3, 'a')}, {at(48, 3)}, "\b\b\bb"},
        Move{"MoreCellsBackAreOneCount", true, {at(50, 3, 'a')}, {at(45, 3)}, "\x1b[6Db"},
        Move{"TheRowsStartIsACarriageReturn", true, {at(50, 3, 'a')}, {at(0, 3)}, "\rb"},
        Move{"NearTheRowsStartIsAReturnAndBlanks", true, {at(50, 3, 'a')}, {at(2, 3)}, "\r  b"},
        Move{"TheNextRowsStartIsALineFeedAndAReturn", true, {at(50, 3, 'a')}, {at(0, 4)}, "\n\rb"},
        Move{"StraightDownIsLineFeeds", true, {at(10, 3, 'a')}, {at(11, 5)}, "\n\nb"},
        Move{"FarDownIsOneCount", true, {at(10, 3, 'a')}, {at(11, 20)}, "\x1b[17Bb"},
        Move{"StraightUpIsOneCount", true, {at(10, 5, 'a')}, {at(11, 3)}, "\x1b[2Ab"},
        Move{"FarAwayIsAbsolute", true, {at(70, 20, 'a')}, {at(3, 2)}, "\x1b[3;4Hb"},
        Move{"AfterTheLastColumnOnlyAbsoluteMovesAreSafe",
             true,
             {at(79, 3, 'a')},
             {at(0, 4)},
             "\x1b[5Hb"},
        Move{
            "TheHomeCellHasTheShortestAbsoluteForm", true, {at(79, 3, 'a')}, {at(0, 0)}, "\x1b[Hb"},
        Move{"FromAnUnknownCursorTheMoveIsAbsolute", false, {}, {at(6, 1)}, "\x1b[2;7H\x1b[mb"},
        Move{"ForegroundAndBackgroundChangeInOneSequence",
             true,
             {at(5, 3, 'a')},
             {at(6, 3, 'b', Color::Red, Color::Blue)},
             "\x1b[31;44mb"},
        Move{"ABlankOnTheDefaultBackgroundKeepsTheColours",
             true,
             {at(5, 3, 'a')},
             {at(6, 3, 'b', Color::Green), at(7, 3, ' ')},
             "\x1b[32mb "},
        Move{"BackToTheDefaultsIsAReset",
             true,
             {at(5, 3, 'a')},
             {at(6, 3, 'b', Color::Green, Color::Red), at(7, 3, 'c')},
             "\x1b[32;41mb\x1b[mc"},
        Move{"OnlyTheColourThatChangesIsSent",
             true,
             {at(5, 3, 'a')},
             {at(6, 3, 'b', Color::White, Color::Blue), at(7, 3, 'c', Color::Yellow, Color::Blue)},
             "\x1b[97;44mb\x1b[33mc"}),
    case_name<Move>);

}  // namespace
}  // namespace tui
