#include "error_text/error_text.hpp"

#include <string_view>

namespace error_text {
namespace {

// Windows' messages are sentences with a line end ("The pipe has been
// ended.\r\n"); the text goes in the middle of a line, so neither stays.
std::string_view without_sentence_end(std::string_view message) {
  const std::size_t kept = message.find_last_not_of(" \t\r\n");
  message = message.substr(0, kept == std::string_view::npos ? 0 : kept + 1);
  if (message.ends_with('.')) {
    message.remove_suffix(1);
  }
  return message;
}

}  // namespace

std::string describe(std::error_code error) {
  const std::error_category& category = error.category();
  const bool os_error = category == std::system_category() || category == std::generic_category();
  const std::string message = error.message();
  std::string text(without_sentence_end(message));
  text += " (";
  text += os_error ? std::string_view("os") : std::string_view(category.name());
  text += " error ";
  text += std::to_string(error.value());
  text += ')';
  return text;
}

}  // namespace error_text
