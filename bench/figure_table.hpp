// The one table the benchmark prints: a row per figure, a column per
// console size, each value with its budget and whether it keeps to it.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace bench {

struct Verdict {
  std::string budget;  // "<= 44", say
  bool pass = false;
};

struct Entry {
  std::string value;
  std::optional<Verdict> verdict;
};

// A row with no entries is the heading of the rows below it.
struct Row {
  std::string figure;
  std::vector<Entry> entries;  // one per column
};

void print_table(std::ostream& out, const std::vector<std::string>& columns,
                 const std::vector<Row>& rows);

}  // namespace bench
