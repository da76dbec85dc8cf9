// Rallix hosted over SSH, end to end: scripts/serve-ssh on the loopback
// address, played by real ssh clients on pseudo-terminals of their own.
// What a player may do (play), what is refused (commands, forwarding, file
// transfer, the client's environment, other accounts), and what keeps one
// player from hurting the others (window sizes, dead and frozen clients,
// the caps, the time limit). It makes accounts and runs sshd: root only.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <ostream>
#include <string>
#include <thread>

#include "case_name.hpp"
#include "support/game_pane.hpp"
#include "support/pty_process.hpp"
#include "support/ssh_server.hpp"
#include "support/tmux_session.hpp"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing_support::client_options;
using testing_support::last_console_state;
using testing_support::process_environment;
using testing_support::processes_named;
using testing_support::PtyProcess;
using testing_support::read_file;
using testing_support::run_command;
using testing_support::screen_rows;
using testing_support::ServerSettings;
using testing_support::shell_quote;
using testing_support::ssh_command;
using testing_support::ssh_command_as;
using testing_support::SshServer;
using testing_support::TempDir;
using testing_support::TerminalSize;
using testing_support::wait_for_new_process;
using testing_support::wait_for_screen_text;
using testing_support::wait_process_gone;

constexpr TerminalSize SIZE{80, 24};
constexpr double LEAST_FRAME_RATE = 15;
// sshd closes a connection that opens no session after
// UnusedConnectionTimeout (hosting/sshd_config.in).
constexpr auto UNUSED_CONNECTION = 10s;
// The shared server's caps.
constexpr ServerSettings SHARED{4, 3, "60"};

const std::string TITLE = "┌Rallix | 0 - 0";
const std::string NEEDS_TERMINAL = "Rallix needs a terminal: connect with ssh -t\r\n";
const std::string FULL = "Rallix is full, try again later";
// Every frame hides the cursor first.
constexpr std::string_view FRAME = "\x1b[?25l";

std::size_t frames_in(std::string_view output) {
  std::size_t count = 0;
  for (std::size_t at = output.find(FRAME); at != std::string_view::npos;
       at = output.find(FRAME, at + FRAME.size())) {
    ++count;
  }
  return count;
}

std::string account_name(const char* role) {
  return std::string("rallix") + role + "-" + std::to_string(::getpid());
}

// The server most tests share.
std::unique_ptr<SshServer> shared_server;

class SharedServer : public testing::Environment {
 public:
  void SetUp() override {
    shared_server = std::make_unique<SshServer>(account_name("t"));
    shared_server->start(SHARED);
  }
  void TearDown() override { shared_server.reset(); }
};

SshServer& server() {
  return *shared_server;
}

std::vector<pid_t> games(const SshServer& host = server()) {
  return processes_named("rallix", host.account_uid());
}
std::vector<pid_t> sessions(const SshServer& host = server()) {
  return processes_named("rallix-session", host.account_uid());
}

// One player: a real ssh client on a pseudo-terminal of its own.
class Player {
 public:
  // The games running when a player starts tell its own game apart: start
  // players whose game is looked for one after another.
  explicit Player(const std::vector<std::string>& command, TerminalSize size = SIZE,
                  const SshServer& host = server())
      : size_(size), host_(host), before_(games(host)), client_(command, size) {}

  PtyProcess& client() { return client_; }
  std::string_view output() const { return client_.output(); }

  // Waits for the game's first frame.
  bool sees_game(std::chrono::milliseconds limit = 20s) {
    return wait_for_screen_text(client_, size_, TITLE, 0, limit);
  }
  // Plays until the game's first frame, and gives the game's process.
  pid_t joins() {
    if (!sees_game()) {
      ADD_FAILURE() << "no game came:\n" << output();
      return -1;
    }
    return wait_for_new_process([&] { return games(host_); }, before_);
  }

  // The top row of this player's paddle on the screen: the first with a block in column 1.
  int paddle_top() const {
    const std::vector<std::string> rows = screen_rows(client_.output(), size_);
    for (std::size_t row = 0; row < rows.size(); ++row) {
      if (rows[row].starts_with("│█") || rows[row].starts_with("┌█")) {
        return static_cast<int>(row);
      }
    }
    return -1;
  }
  // Reads the output until the paddle's top row satisfies `where`.
  bool paddle_goes(const std::function<bool(int)>& where) {
    return client_.wait_for_output([&](std::string_view) { return where(paddle_top()); }, 0, 5s);
  }

