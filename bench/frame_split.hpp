// Cutting the game's output into frames: each frame ends with the one
// cursor-hide request that the draw cycle writes at its end.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace bench {

inline constexpr std::string_view HIDE_CURSOR = "\x1b[?25l";
// A large frame is wrapped in synchronized output, whose end comes after the
// cursor request and still belongs to that frame.
inline constexpr std::string_view END_SYNC = "\x1b[?2026l";

// Finds the ends of whole frames as output arrives: feed it the output so
// far each time more has come, and it returns the new ends (one past the
// cursor request), a request split across reads included.
class FrameEndFinder {
 public:
  std::vector<std::size_t> find(std::string_view output);

 private:
  std::size_t scanned_ = 0;
};

// The frames themselves, given their ends; what came before the first end
// (entering game mode) counts to the first frame, and what follows the last
// (giving the console back) to none.
std::vector<std::string_view> split_frames(std::string_view output,
                                           const std::vector<std::size_t>& ends);

}  // namespace bench
