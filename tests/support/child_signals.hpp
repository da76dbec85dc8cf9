// For a forked copy of a test that is about to exec a program.
#pragma once

#include <csignal>

namespace testing_support {

// The test runner's signal mask and ignored signals would be inherited
// through exec and change how the program meets its signals. Only
// async-signal-safe calls: it runs between fork and exec.
inline void reset_signals_for_exec() {
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  for (int signal = 1; signal < NSIG; ++signal) {
    if (signal != SIGKILL && signal != SIGSTOP) {
      ::sigaction(signal, &fallback, nullptr);
    }
  }
  sigset_t none{};
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
}

}  // namespace testing_support
