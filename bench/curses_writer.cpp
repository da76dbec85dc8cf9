#include <curses.h>
#include <unistd.h>

#include <array>
#include <clocale>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "frame_writer.hpp"

namespace bench {
namespace {

// The palette number of a colour, -1 being the terminal's default.
short colour_number(tui::Color c) {
  return static_cast<short>(static_cast<int>(c) - 1);
}

constexpr int COLOURS = static_cast<int>(tui::Color::White) + 1;

FILE* open_stream(int console, const char* mode) {
  FILE* stream = ::fdopen(::dup(console), mode);
  if (stream == nullptr) {
    throw std::runtime_error("fdopen failed");
  }
  return stream;
}

// One ncurses screen on the console, set up as a full-screen game would be.
class CursesScreen {
 public:
  explicit CursesScreen(int console)
      : out_(open_stream(console, "w")), in_(open_stream(console, "r")) {
    // Box drawing and block symbols need ncursesw in a UTF-8 locale.
    std::setlocale(LC_ALL, "C.UTF-8");
    // The size comes from the window, not from LINES and COLUMNS.
    use_env(TRUE);
    use_tioctl(TRUE);
    screen_ = newterm("xterm-256color", out_, in_);
    if (screen_ == nullptr) {
      close_streams();
      throw std::runtime_error("newterm failed");
    }
    set_term(screen_);
    raw();
    noecho();
    nonl();
    // No pending input may cut a refresh short: every frame is drawn whole.
    typeahead(-1);
    start_color();
    use_default_colors();
    curs_set(0);
    leaveok(stdscr, TRUE);
  }
  // The screen's size as ncurses sees it.
  tui::Size size() const { return {getmaxx(stdscr), getmaxy(stdscr)}; }
  ~CursesScreen() {
    endwin();
    delscreen(screen_);
    close_streams();
  }
  CursesScreen(const CursesScreen&) = delete;
  CursesScreen& operator=(const CursesScreen&) = delete;

 private:
  void close_streams() {
    std::fclose(out_);
    std::fclose(in_);
  }

  FILE* out_;
  FILE* in_;
  SCREEN* screen_ = nullptr;
};

class CursesWriter final : public FrameWriter {
 public:
  explicit CursesWriter(int console) : screen_(console) { pairs_.fill(-1); }

  void write(const tui::Buffer& frame) override {
    const tui::Rect area = frame.area();
    if (screen_.size() != area.size()) {
      throw std::runtime_error("ncurses took the screen for another size");
    }
    row_.resize(static_cast<std::size_t>(area.width));
    for (int y = area.top(); y < area.bottom(); ++y) {
      for (int x = area.left(); x < area.right(); ++x) {
        const tui::Cell& cell = frame.at({x, y});
        const wchar_t text[2] = {static_cast<wchar_t>(cell.symbol), L'\0'};
        setcchar(&row_[static_cast<std::size_t>(x - area.left())], text, A_NORMAL,
                 pair(cell.fg, cell.bg), nullptr);
      }
      wmove(stdscr, y, area.left());
      wadd_wchnstr(stdscr, row_.data(), area.width);
    }
    if (wrefresh(stdscr) == ERR) {
      throw std::runtime_error("refresh failed");
    }
  }

 private:
  // The colour pair of a colour combination, made the first time it is used.
  short pair(tui::Color fg, tui::Color bg) {
    if (fg == tui::Color::Reset && bg == tui::Color::Reset) {
      return 0;
    }
    short& number =
        pairs_[static_cast<std::size_t>(static_cast<int>(fg) * COLOURS + static_cast<int>(bg))];
    if (number < 0) {
      number = ++pairs_made_;
      init_pair(number, colour_number(fg), colour_number(bg));
    }
    return number;
  }

  CursesScreen screen_;
  std::vector<cchar_t> row_;
  std::array<short, COLOURS * COLOURS> pairs_{};
  short pairs_made_ = 0;
};

}  // namespace

std::unique_ptr<FrameWriter> make_curses_writer(int console) {
  return std::make_unique<CursesWriter>(console);
}

}  // namespace bench
