// The few statistics the figures use, over a list of values.
#pragma once

#include <cstddef>
#include <vector>

namespace bench {

struct Summary {
  std::size_t count = 0;
  double mean = 0.0;
  double median = 0.0;
  double p99 = 0.0;  // nearest rank: 99 percent of the values are at most this
  double worst = 0.0;
};

// All zero for no values.
Summary summarize(std::vector<double> values);

}  // namespace bench
