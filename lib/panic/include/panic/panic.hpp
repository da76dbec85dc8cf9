// The process-wide panic facility: one hook slot and `panic::panic`.
//
// A panic is an unrecoverable failure. `panic::panic` runs the installed hook
// at once, on the panicking thread, and then unwinds with `panic::Panic`,
// which the process entry catches to end with its panic exit status.
#pragma once

#include <exception>
#include <functional>
#include <source_location>
#include <string>
#include <string_view>

namespace panic {

struct PanicInfo {
  std::string_view message;
  std::source_location location;
};

using Hook = std::function<void(const PanicInfo&)>;

// The exception a panic unwinds with, after the hook has run.
class Panic : public std::exception {
 public:
  explicit Panic(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// Takes the installed hook out of the slot, leaving the default hook there.
Hook take_hook();

// Puts `hook` into the slot, replacing whatever was there.
void set_hook(Hook hook);

// Runs the installed hook with `info`. A panic raised while a hook runs on
// the same thread aborts the process instead of recursing.
void run_hook(const PanicInfo& info);

// The hook in the slot before anyone sets one: the message and its position.
void default_hook(const PanicInfo& info);

[[noreturn]] void panic(std::string message,
                        std::source_location location = std::source_location::current());

}  // namespace panic
