#include "panic/panic.hpp"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <utility>

namespace panic {
namespace {

// The slot is process-wide by design: a panic may start on any thread.
struct Slot {
  std::mutex mutex;
  Hook hook = default_hook;
};

Slot& slot() {
  static Slot instance;
  return instance;
}

thread_local bool in_hook = false;

}  // namespace

Hook take_hook() {
  Slot& s = slot();
  const std::lock_guard lock(s.mutex);
  return std::exchange(s.hook, Hook{default_hook});
}

void set_hook(Hook hook) {
  Slot& s = slot();
  const std::lock_guard lock(s.mutex);
  s.hook = std::move(hook);
}

void run_hook(const PanicInfo& info) {
  if (in_hook) {
    std::fputs("panicked while running the panic hook; aborting\n", stderr);
    std::abort();
  }
  Hook hook;
  {
    Slot& s = slot();
    const std::lock_guard lock(s.mutex);
    hook = s.hook;
  }
  in_hook = true;
  if (hook) {
    hook(info);
  }
  in_hook = false;
}

void default_hook(const PanicInfo& info) {
  std::fprintf(stderr, "panicked at %s:%u:%u:\n%.*s\n", info.location.file_name(),
               static_cast<unsigned>(info.location.line()),
               static_cast<unsigned>(info.location.column()), static_cast<int>(info.message.size()),
               info.message.data());
}

void panic(std::string message, std::source_location location) {
  run_hook(PanicInfo{message, location});
  throw Panic(std::move(message));
}

}  // namespace panic
