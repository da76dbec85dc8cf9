// The whole program measured: the real game played through a scripted
// session on pseudo-terminals of two sizes, and the same frames drawn
// in-process by its draw cycle, by a full-redraw writer and by ncurses;
// beside the program, the floor program (floor.cpp) on a terminal of the
// same size, whose CPU the program's is held against.
// Prints one table of figures against their budgets, and fails when a
// budget is missed; about a minute.
//
//   program_bench [GAME]   GAME: another build of the game to play, to
//                          compare two builds in one sitting
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "budget_rows.hpp"
#include "program_session.hpp"
#include "pty_child.hpp"
#include "session_script.hpp"
#include "writer_run.hpp"

namespace {

using namespace bench;

struct SizePlan {
  tui::Size size;
  SizeBudgets budgets;
};

std::string size_name(tui::Size size) {
  return std::to_string(size.width) + "x" + std::to_string(size.height);
}

// The baselines replay the steps as the program's session played them.
SizeResults measure(const SizePlan& plan, const SessionResult& session) {
  const std::vector<Step>& steps = session.played;
  std::cerr << "replaying " << size_name(plan.size) << " in-process\n";
  const WriterRun draw_cycle = run_writer(make_draw_cycle_writer, steps, plan.size);
  const WriterRun full_redraw = run_writer(make_full_redraw_writer, steps, plan.size);
  const WriterRun curses = run_writer(make_curses_writer, steps, plan.size);
  return {plan.size,
          plan.budgets,
          program_figures(session, draw_cycle),
          writer_figures(draw_cycle),
          writer_figures(full_redraw),
          writer_figures(curses)};
}

int run(const std::string& game) {
  const std::vector<SizePlan> plans{
      {{80, 24}, {44.0, true}},
      {{300, 100}, {135.0, false}},
  };
  const std::vector<Step> steps = make_script(ScriptShape{});
  // The program runs first, while this process is small and has no threads
  // of its own: the fork it starts from is cheap, and nothing of ours runs
  // beside it but the reader of its terminal.
  std::vector<SessionResult> sessions;
  for (const SizePlan& plan : plans) {
    std::cerr << "playing " << size_name(plan.size) << " (about 30 s)\n";
    // The floor runs beside the game, so both meet the same machine.
    const PtyChild floor(FLOOR_BINARY, plan.size);
    sessions.push_back(run_program_session(game, plan.size, steps, floor.pid()));
  }
  std::vector<SizeResults> results;
  std::vector<std::string> columns;
  for (std::size_t i = 0; i < plans.size(); ++i) {
    results.push_back(measure(plans[i], sessions[i]));
    columns.push_back(size_name(plans[i].size));
  }
  const std::vector<Row> rows = budget_rows(results);
  print_table(std::cout, columns, rows);
  if (!budgets_kept(rows)) {
    std::cerr << "program_bench: a budget was missed\n";
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc > 1 ? argv[1] : RALLIX_BINARY);
  } catch (const std::exception& error) {
    std::cerr << "program_bench: " << error.what() << '\n';
    return 1;
  }
}
