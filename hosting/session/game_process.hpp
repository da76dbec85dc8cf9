// The game of one connection: started under limits that keep one player's
// game from hurting the others or the host, and ended when it has run its
// time or its session is told to end.
#pragma once

#include <chrono>
#include <cstdint>
#include <expected>
#include <string>

#include "slots.hpp"

namespace session {

// What the game runs under.
inline constexpr std::uint64_t ADDRESS_SPACE = 256ull << 20;
inline constexpr std::uint64_t OPEN_FILES = 32;
inline constexpr int NICENESS = 10;
// How long a game that was asked to end may take before it is killed.
inline constexpr std::chrono::seconds END_GRACE{2};

struct GameLaunch {
  std::string binary;                    // the game's executable
  std::string term;                      // the client's TERM, or empty for none
  std::chrono::seconds max_play_time{};  // then SIGTERM
};

// The client's TERM when it is a plain terminal name, else nothing: it is
// the one value of the client's environment that reaches the game.
std::string sanitized_term(const char* term);

// Runs the game on this process's terminal, as a child named after its
// binary, holding `slot` too, and waits for it to end. SIGHUP, SIGINT,
// SIGQUIT and SIGTERM sent to this process go on to the game. Returns the
// game's raw wait status, or why it could not start.
std::expected<int, std::string> play(const GameLaunch& launch, const Slot& slot);

// Ends this process the way the game ended: with its exit status, or by the
// same signal (without a core file).
[[noreturn]] void end_like(int wait_status);

}  // namespace session
