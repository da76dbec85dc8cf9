#include "command_line.hpp"

#include <fmt/format.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <system_error>

#include "error_text/error_text.hpp"
#include "exit_status.hpp"

namespace {

constexpr std::string_view VERSION = RALLIX_VERSION;

std::string help_text() {
  return fmt::format(
      "Usage: rallix [--help | --version]\n"
      "\n"
      "Rallix is a ball game for the terminal: you play the left paddle against\n"
      "the computer's right paddle, and the first side to score five points wins.\n"
      "Started without arguments, it plays in the whole terminal window.\n"
      "\n"
      "Keys:\n"
      "  Up arrow, w, k     move your paddle up\n"
      "  Down arrow, s, j   move your paddle down\n"
      "  Esc                pause and resume; after a win or a loss, play again\n"
      "  q, Ctrl+C          quit\n"
      "\n"
      "Options:\n"
      "  -h, --help         print this help and exit\n"
      "  -V, --version      print the version and exit\n"
      "\n"
      "Exit status:\n"
      "  {:<3}  the game was quit, or this help or the version was printed\n"
      "  {:<3}  an error ended the game, or this text could not be written\n"
      "  {:<3}  the command line was not understood\n"
      "  {:<3}  the program crashed; its report on standard error says where\n"
      "\n"
      "The manual page: man rallix\n",
      EXIT_SUCCESS, EXIT_ERROR, EXIT_USAGE, EXIT_PANIC);
}

// An argument is echoed back to the terminal it came from: control bytes are
// shown as escapes, so that a stray escape sequence cannot act on it.
std::string shown(std::string_view argument) {
  std::string text;
  for (const char c : argument) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) {
      text += fmt::format("\\x{:02x}", byte);
    } else {
      text += c;
    }
  }
  return text;
}

// The answer to the arguments: its text, the stream it goes to, the exit status.
struct Reply {
  std::string text;
  std::FILE* stream;
  int status;
};

enum class Option { Help, Version };

std::optional<Option> option_named(std::string_view argument) {
  if (argument == "--help" || argument == "-h") {
    return Option::Help;
  }
  if (argument == "--version" || argument == "-V") {
    return Option::Version;
  }
  return std::nullopt;
}

std::optional<Reply> reply_to(std::span<const char* const> arguments) {
  if (arguments.empty()) {
    return std::nullopt;
  }
  const std::optional<Option> first = option_named(arguments[0]);
  if (first && arguments.size() == 1) {
    if (*first == Option::Help) {
      return Reply{help_text(), stdout, EXIT_SUCCESS};
    }
    return Reply{fmt::format("rallix {}\n", VERSION), stdout, EXIT_SUCCESS};
  }
  // One option at most: after a known one, the next argument is the one not understood.
  const std::string_view unknown = first ? arguments[1] : arguments[0];
  return Reply{fmt::format("rallix: unknown argument '{}' (try 'rallix --help')\n", shown(unknown)),
               stderr, EXIT_USAGE};
}

bool write_all(std::FILE* stream, std::string_view text) {
  return std::fwrite(text.data(), 1, text.size(), stream) == text.size() &&
         std::fflush(stream) == 0;
}

}  // namespace

std::optional<int> answer_command_line(std::span<const char* const> arguments) {
  const std::optional<Reply> reply = reply_to(arguments);
  if (!reply) {
    return std::nullopt;
  }
  if (!write_all(reply->stream, reply->text)) {
    const int error = errno;
    if (reply->stream == stdout) {
      write_all(stderr,
                fmt::format("rallix: writing to standard output failed: {}\n",
                            error_text::describe(std::error_code(error, std::generic_category()))));
    }
    return EXIT_ERROR;
  }
  return reply->status;
}
