#include "pty_sink.hpp"

#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <stdexcept>
#include <string_view>

namespace bench {
namespace {

// Application program command strings: no writer sends them, and a terminal
// would ignore them.
constexpr std::string_view FRAME_MARK = "\x1b_frame\x1b\\";
constexpr std::string_view STOP_MARK = "\x1b_stop\x1b\\";

void write_mark(int fd, std::string_view mark) {
  while (!mark.empty()) {
    const ssize_t n = ::write(fd, mark.data(), mark.size());
    if (n > 0) {
      mark.remove_prefix(static_cast<std::size_t>(n));
    } else if (n < 0 && errno != EINTR) {
      throw std::runtime_error("writing a frame mark failed");
    }
  }
}

}  // namespace

PtySink::PtySink(tui::Size size) {
  winsize window{static_cast<unsigned short>(size.height), static_cast<unsigned short>(size.width),
                 0, 0};
  termios raw{};
  ::cfmakeraw(&raw);
  if (::openpty(&master_, &slave_, nullptr, &raw, &window) != 0) {
    throw std::runtime_error("openpty failed");
  }
  reader_ = std::thread([this] { drain(); });
}

PtySink::~PtySink() {
  stop();
  ::close(slave_);
  ::close(master_);
}

void PtySink::end_frame() const {
  write_mark(slave_, FRAME_MARK);
}

std::vector<std::string> PtySink::finish() {
  stop();
  return std::move(frames_);
}

void PtySink::stop() {
  if (reader_.joinable()) {
    write_mark(slave_, STOP_MARK);
    reader_.join();
  }
}

void PtySink::drain() {
  std::string pending;
  std::array<char, 1 << 16> chunk{};
  std::size_t scanned = 0;
  for (;;) {
    const ssize_t n = ::read(master_, chunk.data(), chunk.size());
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      return;
    }
    pending.append(chunk.data(), static_cast<std::size_t>(n));
    for (;;) {
      const std::size_t at = pending.find(FRAME_MARK, scanned);
      const std::size_t stop_at = pending.find(STOP_MARK, scanned);
      if (at != std::string::npos && at < stop_at) {
        frames_.push_back(pending.substr(0, at));
        pending.erase(0, at + FRAME_MARK.size());
        scanned = 0;
      } else if (stop_at != std::string::npos) {
        return;
      } else {
        // A mark may be split across reads: look at its length again next time.
        scanned = pending.size() > FRAME_MARK.size() ? pending.size() - FRAME_MARK.size() : 0;
        break;
      }
    }
  }
}

}  // namespace bench