  // Quits with q; the client's exit status.
  std::optional<int> quits() {
    client_.write("q");
    return exit_status();
  }
  std::optional<int> exit_status(std::chrono::milliseconds limit = 15s) {
    const std::optional<int> status = client_.wait_exit(limit);
    if (!status) {
      return std::nullopt;
    }
    return WIFEXITED(*status) ? WEXITSTATUS(*status) : 128 + WTERMSIG(*status);
  }

 private:
  TerminalSize size_;
  const SshServer& host_;
  std::vector<pid_t> before_;
  PtyProcess client_;
};

void drain_all(const std::vector<Player*>& players, std::chrono::milliseconds duration) {
  const auto end = Clock::now() + duration;
  while (Clock::now() < end) {
    for (Player* player : players) {
      player->client().drain_for(5ms);
    }
  }
}

// Reads every player's output in turn for `window` and gives each one's
// frames per second over it; with `until`, the window goes on until it holds.
std::vector<double> frame_rates(const std::vector<Player*>& players,
                                std::chrono::milliseconds window,
                                const std::function<bool()>& until = {}) {
  drain_all(players, 500ms);  // what came before the window is not counted
  std::vector<std::uint64_t> starts;
  for (Player* player : players) {
    starts.push_back(player->client().output_bytes());
  }
  const auto begin = Clock::now();
  while (Clock::now() - begin < window || (until && !until())) {
    drain_all(players, 20ms);
  }
  const std::chrono::duration<double> took = Clock::now() - begin;
  std::vector<double> rates;
  for (std::size_t i = 0; i < players.size(); ++i) {
    rates.push_back(double(frames_in(players[i]->client().output_since(starts[i]))) / took.count());
  }
  return rates;
}

// Each test starts when the games of the one before it have ended.
class Hosted : public testing::Test {
 protected:
  void SetUp() override {
    const auto give_up = Clock::now() + 10s;
    while (!(games().empty() && sessions().empty()) && Clock::now() < give_up) {
      std::this_thread::sleep_for(50ms);
    }
    ASSERT_TRUE(games().empty()) << "a game of an earlier test still runs";
  }
};

// A connection through `port` on 127.0.0.1 that sends `bytes`; false when refused.
bool connect_and_send(int port, std::string_view bytes) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool connected =
      ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  if (connected) {
    static_cast<void>(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL));
    std::this_thread::sleep_for(300ms);  // time for the client to try the forward
  }
  ::close(fd);
  return connected;
}

// A TCP listener on 127.0.0.1 that the forwards below aim at.
class Listener {
 public:
  Listener() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd_, 8) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
      throw std::runtime_error("no listener");
    }
    port_ = ntohs(address.sin_port);
  }
  ~Listener() { ::close(fd_); }
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  int port() const { return port_; }
  // Whether a connection came within `limit`.
  bool reached(std::chrono::milliseconds limit = 1s) const {
    pollfd watch{fd_, POLLIN, 0};
    return ::poll(&watch, 1, static_cast<int>(limit.count())) > 0;
  }

 private:
  int fd_;
  int port_ = 0;
};

// ---- A session plays -------------------------------------------------------

struct KeyCase {
  const char* name;
  bool with_key;
};

class PlayingSession : public Hosted, public testing::WithParamInterface<KeyCase> {};

TEST_P(PlayingSession, FramesComeWMovesThePaddleAndQEndsWithStatus0) {
  const TempDir keys;
  std::vector<std::string> arguments{"-t"};
  if (GetParam().with_key) {
    const std::string key = keys.path("id_ed25519");
    run_command("ssh-keygen -q -t ed25519 -N '' -f " + shell_quote(key));
    arguments = {"-t", "-o", "IdentityFile=" + key};
  }
  Player player(ssh_command(server(), arguments));
  const pid_t game = player.joins();
  ASSERT_GT(game, 0);
  EXPECT_EQ(last_console_state(player.output()).alternate_screen, true);

  const std::vector<double> rates = frame_rates({&player}, 1s);
  EXPECT_GE(rates[0], LEAST_FRAME_RATE);

  const int top = player.paddle_top();
  ASSERT_GT(top, 1);
  player.client().write("w");
  EXPECT_TRUE(player.paddle_goes([&](int row) { return row < top; }))
      << "the paddle climbs from row " << top;

  EXPECT_EQ(player.quits(), 0);
  EXPECT_TRUE(wait_process_gone(game, 3s));
  EXPECT_EQ(last_console_state(player.output()).alternate_screen, false) << "terminal given back";
  EXPECT_EQ(last_console_state(player.output()).cursor_visible, true);
}

