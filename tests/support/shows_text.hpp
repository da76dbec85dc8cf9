// Whether a screen, as rows of text, shows a piece of text.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

// Whether some row of a screen contains `text`.
bool shows_text(const std::vector<std::string>& rows, const std::string& text);

}  // namespace testing_support
