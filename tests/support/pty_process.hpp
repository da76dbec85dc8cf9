// Runs a program on a pseudo-terminal of its own for end-to-end tests: the
// test holds the master side, types into it, reads what the program draws
// and watches the process from outside (signals, its state, its exit).
#pragma once

#include <sys/types.h>
#include <termios.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

class Spawned;

struct TerminalSize {
  unsigned short width;
  unsigned short height;
};

enum class Launch {
  // The program leads the terminal's session, as when a terminal emulator starts it.
  SessionLeader,
  // The program is a foreground job under a parent that stays in the session,
  // as under a shell with job control; only such a job can stop on SIGTSTP
  // (the kernel discards stop signals for an orphaned process group). The
  // parent passes the program's exit status or death by a signal on. It
  // outlives a hang-up, so the program then learns of it only from the
  // terminal itself: a hang-up signals the session's leader alone.
  Job,
};

struct LaunchOptions {
  Launch launch = Launch::SessionLeader;
  std::string stdout_path{};  // empty: standard output is the terminal
  std::string stderr_path{};  // empty: standard error is the terminal too
  // Typed at the terminal before the program starts: it waits in the
  // terminal's input, as keys typed during a build or over a slow link do.
  std::string typed_ahead{};
};

class PtyProcess {
 public:
  // How much of the latest output is kept for inspection.
  static constexpr std::size_t KEPT_OUTPUT = 512 * 1024;

  // Starts `binary` with the terminal as its controlling terminal and its
  // standard input, output and error. Core dumps are off in the child.
  PtyProcess(const std::string& binary, TerminalSize size, const LaunchOptions& options = {});
  // The same with arguments: `argv[0]` is the program's path.
  PtyProcess(const std::vector<std::string>& argv, TerminalSize size,
             const LaunchOptions& options = {});
  // Kills a program still running and reaps it.
  ~PtyProcess();
  PtyProcess(const PtyProcess&) = delete;
  PtyProcess& operator=(const PtyProcess&) = delete;

  // The program's own process (under Launch::Job, not its parent's).
  pid_t pid() const { return program_; }

  // Writes all of `bytes`, reading the output meanwhile so that neither side
  // blocks on the other. Returns false when the terminal stopped taking
  // input before `limit`.
  bool write(std::string_view bytes, std::chrono::milliseconds limit = std::chrono::seconds(60));

  // Reads the output for `duration`.
  void drain_for(std::chrono::milliseconds duration);

  // Reads the output until `done` holds of what came since byte `since` of
  // the whole output, up to `limit`; returns whether it did.
  bool wait_for_output(const std::function<bool(std::string_view)>& done, std::uint64_t since = 0,
                       std::chrono::milliseconds limit = std::chrono::seconds(10));
  bool wait_for_text(std::string_view text, std::uint64_t since = 0,
                     std::chrono::milliseconds limit = std::chrono::seconds(10));

  // Sets the window size; the kernel sends SIGWINCH to the foreground job.
  void resize(TerminalSize size) const;

  // The slave side's modes, read through the master.
  termios terminal_modes() const;

  // What was typed at the terminal and never read, once the program has
  // ended. Switches the terminal's input to raw mode, since in line mode an
  // unfinished line does not show.
  std::string unread_input() const;

  // Hangs the terminal up, as when a terminal emulator's window closes.
  void close_master();

  // Under Launch::Job, the signal of every stop of the program so far, as
  // its parent's waitpid reported them.
  std::vector<int> stop_signals();

  // The raw wait status once the direct child ended, if it has.
  std::optional<int> try_wait();
  // Reads the output until the direct child ends, then what it left in the
  // terminal; the raw wait status, or nothing when `limit` passed first.
  std::optional<int> wait_exit(std::chrono::milliseconds limit = std::chrono::seconds(30));

  // Every byte of output so far, counted; and the latest KEPT_OUTPUT of them
  // (at least), or those from byte `since` of the whole output on.
  std::uint64_t output_bytes() const { return output_total_; }
  std::string_view output() const { return output_; }
  std::string_view output_since(std::uint64_t since) const;

 private:
  // Reads whatever is waiting, returning once the master has nothing more.
  void read_available();
  void keep(std::string_view bytes);
  void read_for(std::chrono::milliseconds limit, const std::function<bool()>& done);

  int master_ = -1;
  // The test's own open of the slave side: it keeps the terminal's input
  // queue alive after the program has gone, for unread_input.
  int slave_ = -1;
  std::unique_ptr<Spawned> child_;  // the program, or its parent under Launch::Job
  pid_t program_ = -1;              // the program itself
  int job_stops_ = -1;              // under Launch::Job: the parent reports stops here
  std::vector<int> stops_;
  std::optional<int> status_;
  std::string output_;
  std::uint64_t output_total_ = 0;
};

// What the latest of each kind of console sequence in `output` says.
struct ConsoleState {
  std::optional<bool> alternate_screen;  // ESC[?1049h or ESC[?1049l
  std::optional<bool> cursor_visible;    // ESC[?25h or ESC[?25l
};
ConsoleState last_console_state(std::string_view output);

// Line input, echo and signal keys all on.
bool is_cooked(const termios& modes);

}  // namespace testing_support
