// The main loop: draw a frame, wait for the first of the next tick and the
// next input item, handle that one thing, and turn again.
#pragma once

#include <asio/awaitable.hpp>
#include <expected>

#include "game.hpp"
#include "report/report.hpp"
#include "tui/terminal/event_source.hpp"
#include "tui/terminal/signals.hpp"
#include "tui/terminal/terminal.hpp"

using RunResult = std::expected<void, report::Report>;

// Runs until a quit key clears `running` or an ending signal comes (success),
// or a frame cannot be drawn or the terminal's input ends (the report of
// that failure). Before returning
// it releases the tick timer, then closes the terminal object, then the event source.
// After a stop and continue, the ticks start afresh from that moment: none
// missed while stopped is played. The parts stay the caller's, so that what
// the loop did can be looked at after it returns.
asio::awaitable<RunResult> run(tui::EventSource& events, GameState& state, tui::Terminal& terminal,
                               tui::Signals& signals);
