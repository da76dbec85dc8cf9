#include <fmt/format.h>

#include <array>
#include <boost/stacktrace.hpp>
#include <cstdlib>
#include <string_view>

#include "backtrace_text.hpp"
#include "paint.hpp"

namespace report {

bool backtrace_requested(const char* value) {
  return value != nullptr && *value != '\0' && std::string_view(value) != "0";
}

std::optional<Backtrace> Backtrace::capture_if_requested() {
  if (!backtrace_requested(std::getenv(BACKTRACE_VARIABLE))) {
    return std::nullopt;
  }
  Backtrace backtrace;
  for (const boost::stacktrace::frame& frame : boost::stacktrace::stacktrace()) {
    backtrace.frames.push_back(frame.address());
  }
  return backtrace;
}

namespace detail {
namespace {

// The frames that make a report or run a panic hook, and the standard and
// Boost templates between them.
constexpr std::array<std::string_view, 6> MACHINERY = {
    "report::Report::", "report::Backtrace::", "report::panic_hook(", "panic::", "std::",
    "boost::"};

// Demangled names of function templates start with their return type.
std::string_view without_return_type(std::string_view name) {
  const std::size_t space = name.find(' ');
  if (space == std::string_view::npos ||
      name.substr(0, space).find_first_of(":<(") != std::string_view::npos) {
    return name;
  }
  return name.substr(space + 1);
}

bool is_machinery(std::string_view name) {
  const std::string_view qualified = without_return_type(name);
  for (const std::string_view prefix : MACHINERY) {
    if (qualified.starts_with(prefix)) {
      return true;
    }
  }
  return false;
}

struct Frame {
  std::size_t index;
  std::string name;
  std::string file;
  std::size_t line;
};

std::vector<Frame> resolve(const Backtrace& backtrace) {
  std::vector<Frame> frames;
  frames.reserve(backtrace.frames.size());
  for (std::size_t i = 0; i < backtrace.frames.size(); ++i) {
    const boost::stacktrace::frame frame(backtrace.frames[i]);
    frames.push_back(Frame{i, frame.name(), frame.source_file(), frame.source_line()});
  }
  return frames;
}

std::string hidden_line(const Settings& settings, std::size_t count) {
  const std::string text = fmt::format("⋮ {} frame{} hidden ⋮", count, count == 1 ? "" : "s");
  return fmt::format("\n{:32}{}", "", paint(settings, HIDDEN_STYLE, text));
}

std::string frame_lines(const Settings& settings, const Frame& frame, const void* address) {
  const std::string name = frame.name.empty() ? fmt::format("<unknown> {}", address) : frame.name;
  std::string text = fmt::format("\n{:>4}: {}", frame.index, paint(settings, FUNCTION_STYLE, name));
  if (!frame.file.empty()) {
    text += fmt::format("\n      at {}", paint(settings, LOCATION_STYLE,
                                               fmt::format("{}:{}", frame.file, frame.line)));
  }
  return text;
}

}  // namespace

std::string render_backtrace(const Backtrace& backtrace, const Settings& settings) {
  const std::vector<Frame> frames = resolve(backtrace);
  std::size_t first = 0;
  while (first < frames.size() && is_machinery(frames[first].name)) {
    ++first;
  }
  std::size_t end = frames.size();
  for (std::size_t i = first; i < frames.size(); ++i) {
    if (frames[i].name == "main") {
      end = i + 1;
    }
  }

  std::string text = fmt::format("  {0:━^33} BACKTRACE {0:━^34}", "");
  if (first > 0) {
    text += hidden_line(settings, first);
  }
  for (std::size_t i = first; i < end; ++i) {
    text += frame_lines(settings, frames[i], backtrace.frames[i]);
  }
  if (end < frames.size()) {
    text += hidden_line(settings, frames.size() - end);
  }
  return text;
}

std::string backtrace_hint() {
  return fmt::format("Backtrace omitted. Run with {}=1 environment variable to display it.",
                     BACKTRACE_VARIABLE);
}

}  // namespace detail
}  // namespace report
