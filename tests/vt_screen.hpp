// A small model of a VT-style console for tests: it is fed the bytes a back
// end wrote and shows what a real console would show. It knows only the
// sequences the program is meant to send, and records anything else, or any
// move a console could take differently (a scroll off the last row), as an error.
// It has no alternate screen: the switch to and from it changes nothing, as
// on a console without one or with it turned off, so whatever the program
// leaves on the screen, and whatever was there before, stays in view.
#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "tui/screen/buffer.hpp"
#include "tui/screen/utf8.hpp"

namespace tui::testing {

class VtScreen {
 public:
  // The cursor and the colours in force start somewhere odd on purpose: a
  // writer must not count on them.
  explicit VtScreen(Size size, Position cursor = {3, 2}, Color fg = Color::Magenta,
                    Color bg = Color::Blue)
      : screen_(Rect{0, 0, size.width, size.height}), cursor_(cursor), fg_(fg), bg_(bg) {}

  // A new window size; the old contents become junk, as after a console's reflow.
  void resize(Size size) {
    screen_.resize(Rect{0, 0, size.width, size.height});
    for (int y = 0; y < size.height; ++y) {
      screen_.set_string({0, y}, std::string(static_cast<std::size_t>(size.width), '#'), {},
                         size.width);
    }
    cursor_ = {std::min(cursor_.x, size.width - 1), std::min(cursor_.y, size.height - 1)};
    pending_wrap_ = false;
  }

  // Shows `text` over and over in every cell, as a shell's old output shows
  // before the program starts.
  void fill(std::string_view text) {
    const Rect area = screen_.area();
    std::u32string symbols;
    for (std::string_view rest = text; !rest.empty();) {
      symbols += pop_code_point(rest);
    }
    std::size_t next = 0;
    for (int y = 0; y < area.height; ++y) {
      for (int x = 0; x < area.width; ++x) {
        screen_.at({x, y}) = Cell{symbols[next++ % symbols.size()], fg_, bg_};
      }
    }
  }

  void feed(std::string_view bytes) {
    while (!bytes.empty()) {
      const char c = bytes.front();
      if (c == '\x1b') {
        bytes.remove_prefix(1);
        control_sequence(bytes);
      } else if (c == '\r') {
        bytes.remove_prefix(1);
        cursor_.x = 0;
        pending_wrap_ = false;
      } else if (c == '\b') {
        bytes.remove_prefix(1);
        cursor_.x = std::max(cursor_.x - 1, 0);
        pending_wrap_ = false;
      } else if (c == '\n') {
        bytes.remove_prefix(1);
        line_feed();
      } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
        bytes.remove_prefix(1);
        error("control byte " + std::to_string(static_cast<int>(c)));
      } else {
        print(pop_code_point(bytes));
      }
    }
  }

  // "" when the screen shows `expected` (a blank's foreground does not show),
  // else the first cell that differs.
  std::string mismatch(const Buffer& expected) const {
    if (expected.area() != screen_.area()) {
      return "the sizes differ";
    }
    for (int y = 0; y < screen_.area().height; ++y) {
      for (int x = 0; x < screen_.area().width; ++x) {
        const Cell& want = expected.at({x, y});
        const Cell& got = screen_.at({x, y});
        const bool same = want.symbol == got.symbol && want.bg == got.bg &&
                          (want.symbol == U' ' || want.fg == got.fg);
        if (!same) {
          return "row " + std::to_string(y) + " column " + std::to_string(x) + ": shows " +
                 describe(got) + ", expected " + describe(want);
        }
      }
    }
    return "";
  }

  const Buffer& screen() const { return screen_; }
  const std::vector<std::string>& errors() const { return errors_; }
  // The absolute moves (CUP, CHA) to a place beyond the screen, such as
  // "[25;1H", in the order sent. A console keeps the cursor at its edge.
  const std::vector<std::string>& moves_off_screen() const { return moves_off_screen_; }
  int printed() const { return printed_; }
  int erases() const { return erases_; }
  bool cursor_visible() const { return cursor_visible_; }
  Position cursor() const { return cursor_; }

 private:
  static std::string describe(const Cell& cell) {
    std::string text = "'";
    append_utf8(text, cell.symbol);
    return text + "' fg " + std::to_string(static_cast<int>(cell.fg)) + " bg " +
           std::to_string(static_cast<int>(cell.bg));
  }

  void error(std::string what) { errors_.push_back(std::move(what)); }

  void print(char32_t symbol) {
    const Rect area = screen_.area();
    if (pending_wrap_) {
      pending_wrap_ = false;
      cursor_.x = 0;
      if (cursor_.y + 1 >= area.height) {
        error("wrapped off the last row");
        return;
      }
      ++cursor_.y;
    }
    screen_.at(cursor_) = Cell{symbol, fg_, bg_};
    ++printed_;
    if (cursor_.x + 1 < area.width) {
      ++cursor_.x;
    } else {
      pending_wrap_ = true;
    }
  }

