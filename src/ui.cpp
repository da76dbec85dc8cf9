#include "ui.hpp"

#include <fmt/format.h>

#include <utility>
#include <vector>

#include "tui/widgets/block.hpp"
#include "tui/widgets/canvas.hpp"
#include "tui/widgets/clear.hpp"
#include "tui/widgets/layout.hpp"
#include "tui/widgets/paragraph.hpp"

namespace {

// Both layers show the same world, so a world point is the same place on the field in each.
constexpr tui::Bounds FIELD_X_BOUNDS{0.0, FIELD_WIDTH};
constexpr tui::Bounds FIELD_Y_BOUNDS{0.0, FIELD_HEIGHT};

tui::Block game_frame(const GameState& state) {
  return tui::Block{
      .borders = tui::Borders::ALL,
      .title = fmt::format("Rallix | {} - {}", state.player_score, state.computer_score),
  };
}

// The ball first, so that a paddle painted over it hides it.
void paint_ball_and_paddles(const GameState& state, tui::Painter& painter) {
  painter.draw(tui::Points{{{state.ball_x, state.ball_y}}, tui::Color::Yellow});
  painter.draw(tui::Rectangle{state.player_paddle_x, state.player_paddle_y, PADDLE_WIDTH,
                              PADDLE_HEIGHT, tui::Color::Green});
  painter.draw(tui::Rectangle{state.computer_paddle_x, state.computer_paddle_y, PADDLE_WIDTH,
                              PADDLE_HEIGHT, tui::Color::Red});
}

void paint_net(tui::Painter& painter) {
  painter.draw(tui::Line{NET_X, NET_TOP_Y, NET_X, NET_BOTTOM_Y, tui::Color::White});
}

void draw_overlay(tui::Frame& frame, tui::Rect area, std::vector<tui::TextLine> lines) {
  frame.render_widget(tui::Clear{}, area);
  frame.render_widget(
      tui::Paragraph{
          .lines = std::move(lines),
          .alignment = tui::Alignment::Center,
          .block = tui::Block{},
      },
      area);
}

}  // namespace

tui::Rect overlay_area(tui::Rect area) {
  const tui::Rect column = tui::Layout::horizontal({tui::Constraint::Percentage(60)})
                               .flex(tui::Flex::Center)
                               .split(area)[0];
  return tui::Layout::vertical({tui::Constraint::Percentage(20)})
      .flex(tui::Flex::Center)
      .split(column)[0];
}

void draw_playfield(const GameState& state, tui::Rect frame_area, tui::Buffer& buffer) {
  const tui::Canvas playfield{
      .x_bounds = FIELD_X_BOUNDS,
      .y_bounds = FIELD_Y_BOUNDS,
      .marker = tui::Marker::Block,
      .background_color = tui::Color::Reset,
      .block = game_frame(state),
      .paint = [&state](tui::Painter& painter) { paint_ball_and_paddles(state, painter); },
  };
  // Drawn last over the whole frame: its default background also takes back the colour
  // that the block marker gave the paddle and ball cells' backgrounds.
  const tui::Canvas net{
      .x_bounds = FIELD_X_BOUNDS,
      .y_bounds = FIELD_Y_BOUNDS,
      .marker = tui::Marker::Dot,
      .background_color = tui::Color::Reset,
      .block = std::nullopt,
      .paint = paint_net,
  };
  playfield.render(frame_area, buffer);
  net.render(frame_area, buffer);
}

void draw_screen(const GameState& state, tui::Frame& frame) {
  const tui::Rect frame_area =
      tui::Layout::horizontal({tui::Constraint::Percentage(100)}).split(frame.area())[0];
  const tui::Rect overlay = overlay_area(frame_area);
  switch (state.phase) {
    case GamePhase::Playing:
      draw_playfield(state, frame_area, frame.buffer());
      return;
    case GamePhase::Paused:
      draw_overlay(frame, overlay,
                   tui::split_lines(fmt::format("Paused\nScore: {} - {}", state.player_score,
                                                state.computer_score)));
      return;
    case GamePhase::Won:
      draw_overlay(frame, overlay, {{"You win!", tui::Style::foreground(tui::Color::Green)}});
      return;
    case GamePhase::Lost:
      draw_overlay(frame, overlay, {{"You lose!", tui::Style::foreground(tui::Color::Red)}});
      return;
  }
}
