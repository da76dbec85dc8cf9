#include "report/render.hpp"

namespace report {

bool colours_wanted(bool standard_error_is_terminal, const char* no_color) {
  const bool no_color_set = no_color != nullptr && *no_color != '\0';
  return standard_error_is_terminal && !no_color_set;
}

}  // namespace report
