// The error report: the value an error travels up with.
//
// A report holds the chain of messages (outermost first), the source position
// where it was made and, when the environment asks for one, the backtrace of
// that moment.
#pragma once

#include <optional>
#include <source_location>
#include <string>
#include <system_error>
#include <vector>

namespace report {

// The variable read when a report is made or a panic is reported: set to
// anything but "" or "0", it asks for a backtrace.
inline constexpr char BACKTRACE_VARIABLE[] = "REPORT_BACKTRACE";

// Whether the value of BACKTRACE_VARIABLE (null when unset) asks for a backtrace.
bool backtrace_requested(const char* value);

// The return addresses of the stack, innermost first. Symbols are looked up
// only when the backtrace is printed.
struct Backtrace {
  std::vector<const void*> frames;

  bool operator==(const Backtrace&) const = default;

  // The stack of the caller, or nothing when BACKTRACE_VARIABLE does not ask for it.
  static std::optional<Backtrace> capture_if_requested();
};

class Report {
 public:
  explicit Report(std::string message,
                  std::source_location location = std::source_location::current());
  // The first message is the error's text with its code (error_text::describe).
  explicit Report(std::error_code error,
                  std::source_location location = std::source_location::current());

  // Adds `message` as the new outermost message; the location stays where
  // the report was made.
  Report& context(std::string message) &;
  Report context(std::string message) &&;

  // Outermost first: the last one is the error that started the chain.
  const std::vector<std::string>& messages() const { return messages_; }
  const std::source_location& location() const { return location_; }
  const std::optional<Backtrace>& backtrace() const { return backtrace_; }

 private:
  std::vector<std::string> messages_;
  std::source_location location_;
  std::optional<Backtrace> backtrace_;
};

}  // namespace report
