#include "report/report.hpp"

#include <utility>

#include "error_text/error_text.hpp"

namespace report {

Report::Report(std::string message, std::source_location location)
    : location_(location), backtrace_(Backtrace::capture_if_requested()) {
  messages_.push_back(std::move(message));
}

Report::Report(std::error_code error, std::source_location location)
    : location_(location), backtrace_(Backtrace::capture_if_requested()) {
  messages_.push_back(error_text::describe(error));
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
