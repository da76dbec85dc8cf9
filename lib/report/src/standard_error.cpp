#include "standard_error.hpp"

#include <cerrno>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace report::detail {
namespace {

constexpr int STANDARD_ERROR = 2;

long write_some(const char* data, std::size_t size) {
#ifdef _WIN32
  return _write(STANDARD_ERROR, data, static_cast<unsigned>(size));
#else
  return static_cast<long>(::write(STANDARD_ERROR, data, size));
#endif
}

}  // namespace

bool standard_error_is_terminal() {
#ifdef _WIN32
  return _isatty(STANDARD_ERROR) != 0;
#else
  return ::isatty(STANDARD_ERROR) != 0;
#endif
}

void write_standard_error(std::string_view text) {
  // Anything already queued in stdio must come out first.
  std::fflush(stderr);
  while (!text.empty()) {
    const long written = write_some(text.data(), text.size());
    if (written <= 0) {
      if (written < 0 && errno == EINTR) {
        continue;
      }
      return;
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
}

}  // namespace report::detail