INSTANTIATE_TEST_SUITE_P(Keys, PlayingSession,
                         testing::Values(KeyCase{"no_key_at_all", false},
                                         KeyCase{"a_key_the_server_never_needs", true}),
                         case_name<KeyCase>);

// ---- What is refused -------------------------------------------------------

// Everything a row may need: a listener for the forwards to aim at, files
// to copy, and a second account with an empty password and a real shell,
// which only AllowUsers keeps out.
class Refusals : public Hosted {
 public:
  static void SetUpTestSuite() {
    other_account = account_name("o");
    run_command("useradd --system --no-create-home --shell /bin/sh --comment 'rallix test' " +
                other_account + " && passwd --quiet --delete " + other_account);
  }
  static void TearDownTestSuite() { run_command("userdel " + other_account); }

  void SetUp() override {
    Hosted::SetUp();
    // Made writable by the game account, so that a copy that got through would land.
    ::chmod(files.path("").c_str(), 0755);
    std::filesystem::create_directory(files.path("drop"));
    ::chmod(files.path("drop").c_str(), 0777);
  }

  // A game starts, and nothing else: the marker never shows.
  static void expect_only_the_game(Player& player, const std::string& marker) {
    EXPECT_TRUE(player.sees_game());
    EXPECT_EQ(player.quits(), 0);
    EXPECT_EQ(player.output().find(marker), std::string_view::npos);
    EXPECT_EQ(player.output().find("uid="), std::string_view::npos);
  }

  // The game of a player who set or sent LD_PRELOAD and PATH has TERM and
  // the session's own PATH, and nothing from the client else; nor has its session.
  static void expect_clean_environment(Player& player) {
    const pid_t game = player.joins();
    ASSERT_GT(game, 0);
    const pid_t session = wait_for_new_process([] { return sessions(); }, {});
    for (const pid_t pid : {game, session}) {
      const std::vector<std::string> environment = process_environment(pid);
      for (const std::string& entry : environment) {
        EXPECT_FALSE(entry.starts_with("LD_PRELOAD=")) << pid << ": " << entry;
        EXPECT_EQ(entry.find("rallix-evil"), std::string::npos) << pid << ": " << entry;
      }
      if (pid == game) {
        EXPECT_EQ(environment,
                  (std::vector<std::string>{"PATH=/usr/bin:/bin", "TERM=xterm-256color"}));
      }
    }
    EXPECT_EQ(player.quits(), 0);
  }

  // A forward the client asks for: the listener never sees a connection.
  void expect_forward_refused(const std::vector<std::string>& arguments, int through,
                              std::string_view bytes = "hello") {
    Player player(ssh_command(server(), arguments));
    EXPECT_TRUE(player.sees_game());
    connect_and_send(through, bytes);
    EXPECT_FALSE(listener.reached());
    EXPECT_EQ(player.quits(), 0);
  }

  // A login as `account` is refused before any session: the client says so,
  // and sshd logs why.
  void expect_login_refused(const std::string& account) {
    const std::string marker = "rallix-marker-" + account;
    Player player(ssh_command_as(account, server(), {"-t"}, {"echo", marker}));
    EXPECT_EQ(player.exit_status(), 255);
    EXPECT_NE(player.output().find("Permission denied"), std::string_view::npos) << player.output();
    EXPECT_EQ(player.output().find(marker), std::string_view::npos);
    EXPECT_EQ(frames_in(player.output()), 0u);
    EXPECT_NE(server().log().find("User " + account + " from 127.0.0.1 not allowed"),
              std::string::npos);
  }

