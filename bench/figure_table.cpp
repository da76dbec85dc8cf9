#include "figure_table.hpp"

#include <algorithm>

namespace bench {
namespace {

std::string text(const Entry& entry) {
  if (!entry.verdict) {
    return entry.value;
  }
  return entry.value + "  " + entry.verdict->budget + " " + (entry.verdict->pass ? "pass" : "MISS");
}

std::string padded(std::string s, std::size_t width) {
  s.resize(std::max(s.size(), width), ' ');
  return s;
}

}  // namespace

void print_table(std::ostream& out, const std::vector<std::string>& columns,
                 const std::vector<Row>& rows) {
  std::size_t figure_width = 0;
  std::vector<std::size_t> widths;
  for (const std::string& column : columns) {
    widths.push_back(column.size());
  }
  for (const Row& row : rows) {
    if (row.entries.empty()) {
      continue;
    }
    figure_width = std::max(figure_width, row.figure.size());
    for (std::size_t i = 0; i < row.entries.size() && i < widths.size(); ++i) {
      widths[i] = std::max(widths[i], text(row.entries[i]).size());
    }
  }
  const auto line = [&](const std::string& first, const std::vector<std::string>& cells) {
    std::string s = padded(first, figure_width);
    for (std::size_t i = 0; i < cells.size(); ++i) {
      s += " | " + padded(cells[i], widths[i]);
    }
    out << s.substr(0, s.find_last_not_of(' ') + 1) << '\n';
  };
  line("figure", columns);
  std::vector<std::string> rules;
  for (const std::size_t width : widths) {
    rules.emplace_back(width, '-');
  }
  line(std::string(figure_width, '-'), rules);
  for (const Row& row : rows) {
    if (row.entries.empty()) {
      out << row.figure << '\n';
      continue;
    }
    std::vector<std::string> cells;
    for (const Entry& entry : row.entries) {
      cells.push_back(text(entry));
    }
    line(row.figure, cells);
  }
}

}  // namespace bench
