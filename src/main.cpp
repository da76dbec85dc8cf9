// Process entry and the main task: start-up and shut-down in their fixed
// order, and the exit status.
#include <asio/co_spawn.hpp>
#include <asio/io_context.hpp>
#include <asio/this_coro.hpp>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <span>

#include "command_line.hpp"
#include "exit_status.hpp"
#include "game.hpp"
#include "main_loop.hpp"
#include "panic/panic.hpp"
#include "report/install.hpp"
#include "report/render.hpp"
#include "report/report.hpp"
#include "tui/terminal/console.hpp"
#include "tui/terminal/signals.hpp"

namespace {

// How the main task ended: its result, and the signal that asked it to end.
// g++ 12 at -O3 warns, wrongly, that destroying the copy that Asio's
// completion handler holds may free the vector of a Report that was never
// made: the result's flag tells which member is alive, and the optimiser
// loses track of it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
struct TaskOutcome {
  RunResult result;
  std::optional<int> termination;
};
#pragma GCC diagnostic pop

asio::awaitable<TaskOutcome> main_task() {
  if (auto installed = report::install(); !installed) {
    co_return TaskOutcome{std::unexpected(std::move(installed.error())), std::nullopt};
  }
  const asio::any_io_executor executor = co_await asio::this_coro::executor;
  tui::Terminal terminal = tui::init();
  tui::EventSource events = tui::EventSource::open(executor);
  tui::Signals signals(executor);
  GameState state;
  RunResult result = co_await run(events, state, terminal, signals);
  tui::restore();
  co_return TaskOutcome{std::move(result), signals.termination()};
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
  std::optional<TaskOutcome> outcome;
  std::exception_ptr escaped;
  asio::co_spawn(*runtime, main_task(), [&](std::exception_ptr error, TaskOutcome ended) {
    escaped = error;
    outcome = std::move(ended);
  });
  runtime->run();
  if (escaped) {
    std::rethrow_exception(escaped);
  }
  if (!outcome->result) {
    report::print_error(outcome->result.error());
    return EXIT_ERROR;
  }
  if (outcome->termination) {
    tui::end_as_signal(*outcome->termination);
  }
  return EXIT_SUCCESS;
}

}  // namespace

int main(int argc, char* argv[]) {
  // Asked for help or the version, the game answers and leaves the terminal alone. The
  // program's own name comes first, unless whoever started it left even that out.
  const std::span<char*> command_line(argv, static_cast<std::size_t>(argc));
  if (const std::optional<int> answered =
          answer_command_line(command_line.subspan(command_line.empty() ? 0 : 1))) {
    return *answered;
  }
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
