// Process entry and the main task: start-up and shut-down in their fixed
// order, and the exit status.
#include <asio/co_spawn.hpp>
#include <asio/io_context.hpp>
#include <asio/this_coro.hpp>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>

#include "game.hpp"
#include "main_loop.hpp"
#include "panic/panic.hpp"
#include "report/report.hpp"
#include "tui/terminal/console.hpp"

namespace {

constexpr int EXIT_ERROR = 1;
constexpr int EXIT_PANIC = 101;

asio::awaitable<RunResult> main_task() {
  if (auto installed = report::install(); !installed) {
    co_return std::unexpected(std::move(installed.error()));
  }
  tui::Terminal terminal = tui::init();
  tui::EventSource events =
      tui::EventSource::open(co_await asio::this_coro::executor, tui::input_descriptor());
  RunResult result = co_await run(std::move(events), GameState{}, std::move(terminal));
  tui::restore();
  co_return result;
}

// An exception that escaped, or std::terminate, is reported like a panic.
void report_as_panic(const char* message) {
  panic::run_hook({message, std::source_location::current()});
}

[[noreturn]] void on_terminate() {
  report_as_panic("std::terminate was called");
  std::_Exit(EXIT_PANIC);
}

std::unique_ptr<asio::io_context> build_runtime() {
  try {
    return std::make_unique<asio::io_context>(1);
  } catch (const std::exception& error) {
    panic::panic(std::string("Failed building the Runtime: ") + error.what());
  }
}

int run_main_task() {
  const std::unique_ptr<asio::io_context> runtime = build_runtime();
  std::optional<RunResult> result;
  std::exception_ptr escaped;
  asio::co_spawn(*runtime, main_task(), [&](std::exception_ptr error, RunResult outcome) {
    escaped = error;
    result = std::move(outcome);
  });
  runtime->run();
  if (escaped) {
    std::rethrow_exception(escaped);
  }
  if (!*result) {
    report::print_error(result->error());
    return EXIT_ERROR;
  }
  return EXIT_SUCCESS;
}

}  // namespace

int main() {
  std::set_terminate(on_terminate);
  try {
    return run_main_task();
  } catch (const panic::Panic&) {
    return EXIT_PANIC;  // the panic hook has reported it
  } catch (const std::exception& error) {
    report_as_panic(error.what());
    return EXIT_PANIC;
  }
}
