#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <stdexcept>
#include <string>

#include "frame_writer.hpp"
#include "tui/screen/utf8.hpp"

namespace bench {
namespace {

// The SGR code of a foreground colour of the 16-colour palette; add 10 for
// the background.
int foreground_code(tui::Color c) {
  const int i = static_cast<int>(c);
  if (c == tui::Color::Reset) {
    return 39;
  }
  return i <= static_cast<int>(tui::Color::Gray) ? 29 + i : 81 + i;
}

void append_code(std::string& out, int code) {
  char digits[4];
  const auto end = std::to_chars(digits, digits + sizeof digits, code).ptr;
  out.append(digits, end);
}

void write_all(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno != EINTR) {
      throw std::runtime_error("write to the console failed");
    }
  }
}

class FullRedrawWriter final : public FrameWriter {
 public:
  explicit FullRedrawWriter(int console) : console_(console) {}

  void write(const tui::Buffer& frame) override {
    out_.assign("\x1b[H");
    tui::Cell colours;  // every frame starts in the default colours
    const tui::Rect area = frame.area();
    for (int y = area.top(); y < area.bottom(); ++y) {
      if (y > area.top()) {
        out_ += "\r\n";
      }
      for (int x = area.left(); x < area.right(); ++x) {
        const tui::Cell& cell = frame.at({x, y});
        set_colours(colours, cell);
        tui::append_utf8(out_, cell.symbol);
      }
    }
    out_ += "\x1b[m";
    write_all(console_, out_);
  }

 private:
  void set_colours(tui::Cell& colours, const tui::Cell& cell) {
    const bool fg = cell.fg != colours.fg;
    const bool bg = cell.bg != colours.bg;
    if (!fg && !bg) {
      return;
    }
    out_ += "\x1b[";
    if (fg) {
      append_code(out_, foreground_code(cell.fg));
    }
    if (fg && bg) {
      out_ += ';';
    }
    if (bg) {
      append_code(out_, foreground_code(cell.bg) + 10);
    }
    out_ += 'm';
    colours.fg = cell.fg;
    colours.bg = cell.bg;
  }

  int console_;
  std::string out_;
};

}  // namespace

std::unique_ptr<FrameWriter> make_full_redraw_writer(int console) {
  return std::make_unique<FullRedrawWriter>(console);
}

}  // namespace bench
