// A console in memory, for testing code that draws through a tui::Terminal.
//
// Draws land in a screen buffer that a test can compare with a picture; the
// size can be changed between frames, and a failure can be planted in the
// next call to see how the caller copes.
#pragma once

#include <optional>
#include <system_error>
#include <vector>

#include "tui/terminal/backend.hpp"

namespace tui {

class MemoryBackend final : public Backend {
 public:
  enum class Call { Size, Clear, Draw, HideCursor, ShowCursor, Flush };

  explicit MemoryBackend(Size size);

  IoResult<Size> size() override;
  IoResult<> clear() override;
  // Cells outside the screen are dropped, as a console would.
  IoResult<> draw(std::span<const CellUpdate> updates) override;
  IoResult<> hide_cursor() override;
  IoResult<> show_cursor() override;
  IoResult<> flush() override;

  // A new window size. The screen keeps what it showed where the old and
  // the new size overlap, as consoles do, until someone clears it.
  void set_size(Size size);
  // The next call (or the next call of `only`) does nothing and fails with `error`.
  void fail_next(std::error_code error, std::optional<Call> only = std::nullopt);

  const Buffer& screen() const { return screen_; }
  bool cursor_visible() const { return cursor_visible_; }
  int clears() const { return clears_; }
  int flushes() const { return flushes_; }
  // Every call so far, in order, including the failed ones.
  const std::vector<Call>& calls() const { return calls_; }

 private:
  IoResult<> enter(Call call);

  Buffer screen_;
  bool cursor_visible_ = true;
  int clears_ = 0;
  int flushes_ = 0;
  std::vector<Call> calls_;
  std::optional<std::error_code> failure_;
  std::optional<Call> failing_call_;
};

}  // namespace tui
