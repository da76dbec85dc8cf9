// The key handler: turns one input item into a change of the game record.
#pragma once

#include "game.hpp"
#include "tui/input/events.hpp"

// Acts on key presses only; every other item, and every key without a
// binding, leaves `state` as it was. It never waits and never fails.
void handle_input_item(GameState& state, const tui::InputItem& item);
