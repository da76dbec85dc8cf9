#include "report/report.hpp"

#include <fmt/format.h>

#include <utility>

namespace report {

std::string describe(std::error_code error) {
  const std::error_category& category = error.category();
  if (category == std::system_category() || category == std::generic_category()) {
    return fmt::format("{} (os error {})", error.message(), error.value());
  }
  return fmt::format("{} ({} error {})", error.message(), category.name(), error.value());
}

Report::Report(std::string message, std::source_location location)
    : location_(location), backtrace_(Backtrace::capture_if_requested()) {
  messages_.push_back(std::move(message));
}

Report::Report(std::error_code error, std::source_location location)
    : location_(location), backtrace_(Backtrace::capture_if_requested()) {
  messages_.push_back(describe(error));
}

Report& Report::context(std::string message) & {
  messages_.insert(messages_.begin(), std::move(message));
  return *this;
}

Report Report::context(std::string message) && {
  context(std::move(message));
  return std::move(*this);
}

}  // namespace report
