#include "error_text/error_text.hpp"

#include <string_view>

namespace error_text {

std::string describe(std::error_code error) {
  const std::error_category& category = error.category();
  const bool os_error = category == std::system_category() || category == std::generic_category();
  const std::string_view kind = os_error ? std::string_view("os") : category.name();
  std::string text = error.message();
  text += " (";
  text += kind;
  text += " error ";
  text += std::to_string(error.value());
  text += ')';
  return text;
}

}  // namespace error_text
