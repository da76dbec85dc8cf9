#include "settings.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>

namespace session {
namespace {

// Far above what one host serves; keeps the arithmetic on it plain.
constexpr unsigned long long LARGEST_VALUE = 1'000'000;
// The file is a few lines; anything longer is not ours.
constexpr std::size_t LARGEST_FILE = 4096;

std::optional<unsigned> positive_number(std::string_view text) {
  unsigned long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || value == 0 ||
      value > LARGEST_VALUE) {
    return std::nullopt;
  }
  return static_cast<unsigned>(value);
}

std::string_view trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) {
    return {};
  }
  const std::size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

std::string os_error(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

}  // namespace

std::expected<Settings, std::string> parse_settings(std::string_view text) {
  std::optional<unsigned> players;
  std::optional<unsigned> per_address;
  std::optional<unsigned> seconds;
  for (int number = 1; !text.empty(); ++number) {
    const std::size_t end = text.find('\n');
    const std::string_view line = trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line.front() == '#') {
      continue;
    }
    const std::string where = "line " + std::to_string(number);
    const std::size_t gap = line.find_first_of(" \t");
    if (gap == std::string_view::npos) {
      return std::unexpected(where + ": a name without a value");
    }
    const std::string_view name = line.substr(0, gap);
    const std::optional<unsigned> value = positive_number(trim(line.substr(gap)));
    std::optional<unsigned>* field = name == "max-players"       ? &players
                                     : name == "max-per-address" ? &per_address
                                     : name == "max-seconds"     ? &seconds
                                                                 : nullptr;
    if (field == nullptr) {
      return std::unexpected(where + ": unknown setting " + std::string(name));
    }
    if (!value) {
      return std::unexpected(where + ": " + std::string(name) + " takes a positive whole number");
    }
    if (field->has_value()) {
      return std::unexpected(where + ": " + std::string(name) + " is given twice");
    }
    *field = value;
  }
  if (!players || !per_address || !seconds) {
    return std::unexpected(
        std::string("max-players, max-per-address and max-seconds are all needed"));
  }
  return Settings{*players, *per_address, std::chrono::seconds(*seconds)};
}

std::expected<Settings, std::string> read_settings(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) {
    return std::unexpected(os_error("opening " + path));
  }
  struct stat info {};
  std::string text;
  std::string problem;
  if (::fstat(fd, &info) != 0) {
    problem = os_error("reading " + path);
  } else if (!S_ISREG(info.st_mode) || info.st_uid != 0 || (info.st_mode & (S_IWGRP | S_IWOTH))) {
    problem = path + " must be a file that only root may change";
  } else {
    std::array<char, LARGEST_FILE + 1> chunk{};
    const ssize_t n = ::read(fd, chunk.data(), chunk.size());
    if (n < 0) {
      problem = os_error("reading " + path);
    } else if (static_cast<std::size_t>(n) > LARGEST_FILE) {
      problem = path + " is too long";
    } else {
      text.assign(chunk.data(), static_cast<std::size_t>(n));
    }
  }
  ::close(fd);
  if (!problem.empty()) {
    return std::unexpected(problem);
  }
  auto settings = parse_settings(text);
  if (!settings) {
    return std::unexpected(path + ", " + settings.error());
  }
  return settings;
}

}  // namespace session
