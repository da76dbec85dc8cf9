#include "kitty_session.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <thread>

#include "../descriptors.hpp"
#include "spawn.hpp"
#include "tui/screen/utf8.hpp"

namespace testing_support {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  int get() const { return fd_; }
  void reset() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
    fd_ = -1;
  }

 private:
  int fd_;
};

[[noreturn]] void fail(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

// A shell command's output; nothing when it failed.
std::optional<std::string> try_command(const std::string& command) {
  try {
    return run_command(command + " 2>/dev/null");
  } catch (const std::runtime_error&) {
    return std::nullopt;
  }
}

// Waits up to `limit` for the read end of a pipe to have data or be closed.
bool readable_within(int fd, milliseconds limit) {
  pollfd watched{fd, POLLIN, 0};
  return ::poll(&watched, 1, static_cast<int>(limit.count())) > 0;
}

// The JSON string that starts at `text[at]` (its opening quote), decoded.
// kitty writes its replies with every non-ASCII character as \uXXXX, those
// past the first plane as surrogate pairs.
std::string json_string(std::string_view text, std::size_t at) {
  const auto bad = [&] { return std::runtime_error("bad JSON string in: " + std::string(text)); };
  if (at >= text.size() || text[at] != '"') {
    throw bad();
  }
  const auto hex4 = [&](std::size_t from) {
    if (from + 4 > text.size()) {
      throw bad();
    }
    return static_cast<char32_t>(std::stoul(std::string(text.substr(from, 4)), nullptr, 16));
  };
  std::string out;
  for (std::size_t i = at + 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      return out;
    }
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++i == text.size()) {
      throw bad();
    }
    switch (text[i]) {
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case 'b':
        out += '\b';
        break;
      case 'f':
        out += '\f';
        break;
      case 'u': {
        char32_t ch = hex4(i + 1);
        i += 4;
        if (ch >= 0xD800 && ch < 0xDC00 && i + 2 < text.size() && text[i + 1] == '\\' &&
            text[i + 2] == 'u') {
          ch = 0x10000 + ((ch - 0xD800) << 10) + (hex4(i + 3) - 0xDC00);
          i += 6;
        }
        tui::append_utf8(out, ch);
        break;
      }
      default:  // '"', '\\' and '/' stand for themselves
        out += text[i];
        break;
    }
  }
  throw bad();
}

// The "data" of a reply to a remote control command, checking that it says "ok".
std::string reply_data(std::string_view json) {
  if (json.find("\"ok\": true") == std::string_view::npos) {
    throw std::runtime_error("kitty refused the command: " + std::string(json));
  }
  const std::size_t key = json.find("\"data\":");
  if (key == std::string_view::npos) {
    return "";
  }
  return json_string(json, json.find('"', key + 7));
}

constexpr std::string_view COMMAND_START = "\x1bP@kitty-cmd";
constexpr std::string_view COMMAND_END = "\x1b\\";

// Speaks kitty's remote control protocol on its socket: one framed JSON
// command, one framed JSON reply. Running `kitty @` would cost about half a
// second a call, longer than a whole frame of the game. The version is the
// oldest kitty this speaks to; kitty only refuses clients newer than itself.
std::optional<std::string> remote_command(const std::string& socket_path,
                                          const std::string& command) {
  const UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (fd.get() < 0 || socket_path.size() >= sizeof address.sun_path) {
    return std::nullopt;
  }
  std::memcpy(address.sun_path, socket_path.c_str(), socket_path.size() + 1);
  if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    return std::nullopt;
  }
  const timeval limit{5, 0};
  ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  const std::string request = std::string(COMMAND_START) + command + std::string(COMMAND_END);
  if (::send(fd.get(), request.data(), request.size(), MSG_NOSIGNAL) !=
      static_cast<ssize_t>(request.size())) {
    return std::nullopt;
  }
  std::string reply;
  char chunk[65536];
  while (!reply.ends_with(COMMAND_END)) {
    const ssize_t n = ::recv(fd.get(), chunk, sizeof chunk, 0);
    if (n == 0) {
      return std::nullopt;  // kitty went away
    }
    if (n < 0) {
      throw std::runtime_error("no whole reply from kitty: " + reply);
    }
    reply.append(chunk, static_cast<std::size_t>(n));
  }
  if (!reply.starts_with(COMMAND_START)) {
    throw std::runtime_error("unexpected reply from kitty: " + reply);
  }
  return reply.substr(COMMAND_START.size(),
                      reply.size() - COMMAND_START.size() - COMMAND_END.size());
}

