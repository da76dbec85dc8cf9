#include "output/ansi_encoder.hpp"

#include <algorithm>
#include <charconv>

#include "output/candidate_bytes.hpp"
#include "tui/screen/utf8.hpp"

namespace tui::detail {
namespace {

// What is sent for a symbol: a control character or a code point that UTF-8
// cannot carry would be taken as a command or garble the stream, so it
// shows as the replacement character instead.
char32_t printable(char32_t symbol) {
  const bool control = symbol < 0x20 || (symbol >= 0x7F && symbol < 0xA0);
  const bool surrogate = symbol >= 0xD800 && symbol < 0xE000;
  return control || surrogate || symbol > 0x10FFFF ? U'\uFFFD' : symbol;
}

void append_symbol(std::string& out, char32_t symbol) {
  append_utf8(out, printable(symbol));
}

void add_symbol(CandidateBytes& bytes, char32_t symbol) {
  encode_utf8(printable(symbol), [&bytes](char c) { bytes.add(c); });
}

void append_number(std::string& out, int n) {
  char digits[12];
  const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
  out.append(digits, end);
}

// ESC [ n final, where a count of 1 is the parameter's default and is left out.
void add_csi(CandidateBytes& bytes, int n, char final) {
  bytes.add("\x1b[");
  if (n != 1) {
    bytes.add_number(n);
  }
  bytes.add(final);
}

// ESC [ row ; column H, with the short forms for column 1 and for the home cell.
void add_absolute(CandidateBytes& bytes, Position p) {
  bytes.add("\x1b[");
  if (p.x != 0 || p.y != 0) {
    bytes.add_number(p.y + 1);
  }
  if (p.x != 0) {
    bytes.add(';');
    bytes.add_number(p.x + 1);
  }
  bytes.add('H');
}

// Down by line feeds or by a count, whichever is shorter, or up by a count.
// Line feeds only move down because output post-processing is off.
CandidateBytes vertical_step(int dy) {
  CandidateBytes step;
  if (dy > 0) {
    CandidateBytes count;
    add_csi(count, dy, 'B');
    step.add_repeated('\n', dy);
    if (!step.fits() || count.size() < step.size()) {
      step = count;
    }
  } else if (dy < 0) {
    add_csi(step, -dy, 'A');
  }
  return step;
}

int fg_code(Color c) {
  const int i = static_cast<int>(c);
  return c == Color::Reset ? 39 : i <= static_cast<int>(Color::Gray) ? 29 + i : 81 + i;
}

int bg_code(Color c) {
  return fg_code(c) + 10;
}

// One SGR sequence: an optional reset, then the codes that are not 0.
std::string sgr(bool reset, int fg, int bg) {
  if (reset && fg == 0 && bg == 0) {
    return "\x1b[m";
  }
  std::string out = "\x1b[";
  bool first = true;
  const auto add = [&](const char* text, int code) {
    if (!first) {
      out += ';';
    }
    first = false;
    if (text != nullptr) {
      out += text;
    } else {
      append_number(out, code);
    }
  };
  if (reset) {
    add("0", 0);
  }
  if (fg != 0) {
    add(nullptr, fg);
  }
  if (bg != 0) {
    add(nullptr, bg);
  }
  out += 'm';
  return out;
}

}  // namespace

void AnsiEncoder::set_screen_size(Size size) {
  if (size == size_) {
    return;
  }
  size_ = size;
  screen_.assign(cell_count(size), ScreenCell{});
  cursor_.reset();
}

void AnsiEncoder::erase_screen(std::string& out) {
  // The erase fills with the background in force, so the colours go first.
  reset_colours(out);
  out += "\x1b[2J";
  // Some consoles home the cursor on an erase and some leave it.
  cursor_.reset();
  std::fill(screen_.begin(), screen_.end(), ScreenCell{BLANK_CELL, true});
}

void AnsiEncoder::draw(std::span<const CellUpdate> updates, std::string& out) {
  for (const CellUpdate& update : updates) {
    put(update, out);
  }
  reset_colours(out);
}

void AnsiEncoder::forget() {
  std::fill(screen_.begin(), screen_.end(), ScreenCell{});
  cursor_.reset();
  fg_.reset();
  bg_.reset();
}

void AnsiEncoder::put(const CellUpdate& update, std::string& out) {
  const Position p = update.position;
  if (!on_screen(p)) {
    return;
  }
  move_to(p, out);
  set_colours(update.cell, out);
  append_symbol(out, update.cell.symbol);
  screen_at(p) = {update.cell, true};
  // Writing the last column leaves the cursor waiting to wrap, and consoles
  // disagree on where the next move starts from then.
  if (p.x + 1 < size_.width) {
    cursor_ = Position{p.x + 1, p.y};
  } else {
    cursor_.reset();
  }
}

// Absolute, or a vertical step and then a horizontal one, if that is
// shorter: on a tie, the absolute move, which does not depend on the cursor.
// Line feeds are only sent towards a lower row, so never from the last one.
// Backspaces and relative moves are only sent from a known cursor, never
// from the pending wrap after the last column, where consoles disagree.
void AnsiEncoder::move_to(Position target, std::string& out) {
  if (cursor_ == target) {
    return;
  }
  CandidateBytes absolute;
  add_absolute(absolute, target);
  if (cursor_) {
    const CandidateBytes vertical = vertical_step(target.y - cursor_->y);
    if (vertical.size() < absolute.size()) {
      const CandidateBytes along = shortest_along_row(target, absolute.size() - vertical.size());
      if (along.fits()) {
        out += vertical.view();
        out += along.view();
        cursor_ = target;
        return;
      }
    }
  }
  out += absolute.view();
  cursor_ = target;
}

// The shortest way from the cursor's column to the target's along its row,
// if one is shorter than `limit`; otherwise a candidate that does not fit.
CandidateBytes AnsiEncoder::shortest_along_row(Position target, std::size_t limit) const {
  CandidateBytes best(limit);
  const int from_x = cursor_->x;
  const int x = target.x;
  if (x == from_x) {
    return best;
  }
  best.give_up();
  const auto consider = [&](const auto& add_move) {
    CandidateBytes move(best.fits() ? best.size() : limit);
    add_move(move);
    if (move.fits()) {
      best = move;
    }
  };
  if (x == 0) {
    consider([](CandidateBytes& move) { move.add('\r'); });
  } else {
    consider([x](CandidateBytes& move) { add_csi(move, x + 1, 'G'); });
  }
  const auto rewrite = [this, target](CandidateBytes& move, int start_x) {
    add_rewrite(move, target.y, start_x, target.x);
  };
  if (x > from_x) {
    consider([&](CandidateBytes& move) { add_csi(move, x - from_x, 'C'); });
    consider([&](CandidateBytes& move) { rewrite(move, from_x); });
    return best;
  }
  consider([&](CandidateBytes& move) { add_csi(move, from_x - x, 'D'); });
  consider([&](CandidateBytes& move) { move.add_repeated('\b', from_x - x); });
  if (x > 0) {
    consider([&](CandidateBytes& move) {
      move.add('\r');
      add_csi(move, x, 'C');
    });
    consider([&](CandidateBytes& move) {
      move.add('\r');
      rewrite(move, 0);
    });
  }
  return best;
}

// Writes the cells from `from_x` up to `to_x` over again, which moves the
// cursor there only if each is known to show what writing it now would show.
void AnsiEncoder::add_rewrite(CandidateBytes& move, int y, int from_x, int to_x) const {
  for (int x = from_x; x < to_x && move.fits(); ++x) {
    const ScreenCell& cell = screen_at({x, y});
    if (!shows_as_written(cell)) {
      move.give_up();
      return;
    }
    add_symbol(move, cell.cell.symbol);
  }
}

// A space shows no foreground, so only its background has to match.
bool AnsiEncoder::shows_as_written(const ScreenCell& cell) const {
  return cell.known && bg_ == cell.cell.bg && (cell.cell.symbol == U' ' || fg_ == cell.cell.fg);
}

void AnsiEncoder::set_colours(const Cell& cell, std::string& out) {
  const std::optional<Color> fg =
      cell.symbol == U' ' ? std::nullopt : std::optional<Color>(cell.fg);
  const bool change_fg = fg && fg_ != fg;
  const bool change_bg = bg_ != cell.bg;
  if (!change_fg && !change_bg) {
    return;
  }
  // Either only what changes, or a reset followed by what is not the default.
  std::string changes = sgr(false, change_fg ? fg_code(*fg) : 0, change_bg ? bg_code(cell.bg) : 0);
  std::string from_reset = sgr(true, fg && *fg != Color::Reset ? fg_code(*fg) : 0,
                               cell.bg != Color::Reset ? bg_code(cell.bg) : 0);
  if (changes.size() < from_reset.size()) {
    out += changes;
    if (change_fg) {
      fg_ = fg;
    }
  } else {
    out += from_reset;
    fg_ = fg.value_or(Color::Reset);
  }
  bg_ = cell.bg;
}

void AnsiEncoder::reset_colours(std::string& out) {
  out += "\x1b[m";
  fg_ = Color::Reset;
  bg_ = Color::Reset;
}

}  // namespace tui::detail
