// The picture of the game for each phase: the bordered playfield while playing, a
// centred text otherwise.
#pragma once

#include "game.hpp"
#include "tui/screen/buffer.hpp"
#include "tui/screen/frame.hpp"

// The net: a dotted vertical line across the middle of the field, in world units.
inline constexpr double NET_X = 25.0;
inline constexpr double NET_TOP_Y = 14.5;
inline constexpr double NET_BOTTOM_Y = 0.5;

// Draws the whole frame: while playing the playfield, otherwise the phase's text in the
// overlay area of an otherwise blank screen.
void draw_screen(const GameState& state, tui::Frame& frame);

// The centred rectangle that holds the pause and end-of-game texts: 60 percent of the
// area's width and 20 percent of its height, each taken down to whole cells, with the
// cells left over shared on both sides and an odd one going to the right or below.
tui::Rect overlay_area(tui::Rect area);

// Draws the bordered frame with the score title, the paddles and the ball inside it, and
// last the net over the whole frame area.
void draw_playfield(const GameState& state, tui::Rect frame_area, tui::Buffer& buffer);
