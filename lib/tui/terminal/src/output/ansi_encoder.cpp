#include "output/ansi_encoder.hpp"

#include <algorithm>
#include <charconv>

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

int symbol_bytes(char32_t symbol) {
  const char32_t s = printable(symbol);
  return s < 0x80 ? 1 : s < 0x800 ? 2 : s < 0x10000 ? 3 : 4;
}

void append_symbol(std::string& out, char32_t symbol) {
  append_utf8(out, printable(symbol));
}

void append_number(std::string& out, int n) {
  char digits[12];
  const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
  out.append(digits, end);
}

int digit_count(int n) {
  int count = 1;
  for (; n >= 10; n /= 10) {
    ++count;
  }
  return count;
}

// ESC [ n final, where a count of 1 is the parameter's default and is left out.
int csi_cost(int n) {
  return n == 1 ? 3 : 3 + digit_count(n);
}

void append_csi(std::string& out, int n, char final) {
  out += "\x1b[";
  if (n != 1) {
    append_number(out, n);
  }
  out += final;
}

// ESC [ row ; column H, with the short forms for column 1 and for the home cell.
int absolute_cost(Position p) {
  if (p.x == 0) {
    return p.y == 0 ? 3 : 3 + digit_count(p.y + 1);
  }
  return 4 + digit_count(p.y + 1) + digit_count(p.x + 1);
}

void append_absolute(std::string& out, Position p) {
  out += "\x1b[";
  if (p.x != 0 || p.y != 0) {
    append_number(out, p.y + 1);
  }
  if (p.x != 0) {
    out += ';';
    append_number(out, p.x + 1);
  }
  out += 'H';
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

void AnsiEncoder::move_to(Position target, std::string& out) {
  if (cursor_ == target) {
    return;
  }
  const Move move = cursor_ ? plan_move(*cursor_, target) : Move{absolute_cost(target), true};
  if (move.absolute) {
    append_absolute(out, target);
    cursor_ = target;
    return;
  }
  const int dy = target.y - cursor_->y;
  switch (move.vertical) {
    case Vertical::None:
      break;
    case Vertical::LineFeeds:
      out.append(static_cast<std::size_t>(dy), '\n');
      break;
    case Vertical::Down:
      append_csi(out, dy, 'B');
      break;
    case Vertical::Up:
      append_csi(out, -dy, 'A');
      break;
  }
  const int from_x = cursor_->x;
  const auto rewrite = [&](int from, int to) {
    for (int x = from; x < to; ++x) {
      append_symbol(out, screen_at({x, target.y}).cell.symbol);
    }
  };
  switch (move.horizontal) {
    case Horizontal::None:
      break;
    case Horizontal::CarriageReturn:
      out += '\r';
      break;
    case Horizontal::Column:
      append_csi(out, target.x + 1, 'G');
      break;
    case Horizontal::Forward:
      append_csi(out, target.x - from_x, 'C');
      break;
    case Horizontal::Back:
      append_csi(out, from_x - target.x, 'D');
      break;
    case Horizontal::Backspaces:
      out.append(static_cast<std::size_t>(from_x - target.x), '\b');
      break;
    case Horizontal::Rewrite:
      rewrite(from_x, target.x);
      break;
    case Horizontal::ReturnThenForward:
      out += '\r';
      append_csi(out, target.x, 'C');
      break;
    case Horizontal::ReturnThenRewrite:
      out += '\r';
      rewrite(0, target.x);
      break;
  }
  cursor_ = target;
}

// The cheapest way there: absolute, or a vertical step and then a horizontal
// one. Line feeds only move down because output post-processing is off, and
// they are only ever sent towards a lower row, never from the last one.
// Backspaces and relative moves are only sent from a known cursor, never
// from the pending wrap after the last column, where consoles disagree.
AnsiEncoder::Move AnsiEncoder::plan_move(Position from, Position target) const {
  const Move absolute{absolute_cost(target), true};
  Move vertical;
  const int dy = target.y - from.y;
  if (dy > 0) {
    vertical = dy <= csi_cost(dy) ? Move{dy, false, Vertical::LineFeeds}
                                  : Move{csi_cost(dy), false, Vertical::Down};
  } else if (dy < 0) {
    vertical = {csi_cost(-dy), false, Vertical::Up};
  }
  if (vertical.cost >= absolute.cost) {
    return absolute;
  }
  const Move horizontal = plan_horizontal(from.x, target, absolute.cost - vertical.cost);
  if (vertical.cost + horizontal.cost >= absolute.cost) {
    return absolute;
  }
  return {vertical.cost + horizontal.cost, false, vertical.vertical, horizontal.horizontal};
}

// The cheapest way along the target's row, if one costs less than `limit`
// (otherwise the result costs `limit`).
AnsiEncoder::Move AnsiEncoder::plan_horizontal(int from_x, Position target, int limit) const {
  const int x = target.x;
  if (x == from_x) {
    return {};
  }
  Move best{limit};
  const auto consider = [&best](int cost, Horizontal kind) {
    if (cost < best.cost) {
      best = {cost, false, Vertical::None, kind};
    }
  };
  if (x == 0) {
    consider(1, Horizontal::CarriageReturn);
  } else {
    consider(csi_cost(x + 1), Horizontal::Column);
  }
  if (x > from_x) {
    consider(csi_cost(x - from_x), Horizontal::Forward);
    if (const auto cost = rewrite_cost(target.y, from_x, x, best.cost)) {
      consider(*cost, Horizontal::Rewrite);
    }
  } else {
    consider(csi_cost(from_x - x), Horizontal::Back);
    consider(from_x - x, Horizontal::Backspaces);
    if (x > 0) {
      consider(1 + csi_cost(x), Horizontal::ReturnThenForward);
      if (const auto cost = rewrite_cost(target.y, 0, x, best.cost - 1)) {
        consider(1 + *cost, Horizontal::ReturnThenRewrite);
      }
    }
  }
  return best;
}

// The bytes that write the cells from `from_x` up to `to_x` over again, if
// each is known to show what writing it now would show and the total stays
// below `limit`.
std::optional<int> AnsiEncoder::rewrite_cost(int y, int from_x, int to_x, int limit) const {
  int cost = 0;
  for (int x = from_x; x < to_x && cost < limit; ++x) {
    const ScreenCell& cell = screen_at({x, y});
    if (!shows_as_written(cell)) {
      return std::nullopt;
    }
    cost += symbol_bytes(cell.cell.symbol);
  }
  return cost < limit ? std::optional(cost) : std::nullopt;
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