constexpr std::string_view GET_SCREEN_TEXT =
    R"({"cmd":"get-text","version":[0,26,0],"no_response":false,)"
    R"("payload":{"match":null,"extent":"screen","ansi":false}})";

std::optional<std::string> try_screen_text(const std::string& socket_path) {
  const std::optional<std::string> reply =
      remote_command(socket_path, std::string(GET_SCREEN_TEXT));
  if (!reply) {
    return std::nullopt;
  }
  return reply_data(*reply);
}

std::vector<std::string> lines_of(const std::string& text) {
  std::istringstream stream(text);
  std::vector<std::string> lines;
  for (std::string line; std::getline(stream, line);) {
    lines.push_back(line);
  }
  return lines;
}

constexpr milliseconds START_LIMIT{20000};

}  // namespace

OwnedProcess::OwnedProcess(const Launch& launch) {
  const UniqueFd input(::open("/dev/null", O_RDONLY | O_CLOEXEC));
  const UniqueFd log(
      ::open(launch.log_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
  if (input.get() < 0 || log.get() < 0) {
    fail("cannot open the files for " + launch.argv.front());
  }
  child_ = std::make_unique<Spawned>(SpawnOptions{.argv = launch.argv,
                                                  .environment = launch.environment,
                                                  .input = input.get(),
                                                  .output = log.get(),
                                                  .error = log.get(),
                                                  .inherited = launch.inherited_fd,
                                                  .own_group = true});
}

pid_t OwnedProcess::pid() const {
  return child_->pid();
}

bool OwnedProcess::running() const {
  return !child_->try_wait();
}

std::string OwnedProcess::state() const {
  const std::optional<ChildEnd> end = child_->try_wait();
  if (!end) {
    return "running";
  }
  if (WIFSIGNALED(end->status)) {
    return "killed by signal " + std::to_string(WTERMSIG(end->status));
  }
  return "exited with " + std::to_string(WEXITSTATUS(end->status));
}

// Asks the whole group to end, gives it a moment to, then makes it. What
// the leader left behind in its group goes with it, while the group's id
// is still surely ours.
OwnedProcess::~OwnedProcess() {
  if (!running()) {
    return;
  }
  child_->kill(SIGTERM);
  const auto give_up = Clock::now() + std::chrono::seconds(5);
  while (running() && Clock::now() < give_up) {
    std::this_thread::sleep_for(milliseconds(10));
  }
  child_->kill(SIGKILL);
}

XServer::XServer(bool auto_repeat, const std::string& log_path) {
  for (int number = 90; number < 190; ++number) {
    const std::string n = std::to_string(number);
    if (std::filesystem::exists("/tmp/.X11-unix/X" + n) ||
        std::filesystem::exists("/tmp/.X" + n + "-lock")) {
      continue;
    }
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
      fail("pipe2");
    }
    UniqueFd read_end(ends[0]);
    UniqueFd write_end(ends[1]);
    std::vector<std::string> argv{"Xvfb",    ":" + n, "-displayfd",  std::to_string(ends[1]),
                                  "-screen", "0",     "1280x800x24", "-nolisten",
                                  "tcp"};
    if (auto_repeat) {
      argv.insert(argv.end(), {"-ardelay", std::to_string(REPEAT_DELAY.count()), "-arinterval",
                               std::to_string(REPEAT_INTERVAL.count())});
    } else {
      argv.emplace_back("-r");
    }
    auto process = std::make_unique<OwnedProcess>(
        OwnedProcess::Launch{argv, environment_with({}, {}), log_path, ends[1]});
    write_end.reset();
    // Xvfb writes its display number once it takes connections, and exits
    // without a word when another server holds the display.
    if (!readable_within(read_end.get(), START_LIMIT)) {
      throw std::runtime_error("Xvfb did not start:\n" + read_file(log_path));
    }
    if (tui::testing::read_all(read_end.get()).starts_with(n)) {
      display_ = ":" + n;
      process_ = std::move(process);
      return;
    }
  }
  throw std::runtime_error("no free X display from :90 to :189");
}

KittySession::KittySession(const std::string& command, KittyOptions options)
    : x_server_(options.auto_repeat, dir_.path("xvfb.log")), socket_(dir_.path("kitty.sock")) {
  const std::string home = dir_.path("kitty");
  for (const char* sub : {"", "/config", "/cache", "/runtime"}) {
    if (::mkdir((home + sub).c_str(), 0700) != 0) {
      fail("mkdir " + home + sub);
    }
  }
  // Nothing of the user's: no configuration, no caches, no outer kitty or
  // Wayland session to talk to instead. Under Xvfb there is no GPU, so GL
  // is drawn in software.
  const std::vector<std::string> environment = environment_with(
      {"DISPLAY=" + x_server_.display(), "KITTY_CONFIG_DIRECTORY=" + home + "/config",
       "KITTY_CACHE_DIRECTORY=" + home + "/cache", "XDG_CONFIG_HOME=" + home + "/config",
       "XDG_CACHE_HOME=" + home + "/cache", "XDG_RUNTIME_DIR=" + home + "/runtime",
       "LIBGL_ALWAYS_SOFTWARE=1"},
      {"WAYLAND_DISPLAY", "KITTY_WINDOW_ID", "KITTY_PID", "KITTY_LISTEN_ON", "KITTY_PUBLIC_KEY"});
  const std::string width = "initial_window_width=" + std::to_string(WIDTH) + "c";
  const std::string height = "initial_window_height=" + std::to_string(HEIGHT) + "c";
  kitty_ = std::make_unique<OwnedProcess>(OwnedProcess::Launch{
      {"kitty", "--debug-keyboard", "--config", "NONE", "-o", "allow_remote_control=yes", "-o",
       "clear_all_shortcuts=yes", "-o", "linux_display_server=x11", "--listen-on",
       "unix:" + socket_, "-o", width, "-o", height, "sh", "-c", command},
      environment,
      dir_.path("kitty.log")});

  // kitty answers on its socket once its window exists. Asking the X
  // server for the window before that would only crowd it with clients
  // while kitty is still connecting, and a crowded Xvfb can turn kitty away.
  const bool answering = TmuxSession::wait_until(
      [&] { return !kitty_->running() || try_screen_text(socket_).has_value(); }, START_LIMIT);
  if (!answering || !kitty_->running()) {
    throw std::runtime_error("kitty's remote control did not answer:\n" + logs());
  }
  // Typing goes to the window with the input focus, and with no window
  // manager nothing gives it to kitty but us.
  std::string window;
  TmuxSession::wait_until(
      [&] {
        window = try_command(xdotool("search --onlyvisible --pid " + std::to_string(kitty_->pid())))
                     .value_or("");
        return !window.empty();
      },
      START_LIMIT);
  if (window.empty()) {
    throw std::runtime_error("kitty showed no window:\n" + logs());
  }
  run_command(xdotool("windowfocus --sync " + window.substr(0, window.find('\n'))));
}

std::string KittySession::xdotool(const std::string& arguments) const {
  return "DISPLAY=" + x_server_.display() + " xdotool " + arguments;
}

void KittySession::key(const std::string& keys) const {
  run_command(xdotool("key " + keys));
}

void KittySession::key_down(const std::string& key) const {
  run_command(xdotool("keydown " + key));
}

void KittySession::key_up(const std::string& key) const {
  run_command(xdotool("keyup " + key));
}

std::vector<std::string> KittySession::screen() const {
  const std::optional<std::string> text = try_screen_text(socket_);
  if (!text) {
    throw std::runtime_error("cannot reach kitty's remote control:\n" + logs());
  }
  return lines_of(*text);
}

bool KittySession::wait_for_text(const std::string& text, std::chrono::milliseconds limit) const {
  return TmuxSession::wait_until([&] { return shows_text(screen(), text); }, limit);
}

// kitty logs each key event it handles, with its fate, as
//   on_key_input: glfw key: 0x77 native_code: 0x77 action: RELEASE mods: none
//   text: '' state: 0 sent encoded key to child
// (on one line) when started with --debug-keyboard.
bool KittySession::sent_key_event(char32_t key, const std::string& action) const {
  char code[16];
  std::snprintf(code, sizeof code, "0x%x", static_cast<unsigned>(key));
  const std::string glfw_key = std::string("glfw key: ") + code + " ";
  for (const std::string& line : lines_of(read_file(dir_.path("kitty.log")))) {
    if (line.contains(glfw_key) && line.contains("action: " + action + " ") &&
        line.ends_with("sent encoded key to child")) {
      return true;
    }
  }
  return false;
}

std::string KittySession::logs() const {
  return "kitty, " + kitty_->state() + ":\n" + read_file(dir_.path("kitty.log")) + "Xvfb on " +
         x_server_.display() + ", " + x_server_.process().state() + ":\n" +
         read_file(dir_.path("xvfb.log"));
}

}  // namespace testing_support