  void line_feed() {
    pending_wrap_ = false;
    if (cursor_.y + 1 >= screen_.area().height) {
      error("line feed on the last row scrolls");
      return;
    }
    ++cursor_.y;
  }

  void control_sequence(std::string_view& bytes) {
    if (bytes.empty() || bytes.front() != '[') {
      error("escape without [");
      return;
    }
    bytes.remove_prefix(1);
    const bool private_mode = !bytes.empty() && bytes.front() == '?';
    // The keyboard protocol's flags, pushed (ESC[>Nu) and popped (ESC[<u),
    // change no cell.
    const bool keyboard_flags = !bytes.empty() && (bytes.front() == '>' || bytes.front() == '<');
    if (private_mode || keyboard_flags) {
      bytes.remove_prefix(1);
    }
    std::vector<int> params{0};
    std::vector<bool> given{false};
    while (!bytes.empty() &&
           (std::isdigit(static_cast<unsigned char>(bytes.front())) != 0 || bytes.front() == ';')) {
      if (bytes.front() == ';') {
        params.push_back(0);
        given.push_back(false);
      } else {
        params.back() = params.back() * 10 + (bytes.front() - '0');
        given.back() = true;
      }
      bytes.remove_prefix(1);
    }
    if (bytes.empty()) {
      error("unfinished control sequence");
      return;
    }
    const char final = bytes.front();
    bytes.remove_prefix(1);
    const auto param = [&](std::size_t i, int fallback) {
      return i < params.size() && given[i] && params[i] != 0 ? params[i] : fallback;
    };
    if (keyboard_flags) {
      if (final != 'u') {
        error("keyboard flags sequence " + std::string(1, final));
      }
    } else if (private_mode) {
      mode(params.front(), final);
    } else if (final == 'm') {
      for (std::size_t i = 0; i < params.size(); ++i) {
        colour(given[i] ? params[i] : 0);
      }
    } else {
      move(final, param(0, 1), param(1, 1), params.front());
    }
  }

  void mode(int number, char final) {
    const bool on = final == 'h';
    if (final != 'h' && final != 'l') {
      error("private sequence " + std::string(1, final));
    } else if (number == 25) {
      cursor_visible_ = on;
    } else if (number != 1049 && number != 2026) {
      error("private mode " + std::to_string(number));
    }
  }

  void colour(int code) {
    static constexpr Color PALETTE[] = {Color::Black, Color::Red,     Color::Green, Color::Yellow,
                                        Color::Blue,  Color::Magenta, Color::Cyan,  Color::Gray};
    static constexpr Color BRIGHT[] = {Color::DarkGray,    Color::LightRed,  Color::LightGreen,
                                       Color::LightYellow, Color::LightBlue, Color::LightMagenta,
                                       Color::LightCyan,   Color::White};
    if (code == 0) {
      fg_ = bg_ = Color::Reset;
    } else if (code >= 30 && code <= 37) {
      fg_ = PALETTE[code - 30];
    } else if (code >= 90 && code <= 97) {
      fg_ = BRIGHT[code - 90];
    } else if (code == 39) {
      fg_ = Color::Reset;
    } else if (code >= 40 && code <= 47) {
      bg_ = PALETTE[code - 40];
    } else if (code >= 100 && code <= 107) {
      bg_ = BRIGHT[code - 100];
    } else if (code == 49) {
      bg_ = Color::Reset;
    } else {
      error("colour code " + std::to_string(code));
    }
  }

  void move(char final, int n, int second, int raw) {
    const Rect area = screen_.area();
    pending_wrap_ = false;
    switch (final) {
      case 'H':
        if (n > area.height || second > area.width) {
          moves_off_screen_.push_back("[" + std::to_string(n) + ";" + std::to_string(second) + "H");
        }
        cursor_ = {std::min(second, area.width) - 1, std::min(n, area.height) - 1};
        break;
      case 'G':
        if (n > area.width) {
          moves_off_screen_.push_back("[" + std::to_string(n) + "G");
        }
        cursor_.x = std::min(n, area.width) - 1;
        break;
      case 'C':
        cursor_.x = std::min(cursor_.x + n, area.width - 1);
        break;
      case 'D':
        cursor_.x = std::max(cursor_.x - n, 0);
        break;
      case 'A':
        cursor_.y = std::max(cursor_.y - n, 0);
        break;
      case 'B':
        cursor_.y = std::min(cursor_.y + n, area.height - 1);
        break;
      case 'J':
        if (raw != 2) {
          error("partial erase");
        }
        ++erases_;
        for (int y = 0; y < area.height; ++y) {
          for (int x = 0; x < area.width; ++x) {
            screen_.at({x, y}) = Cell{U' ', Color::Reset, bg_};
          }
        }
        break;
      default:
        error("control sequence " + std::string(1, final));
    }
  }

  Buffer screen_;
  Position cursor_;
  Color fg_;
  Color bg_;
  bool pending_wrap_ = false;
  bool cursor_visible_ = true;
  int printed_ = 0;
  int erases_ = 0;
  std::vector<std::string> errors_;
  std::vector<std::string> moves_off_screen_;
};

}  // namespace tui::testing
