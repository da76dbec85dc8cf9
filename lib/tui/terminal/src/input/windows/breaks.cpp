#include "input/windows/breaks.hpp"

#include <asio/post.hpp>
#include <mutex>
#include <optional>
#include <utility>

namespace tui::detail {
namespace {

struct Route {
  std::mutex mutex;
  std::optional<asio::any_io_executor> executor;
  std::weak_ptr<InputQueue> queue;
  const InputQueue* target = nullptr;
};

// Control handlers are process-wide, and so is where they send a break.
Route& route() {
  static Route instance;
  return instance;
}

constexpr KeyEvent CTRL_C{KeyCode::character(U'c'), Modifiers::CONTROL, KeyEventKind::Press};

}  // namespace

void route_breaks_to(const asio::any_io_executor& executor, std::weak_ptr<InputQueue> queue) {
  Route& r = route();
  const std::lock_guard lock(r.mutex);
  r.executor = executor;
  r.target = queue.lock().get();
  r.queue = std::move(queue);
}

void stop_routing_breaks(const InputQueue* queue) {
  Route& r = route();
  const std::lock_guard lock(r.mutex);
  if (r.target == queue) {
    r.executor.reset();
    r.queue.reset();
    r.target = nullptr;
  }
}

bool route_break() {
  Route& r = route();
  const std::lock_guard lock(r.mutex);
  if (!r.executor) {
    return false;
  }
  asio::post(*r.executor, [queue = r.queue] {
    if (const std::shared_ptr<InputQueue> open = queue.lock()) {
      open->push(Event{CTRL_C});
    }
  });
  return true;
}

}  // namespace tui::detail
