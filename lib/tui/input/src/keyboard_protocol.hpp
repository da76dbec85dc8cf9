// The keyboard protocol's key form, `ESC [ code ; modifiers u`, with the
// shifted key and the event kind as extra parts.
#pragma once

#include <optional>

#include "csi_parameters.hpp"
#include "tui/input/events.hpp"

namespace tui::detail {

std::optional<KeyEvent> keyboard_protocol_key(const CsiParameters& p);

}  // namespace tui::detail
