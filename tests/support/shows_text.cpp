#include "shows_text.hpp"

#include <algorithm>

namespace testing_support {

bool shows_text(const std::vector<std::string>& rows, const std::string& text) {
  return std::any_of(rows.begin(), rows.end(),
                     [&](const std::string& row) { return row.find(text) != std::string::npos; });
}

}  // namespace testing_support
