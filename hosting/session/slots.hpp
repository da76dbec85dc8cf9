// Places among the games being played. Each place is a file of a folder
// that serve-ssh prepares; a game holds its place for as long as the file
// stays locked with flock, so a place frees however its game ends, SIGKILL
// included, and no count can drift. A held file names the client address
// it serves, which is how the games of one address are counted.
#pragma once

#include <expected>
#include <string>
#include <string_view>

namespace session {

// A held place: the lock lasts while this descriptor, or a copy of it that
// a child inherited, stays open.
class Slot {
 public:
  explicit Slot(int fd) : fd_(fd) {}
  ~Slot();
  Slot(Slot&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Slot& operator=(Slot&&) = delete;
  Slot(const Slot&) = delete;
  Slot& operator=(const Slot&) = delete;

  int descriptor() const { return fd_; }

 private:
  int fd_;
};

struct SlotLimits {
  unsigned max_players;
  unsigned max_per_address;
};

enum class SlotRefusal {
  Full,         // every place is taken, or this address has all it may have
  Unavailable,  // the folder of places cannot be used; `detail` says why
};

struct SlotError {
  SlotRefusal refusal;
  std::string detail;
};

// The file names in `folder`: one "gate" that admissions take in turn, and
// "slot-0" up to "slot-{max_players - 1}".
std::string gate_path(const std::string& folder);
std::string slot_path(const std::string& folder, unsigned index);

// Takes a free place for a game played from `address`.
std::expected<Slot, SlotError> take_slot(const std::string& folder, SlotLimits limits,
                                         std::string_view address);

// The client address of an SSH connection ("ADDRESS PORT ADDRESS PORT"), in
// its usual text form, or "local" when `connection` names none.
std::string client_address(const char* connection);

}  // namespace session
