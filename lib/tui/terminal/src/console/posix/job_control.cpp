#include "console/job_control.hpp"

#include <unistd.h>

#include <csignal>
#include <fstream>
#include <string>

namespace tui::detail {
namespace {

// The parent of `pid` as /proc tells it, or -1 where it cannot.
pid_t parent_of(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) {
    return -1;
  }
  // "pid (name) state ppid ...", where the name may hold anything.
  const std::size_t name_end = line.rfind(')');
  if (name_end == std::string::npos || name_end + 4 >= line.size()) {
    return -1;
  }
  try {
    return static_cast<pid_t>(std::stol(line.substr(name_end + 4)));
  } catch (...) {
    return -1;
  }
}

}  // namespace

bool suspend_on_key(const Event& event) {
  const auto* key = std::get_if<KeyEvent>(&event);
  if (key == nullptr || key->code != KeyCode::character(U'z') ||
      key->modifiers != Modifiers::CONTROL) {
    return false;
  }
  if (key->kind == KeyEventKind::Press) {
    ::raise(SIGTSTP);
  }
  return true;
}

// Walks up through the ancestors in our process group (a pipeline's shell,
// say) to the first one outside it.
bool shell_can_continue() {
  const pid_t group = ::getpgrp();
  const pid_t session = ::getsid(0);
  pid_t parent = ::getppid();
  for (int depth = 0; depth < 64 && parent > 0; ++depth) {
    if (::getpgid(parent) != group) {
      return ::getsid(parent) == session;
    }
    parent = parent_of(parent);
  }
  return false;
}

}  // namespace tui::detail
