// The signals a program that owns the console must answer: requests to end
// (SIGTERM, SIGHUP, SIGINT, SIGQUIT) and job control (SIGTSTP, SIGCONT).
//
// They are caught on the Asio reactor, not in a signal handler, so that the
// program can end or pause through its ordinary code: an ending signal is
// recorded for the main loop to finish on, and a stop request gives the
// console back and stops the process. A continue alone is counted by a
// handler of its own the moment the process runs again, so that the main
// loop sees it before it takes another tick; the loop then takes the
// console over again through take_continued.
#pragma once

#include <asio/any_io_executor.hpp>
#include <memory>
#include <optional>

#include "tui/terminal/wake_up.hpp"

namespace tui {

class Signals {
 public:
  explicit Signals(const asio::any_io_executor& executor);
  Signals(Signals&&) noexcept = default;
  Signals& operator=(Signals&&) noexcept = default;
  Signals(const Signals&) = delete;
  Signals& operator=(const Signals&) = delete;
  ~Signals();

  // The first ending signal received, if any.
  [[nodiscard]] std::optional<int> termination() const;

  // True once after each time the process continued from a stop (several
  // continues not yet taken count as one), and then the console is taken
  // over again: it was someone else's meanwhile, so the screen must be
  // drawn anew, and the time stopped is no time the game was seen.
  [[nodiscard]] bool take_continued();

  // True when an ending signal came or a continue is not yet taken. A
  // continue shows here as soon as the process runs again, without waiting
  // for the reactor.
  [[nodiscard]] bool pending() const;

  // Ends when a signal may have made pending() true, or when it is cancelled.
  WakeUp wait();

  // Stops catching these signals: their default actions are back.
  void close();

 private:
  struct State;
  std::shared_ptr<State> state_;
};

// Ends the process as `signal` does by default, for a program that caught it
// to shut down first. Falls back to the shell's 128 + signal status.
[[noreturn]] void end_as_signal(int signal);

}  // namespace tui