  // An SFTP or scp client run to its end: its output and exit status.
  std::pair<std::string, int> transfer(const std::string& tool,
                                       const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{"/usr/bin/" + tool};
    const std::vector<std::string> options = client_options();
    argv.insert(argv.end(), options.begin(), options.end());
    argv.insert(argv.end(), {"-P", std::to_string(server().port())});
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    Player client(argv);
    const std::optional<int> status = client.exit_status();
    return {std::string(client.output()), status.value_or(-1)};
  }
  std::string remote(const std::string& path) const {
    return server().account() + "@127.0.0.1:" + path;
  }

  static std::string other_account;
  TempDir files;
  Listener listener;
};

std::string Refusals::other_account;

class RefusalTable;

struct RefusalCase {
  const char* name;
  // Tries what must be refused and checks that it had no effect.
  std::function<void(RefusalTable&)> attempt;
};

class RefusalTable : public Refusals, public testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusalTable, HasNoEffect) {
  GetParam().attempt(*this);
}

const std::string MARKER = "rallix-marker-7731";

// What a SOCKS5 client sends to reach 127.0.0.1:port through ssh -D.
std::string socks_request(int port) {
  std::string request("\x05\x01\x00\x05\x01\x00\x01\x7f\x00\x00\x01", 11);
  request.push_back(static_cast<char>(port >> 8));
  request.push_back(static_cast<char>(port & 0xff));
  return request;
}

const RefusalCase REFUSALS[] = {
    {"command_with_a_terminal_gets_the_game",
     [](RefusalTable& t) {
       Player player(ssh_command(server(), {"-t"}, {"echo " + MARKER + "; id"}));
       t.expect_only_the_game(player, MARKER);
     }},
    {"command_without_a_terminal_gets_one_line",
     [](RefusalTable&) {
       Player player(ssh_command(server(), {"-T"}, {"echo " + MARKER + "; id"}));
       EXPECT_EQ(player.exit_status(), 1);
       EXPECT_EQ(player.output(), NEEDS_TERMINAL);
     }},
    {"no_terminal_gets_one_line",
     [](RefusalTable&) {
       Player player(ssh_command(server(), {"-T"}));
       EXPECT_EQ(player.exit_status(), 1);
       EXPECT_EQ(player.output(), NEEDS_TERMINAL);
       EXPECT_TRUE(games().empty());
     }},
    {"local_forward",
     [](RefusalTable& t) {
       const int local = testing_support::free_port();
       t.expect_forward_refused(
           {"-t", "-L", std::to_string(local) + ":127.0.0.1:" + std::to_string(t.listener.port())},
           local);
     }},
    {"remote_forward",
     [](RefusalTable& t) {
       const int remote_port = testing_support::free_port();
       t.expect_forward_refused(
           {"-t", "-R",
            std::to_string(remote_port) + ":127.0.0.1:" + std::to_string(t.listener.port())},
           remote_port);
     }},
    {"dynamic_forward",
     [](RefusalTable& t) {
       const int socks = testing_support::free_port();
       t.expect_forward_refused({"-t", "-D", std::to_string(socks)}, socks,
                                socks_request(t.listener.port()));
     }},
    {"stdio_forward",
     [](RefusalTable& t) {
       Player player(
           ssh_command(server(), {"-W", "127.0.0.1:" + std::to_string(t.listener.port())}));
       EXPECT_EQ(player.exit_status(), 255);
       EXPECT_FALSE(t.listener.reached());
     }},
    {"sftp_lists_nothing",
     [](RefusalTable& t) {
       const std::string batch = t.files.path("batch");
       run_command("echo 'ls -la' > " + batch);
       const auto [output, status] =
           t.transfer("sftp", {"-b", batch, server().account() + "@127.0.0.1"});
       EXPECT_NE(status, 0);
       EXPECT_EQ(output.find("session.conf"), std::string::npos) << output;
     }},
    {"scp_copies_nothing_out",
     [](RefusalTable& t) {
       const std::string copy = t.files.path("copy");
       const auto [output, status] = t.transfer("scp", {t.remote("/etc/passwd"), copy});
       EXPECT_NE(status, 0);
       EXPECT_FALSE(std::filesystem::exists(copy)) << output;
     }},
    {"legacy_scp_copies_nothing_out",
     [](RefusalTable& t) {
       const std::string copy = t.files.path("copy");
       const auto [output, status] = t.transfer("scp", {"-O", t.remote("/etc/passwd"), copy});
       EXPECT_NE(status, 0);
       EXPECT_FALSE(std::filesystem::exists(copy)) << output;
     }},
    {"scp_copies_nothing_in",
     [](RefusalTable& t) {
       const std::string landed = t.files.path("drop/landed");
       const auto [output, status] = t.transfer("scp", {"/etc/hostname", t.remote(landed)});
       EXPECT_NE(status, 0);
       EXPECT_FALSE(std::filesystem::exists(landed)) << output;
     }},
    {"legacy_scp_copies_nothing_in",
     [](RefusalTable& t) {
       const std::string landed = t.files.path("drop/landed");
       const auto [output, status] = t.transfer("scp", {"-O", "/etc/hostname", t.remote(landed)});
       EXPECT_NE(status, 0);
       EXPECT_FALSE(std::filesystem::exists(landed)) << output;
     }},
    {"set_env_ld_preload",
     [](RefusalTable& t) {
       Player player(ssh_command(server(), {"-t", "-o", "SetEnv=LD_PRELOAD=/tmp/rallix-evil.so"}));
       t.expect_clean_environment(player);
     }},
    {"set_env_path",
     [](RefusalTable& t) {
       Player player(ssh_command(server(), {"-t", "-o", "SetEnv=PATH=/tmp/rallix-evil"}));
       t.expect_clean_environment(player);
     }},
    {"send_env_ld_preload",
     [](RefusalTable& t) {
       // A library the client itself loads anyway, so that only the sending is tried.
       Player player(ssh_command_as(server().account(), server(),
                                    {"-t", "-o", "SendEnv=LD_PRELOAD"}, {},
                                    {"LD_PRELOAD=libc.so.6"}));
       t.expect_clean_environment(player);
     }},
    {"send_env_path",
     [](RefusalTable& t) {
       Player player(ssh_command_as(server().account(), server(), {"-t", "-o", "SendEnv=PATH"}, {},
                                    {"PATH=/tmp/rallix-evil:/usr/bin:/bin"}));
       t.expect_clean_environment(player);
     }},
    {"root", [](RefusalTable& t) { t.expect_login_refused("root"); }},
    {"another_account_with_an_empty_password",
     [](RefusalTable& t) { t.expect_login_refused(t.other_account); }},
};

