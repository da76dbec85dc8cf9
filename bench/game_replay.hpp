// The session's frames built in-process from the game's own code: the rules,
// the key handler and the drawing, with no terminal and no clock.
#pragma once

#include <functional>
#include <vector>

#include "session_script.hpp"
#include "tui/screen/buffer.hpp"
#include "tui/screen/geometry.hpp"

namespace bench {

using FrameSink = std::function<void(const tui::Buffer& frame, FrameKind kind)>;

// Hands over each frame the game draws for `steps` on a screen of `size`, the
// first frame included, in order. The buffer is only valid during the call.
void replay_session(const std::vector<Step>& steps, tui::Size size, const FrameSink& sink);

}  // namespace bench
