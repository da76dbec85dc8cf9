// Reading away the terminal's answers before the console is given back, on a
// simulated clock: nothing here sleeps.
#include "console/reply_drain.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "case_name.hpp"

namespace tui::detail {
namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;

// What the terminal sends, and when, counted from the queries.
struct Arrival {
  milliseconds at;
  std::string bytes;  // empty: the terminal hangs up
};

// A terminal's input on a clock that moves only while the drain waits.
class ScriptedInput final : public ReplyInput {
 public:
  ScriptedInput(milliseconds start, std::vector<Arrival> arrivals)
      : now_(start), arrivals_(std::move(arrivals)) {}

  nanoseconds now() noexcept override { return now_; }

  std::ptrdiff_t read(std::span<char> buffer, nanoseconds timeout) noexcept override {
    ++reads_;
    if (next_ == arrivals_.size() || arrivals_[next_].at > now_ + timeout) {
      now_ += timeout;
      return 0;
    }
    Arrival& arrival = arrivals_[next_];
    now_ = std::max<nanoseconds>(now_, arrival.at);
    if (arrival.bytes.empty()) {
      return -1;
    }
    const std::size_t n = std::min(buffer.size(), arrival.bytes.size());
    std::copy_n(arrival.bytes.begin(), n, buffer.begin());
    arrival.bytes.erase(0, n);
    next_ += arrival.bytes.empty() ? 1 : 0;
    return static_cast<std::ptrdiff_t>(n);
  }

  // What the drain has not read.
  std::string unread() const {
    std::string rest;
    for (std::size_t i = next_; i < arrivals_.size(); ++i) {
      rest += arrivals_[i].bytes;
    }
    return rest;
  }
  int reads() const { return reads_; }

 private:
  nanoseconds now_;
  std::vector<Arrival> arrivals_;
  std::size_t next_ = 0;
  int reads_ = 0;
};

struct DrainCase {
  std::string name;
  milliseconds start;  // when the drain begins, counted from the queries
  std::vector<Arrival> arrivals;
  bool answered;
  milliseconds ends_at;
  std::string unread;
};

using case_printing::PrintTo;

class ReplyDrain : public ::testing::TestWithParam<DrainCase> {};

TEST_P(ReplyDrain, ReadsUpToTheAttributesAnswerOrUntilTheWaitIsOver) {
  const DrainCase& c = GetParam();
  ScriptedInput input(c.start, c.arrivals);
  EXPECT_EQ(drain_until_reply(input, REPLY_WAIT), c.answered);
  EXPECT_EQ(input.now(), c.ends_at);
  EXPECT_EQ(input.unread(), c.unread);
}

const std::string ATTRIBUTES = "\x1b[?62;22c";
const std::string FLAGS = "\x1b[?0u";

INSTANTIATE_TEST_SUITE_P(
    Answers, ReplyDrain,
    ::testing::Values(
        DrainCase{"AnswerOnItsWay", 10ms, {{40ms, ATTRIBUTES}}, true, 40ms, ""},
        DrainCase{"KeysAndTheFlagsAnswerGoFirst",
                  10ms,
                  {{15ms, "q"}, {20ms, FLAGS}, {30ms, ATTRIBUTES}},
                  true,
                  30ms,
                  ""},
        DrainCase{"AnswerSplitAcrossReads",
                  10ms,
                  {{20ms, "\x1b[?6"}, {21ms, "2;"}, {22ms, "22c"}},
                  true,
                  22ms,
                  ""},
        DrainCase{"AnswerAfterAnEscapeThatLedNowhere",
                  10ms,
                  {{20ms, "\x1b[?1\x1b"}, {21ms, ATTRIBUTES}},
                  true,
                  21ms,
                  ""},
        DrainCase{"AnswerInABiggerReadThanTheBuffer",
                  10ms,
                  {{20ms, std::string(1000, 'w') + ATTRIBUTES}},
                  true,
                  20ms,
                  ""},
        DrainCase{"OnlyTheFlagsAnswerIsNoEnd", 10ms, {{20ms, FLAGS}}, false, 100ms, ""},
        DrainCase{"LookAlikesAreNoEnd", 10ms, {{20ms, "\x1b[1c\x1b?1c[?1c"}}, false, 100ms, ""},
        DrainCase{"NeverAnswered", 10ms, {}, false, 100ms, ""},
        DrainCase{"AnsweredTooLate", 10ms, {{150ms, ATTRIBUTES}}, false, 100ms, ATTRIBUTES},
        DrainCase{"HungUp", 10ms, {{30ms, ""}, {40ms, ATTRIBUTES}}, false, 30ms, ATTRIBUTES}),
    case_name<DrainCase>);

TEST(ReplyDrain, PastTheWaitReadsNothingAndTakesNoTime) {
  ScriptedInput input(150ms, {{160ms, ATTRIBUTES}});
  EXPECT_FALSE(drain_until_reply(input, REPLY_WAIT));
  EXPECT_EQ(input.reads(), 0);
  EXPECT_EQ(input.now(), 150ms);
}

TEST(AttributesReplyScanner, FindsTheEndInAnyPiecesAndKeepsIt) {
  const std::string stream = "w" + FLAGS + "\x1b[A" + ATTRIBUTES + "q";
  for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
    AttributesReplyScanner scanner;
    const bool first = scanner.feed(std::string_view(stream).substr(0, cut));
    const bool second = scanner.feed(std::string_view(stream).substr(cut));
    EXPECT_EQ(first, cut >= stream.size() - 1) << "cut at " << cut;
    EXPECT_TRUE(second) << "cut at " << cut;
  }
}

}  // namespace
}  // namespace tui::detail
