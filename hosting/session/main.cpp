// rallix-session: the login shell of the game account. sshd runs it for
// every connection (as `rallix-session -c COMMAND`, COMMAND being the forced
// one), and so would su or login: whatever it is asked to run, it plays
// Rallix and nothing else, under the host's limits, and passes the game's
// exit status on.
#include <pwd.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "game_process.hpp"
#include "settings.hpp"
#include "slots.hpp"

namespace {

constexpr int REFUSED = 1;
constexpr const char* GAME_NAME = "rallix";

int refuse(const std::string& line) {
  std::fprintf(stderr, "%s\n", line.c_str());
  return REFUSED;
}

int cannot_start(const std::string& why) {
  return refuse("Rallix could not start: " + why);
}

// The game sits beside this program.
std::string game_binary() {
  std::string self(4096, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", self.data(), self.size());
  if (n <= 0) {
    return {};
  }
  self.resize(static_cast<std::size_t>(n));
  return self.substr(0, self.rfind('/') + 1) + GAME_NAME;
}

int run() {
  if (!::isatty(STDIN_FILENO) || !::isatty(STDOUT_FILENO)) {
    return refuse("Rallix needs a terminal: connect with ssh -t");
  }
  // The account's home, from the account database: HOME comes from whoever started us.
  const passwd* account = ::getpwuid(::getuid());
  if (account == nullptr || account->pw_dir == nullptr) {
    return cannot_start("this account has no home");
  }
  if (::getuid() == 0) {
    // Root is not held by the limit on processes.
    return cannot_start("the game is not played as root");
  }
  const std::string home = account->pw_dir;
  const auto settings = session::read_settings(home + "/session.conf");
  if (!settings) {
    return cannot_start(settings.error());
  }
  auto slot =
      session::take_slot(home + "/slots", {settings->max_players, settings->max_per_address},
                         session::client_address(std::getenv("SSH_CONNECTION")));
  if (!slot) {
    return slot.error().refusal == session::SlotRefusal::Full
               ? refuse("Rallix is full, try again later")
               : cannot_start(slot.error().detail);
  }
  const session::GameLaunch launch{game_binary(), session::sanitized_term(std::getenv("TERM")),
                                   settings->max_play_time};
  const auto status = session::play(launch, *slot);
  if (!status) {
    return cannot_start(status.error());
  }
  session::end_like(*status);
}

}  // namespace

int main() {
  // Nothing this program or its game does leaves a core file behind.
  const rlimit no_core{0, 0};
  ::setrlimit(RLIMIT_CORE, &no_core);
  return run();
}
