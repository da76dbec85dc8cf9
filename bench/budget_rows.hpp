// The table's rows: every figure of every size beside its budget.
#pragma once

#include <vector>

#include "figure_table.hpp"
#include "figures.hpp"
#include "tui/screen/geometry.hpp"

namespace bench {

// What depends on the console size; the other budgets hold at every size.
struct SizeBudgets {
  double playing_mean_bytes = 0.0;
  // At this size the program's bytes are also held against the baselines.
  bool against_baselines = false;
};

struct SizeResults {
  tui::Size size;
  SizeBudgets budgets;
  ProgramFigures program;
  WriterFigures draw_cycle;
  WriterFigures full_redraw;
  WriterFigures curses;
};

std::vector<Row> budget_rows(const std::vector<SizeResults>& results);

// True when every budget in `rows` is kept.
bool budgets_kept(const std::vector<Row>& rows);

}  // namespace bench
