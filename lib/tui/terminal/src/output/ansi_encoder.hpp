// Turns cell updates into the fewest bytes of ANSI escape sequences.
//
// It keeps what it knows of the console (where the cursor stands, which
// colours are in force, what each cell shows) across frames, and says
// "unknown" wherever the console could have gone its own way, so that every
// shortcut it takes is one the console is sure to follow.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "output/candidate_bytes.hpp"
#include "tui/screen/buffer.hpp"
#include "tui/screen/geometry.hpp"
#include "tui/screen/style.hpp"

namespace tui::detail {

class AnsiEncoder {
 public:
  // The console's size. A new size forgets the cursor and the screen, since
  // consoles move and rewrap both when they are resized.
  void set_screen_size(Size size);

  // Erases the screen in the default colours.
  void erase_screen(std::string& out);

  // Writes the cells, then resets the colours. Cells outside the screen are
  // dropped: the console could not show them, and writing there would leave
  // the cursor somewhere no one can predict.
  void draw(std::span<const CellUpdate> updates, std::string& out);

  // Forgets everything: the bytes sent since the last flush may never have
  // arrived, or something else has written to the console.
  void forget();

 private:
  struct ScreenCell {
    Cell cell;
    bool known = false;
  };

  void put(const CellUpdate& update, std::string& out);
  void move_to(Position target, std::string& out);
  CandidateBytes shortest_along_row(Position target, std::size_t limit) const;
  void add_rewrite(CandidateBytes& move, int y, int from_x, int to_x) const;
  bool shows_as_written(const ScreenCell& cell) const;
  void set_colours(const Cell& cell, std::string& out);
  void reset_colours(std::string& out);

  bool on_screen(Position p) const {
    return p.x >= 0 && p.y >= 0 && p.x < size_.width && p.y < size_.height;
  }
  ScreenCell& screen_at(Position p) { return screen_[cell_index(p, size_.width)]; }
  const ScreenCell& screen_at(Position p) const { return screen_[cell_index(p, size_.width)]; }

  Size size_;
  std::vector<ScreenCell> screen_;
  std::optional<Position> cursor_;
  std::optional<Color> fg_;
  std::optional<Color> bg_;
};

}  // namespace tui::detail
