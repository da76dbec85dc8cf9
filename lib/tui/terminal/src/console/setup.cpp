#include "console/setup.hpp"

#include <cstdio>
#include <string>
#include <utility>

#include "error_text/error_text.hpp"
#include "panic/panic.hpp"
#include "tui/terminal/console.hpp"

namespace tui::detail {

IoResult<> enter_steps(std::span<const ModeStep> steps) {
  for (const ModeStep& step : steps) {
    if (IoResult<> done = step.enter(); !done) {
      return done;
    }
  }
  return {};
}

IoResult<> leave_steps(std::span<const ModeStep> steps, TerminalObject terminal) noexcept {
  for (const ModeStep& step : steps) {
    if (step.closing_the_terminal_object_undoes && terminal == TerminalObject::Closed) {
      continue;
    }
    if (IoResult<> done = step.leave(); !done) {
      return done;
    }
  }
  return {};
}

void install_restoring_hook() {
  panic::Hook previous = panic::take_hook();
  panic::set_hook([previous = std::move(previous)](const panic::PanicInfo& info) {
    report_restore_failure(leave_game_mode());
    if (previous) {
      previous(info);
    }
  });
}

void fail_to_initialize(std::error_code error) {
  panic::panic("failed to initialize terminal: " + error_text::describe(error));
}

void report_restore_failure(const IoResult<>& left) noexcept {
  if (left) {
    return;
  }
  try {
    std::fprintf(stderr, "Failed to restore terminal: %s\n",
                 error_text::describe(left.error()).c_str());
  } catch (...) {
    std::fputs("Failed to restore terminal\n", stderr);
  }
}

}  // namespace tui::detail