INSTANTIATE_TEST_SUITE_P(Attempts, RefusalTable, testing::ValuesIn(REFUSALS),
                         case_name<RefusalCase>);

// ---- One player cannot hurt the others -------------------------------------

struct WindowCase {
  const char* name;
  TerminalSize size;
};

class HugeWindow : public Hosted, public testing::WithParamInterface<WindowCase> {};

TEST_P(HugeWindow, EndsItsOwnGameWhileAnotherPlaysOn) {
  Player other(ssh_command(server()));
  const pid_t other_game = other.joins();
  ASSERT_GT(other_game, 0);

  Player huge(ssh_command(server()), GetParam().size);
  const std::vector<double> rates =
      frame_rates({&other, &huge}, 2s, [&] { return huge.client().try_wait().has_value(); });
  EXPECT_GE(rates[0], LEAST_FRAME_RATE) << "the other game's frames per second meanwhile";
  EXPECT_TRUE(huge.exit_status(1s)) << "its game ended and its connection closed";
  EXPECT_EQ(games(), std::vector<pid_t>{other_game}) << "only the other game runs";
  EXPECT_EQ(other.quits(), 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, HugeWindow,
                         testing::Values(WindowCase{"w12000_h12000", {12000, 12000}},
                                         WindowCase{"w65535_h65535", {65535, 65535}}),
                         case_name<WindowCase>);

TEST_F(Hosted, AKilledClientsGameIsGoneWithin3s) {
  Player player(ssh_command(server()));
  const pid_t game = player.joins();
  ASSERT_GT(game, 0);
  ::kill(player.client().pid(), SIGKILL);
  EXPECT_TRUE(wait_process_gone(game, 3s));
}

TEST_F(Hosted, AConnectionThatOpensNoSessionIsClosed) {
  Player idle(ssh_command(server(), {"-N"}));
  EXPECT_TRUE(idle.exit_status(UNUSED_CONNECTION + 3s)) << "ssh -N still connected";
}

// At most 4 games, 3 from one address; a place frees when its game is killed.
TEST_F(Hosted, TheCapsHoldAndAKilledGamesPlaceFrees) {
  const auto from = [](const char* address) {
    return ssh_command(server(), {"-t", "-b", address});
  };
  const auto expect_full = [](Player& player) {
    EXPECT_EQ(player.exit_status(), 1);
    EXPECT_NE(player.output().find(FULL), std::string_view::npos) << player.output();
    EXPECT_EQ(frames_in(player.output()), 0u);
  };
  Player first(from("127.0.0.1"));
  const pid_t first_game = first.joins();
  ASSERT_GT(first_game, 0);
  Player second(from("127.0.0.1"));
  ASSERT_TRUE(second.sees_game());
  Player third(from("127.0.0.1"));
  ASSERT_TRUE(third.sees_game());

  Player fourth_from_one(from("127.0.0.1"));
  expect_full(fourth_from_one);
  Player from_two(from("127.0.0.2"));
  ASSERT_TRUE(from_two.sees_game()) << "another address still gets a place";
  Player fifth(from("127.0.0.3"));
  expect_full(fifth);

  ::kill(first_game, SIGKILL);
  EXPECT_TRUE(first.exit_status()) << "the killed game's connection closed";
  Player after_kill(from("127.0.0.3"));
  EXPECT_TRUE(after_kill.sees_game()) << "the killed game's place went to the next player";
}

// Three players at once: each gets its frames, and each paddle moves on its own keys only.
TEST_F(Hosted, ThreeSessionsEachPlayTheirOwnGame) {
  Player a(ssh_command(server()));
  Player b(ssh_command(server()));
  Player c(ssh_command(server()));
  for (Player* player : {&a, &b, &c}) {
    ASSERT_TRUE(player->sees_game());
  }
  const std::vector<double> rates = frame_rates({&a, &b, &c}, 2s);
  for (const double rate : rates) {
    EXPECT_GE(rate, LEAST_FRAME_RATE);
  }

  const int a_top = a.paddle_top();
  const int b_top = b.paddle_top();
  const int c_top = c.paddle_top();
  a.client().write("w");
  ASSERT_TRUE(a.paddle_goes([&](int row) { return row < a_top; }));
  drain_all({&a, &b, &c}, 300ms);
  const int a_moved = a.paddle_top();
  EXPECT_EQ(b.paddle_top(), b_top);
  b.client().write("s");
  ASSERT_TRUE(b.paddle_goes([&](int row) { return row > b_top; }));
  drain_all({&a, &b, &c}, 300ms);
  EXPECT_EQ(a.paddle_top(), a_moved) << "b's key moved a's paddle";
  EXPECT_EQ(c.paddle_top(), c_top) << "someone's key moved c's paddle";
  for (Player* player : {&a, &b, &c}) {
    EXPECT_EQ(player->quits(), 0);
  }
}

// ---- The server's life: keys kept, the time limit, stopping ----------------

std::string host_keys(const SshServer& host) {
  return run_command("ssh-keyscan -p " + std::to_string(host.port()) +
                     " -t ed25519,rsa 127.0.0.1 2>/dev/null | sort");
}

TEST(ServerLife, KeepsItsKeysEndsGamesOnTimeAndOnStop) {
  SshServer host(account_name("l"));
  host.start({2, 2, "60"});
  const std::string keys = host_keys(host);
  ASSERT_NE(keys.find("ssh-ed25519"), std::string::npos) << keys;

  Player player(ssh_command(host), SIZE, host);
  const pid_t game = player.joins();
  ASSERT_GT(game, 0);
  const auto stopping = Clock::now();
  const std::optional<int> stopped = host.stop();
  EXPECT_LT(Clock::now() - stopping, 5s) << "every game ended within 5 s";
  ASSERT_TRUE(stopped);
  EXPECT_TRUE(WIFEXITED(*stopped) && WEXITSTATUS(*stopped) == 0) << host.log();
  EXPECT_TRUE(games(host).empty() && sessions(host).empty()) << "no game left running";
  EXPECT_TRUE(player.exit_status(3s)) << "the player's connection closed";
  EXPECT_EQ(last_console_state(player.output()).alternate_screen, false) << "terminal given back";

  // Three seconds of play at most this time. A frozen client (stopped, its
  // connection open) loses its game on time as well.
  host.start({2, 2, "0.05"});
  EXPECT_EQ(host_keys(host), keys) << "players' known_hosts stay valid";
  Player frozen(ssh_command(host), SIZE, host);
  const pid_t frozen_game = frozen.joins();
  ASSERT_GT(frozen_game, 0);
  ::kill(frozen.client().pid(), SIGSTOP);
  Player timed(ssh_command(host), SIZE, host);
  ASSERT_GT(timed.joins(), 0);
  const auto started = Clock::now();
  EXPECT_TRUE(timed.exit_status(10s)) << "the game ended on its own";
  const auto played = Clock::now() - started;
  EXPECT_GT(played, 2s);
  EXPECT_LT(played, 3s + 2s);
  EXPECT_EQ(last_console_state(timed.output()).alternate_screen, false) << "terminal given back";
  EXPECT_EQ(last_console_state(timed.output()).cursor_visible, true);
  EXPECT_TRUE(wait_process_gone(frozen_game, 3s)) << "the frozen client's game";
  ::kill(frozen.client().pid(), SIGKILL);
}

// serve-ssh run to its end with `arguments` after the loopback address:
// what it wrote, then "status=N". One that serves instead of refusing is
// stopped after a minute.
std::string serve_ssh_refusing(const std::string& arguments) {
  return run_command("timeout 60 " +
                     shell_quote(std::string(RALLIX_SOURCE_DIR) + "/scripts/serve-ssh") +
                     " --listen 127.0.0.1 --port " + std::to_string(testing_support::free_port()) +
                     " " + arguments + " 2>&1; echo status=$?");
}

TEST_F(Hosted, ASecondServerOfTheSameStateLeavesTheFirstOnesGamesAlone) {
  Player player(ssh_command(server()));
  const pid_t game = player.joins();
  ASSERT_GT(game, 0);
  const std::string output =
      serve_ssh_refusing("--state-dir " + server().state_dir() + " --user " + server().account());
  EXPECT_NE(output.find("another serve-ssh serves"), std::string::npos) << output;
  EXPECT_NE(output.find("status=1"), std::string::npos) << output;
  EXPECT_EQ(games(), std::vector<pid_t>{game});
  EXPECT_EQ(player.quits(), 0);
}

TEST(ServerLife, LeavesAnAccountItDidNotMakeAsItWas) {
  const TempDir dir;
  ::chmod(dir.path("").c_str(), 0755);
  const std::string before = read_file("/etc/passwd") + read_file("/etc/shadow");
  const std::string output =
      serve_ssh_refusing("--state-dir " + dir.path("state") + " --user daemon");
  EXPECT_NE(output.find("an account named daemon exists that serve-ssh did not make"),
            std::string::npos)
      << output;
  EXPECT_NE(output.find("status=1"), std::string::npos) << output;
  EXPECT_EQ(read_file("/etc/passwd") + read_file("/etc/shadow"), before);
}

TEST(ServerLife, TheUnitVerifies) {
  // The unit names the checkout it runs from: here, this one.
  const TempDir dir;
  const std::string source = RALLIX_SOURCE_DIR;
  const std::string unit = dir.path("rallix-ssh.service");
  run_command("sed 's|/opt/rallix|" + source + "|g' " + shell_quote(source) +
              "/hosting/rallix-ssh.service > " + shell_quote(unit));
  EXPECT_EQ(run_command("systemd-analyze verify " + shell_quote(unit) + " 2>&1"), "");
}

}  // namespace

int main(int argc, char** argv) {
  if (::geteuid() != 0) {
    std::cerr << "ssh_test needs root: it makes accounts and runs sshd; run it as root or through "
                 "sudo\n";
    return 1;
  }
  testing::InitGoogleTest(&argc, argv);
  testing::AddGlobalTestEnvironment(new SharedServer);
  return RUN_ALL_TESTS();
}
