#include "slots.hpp"

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace session {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// An admission holds the gate for a few hundred small file operations; one
// that waits longer than this for it meets a stuck holder and gives up.
constexpr auto GATE_WAIT = 5s;
constexpr std::size_t LONGEST_ADDRESS = INET6_ADDRSTRLEN;

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

SlotError unavailable(const std::string& what) {
  return {SlotRefusal::Unavailable, what + ": " + std::strerror(errno)};
}

bool lock_now(int fd) {
  return ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

bool wait_for_gate(int fd) {
  const auto give_up = Clock::now() + GATE_WAIT;
  while (!lock_now(fd)) {
    if (errno != EWOULDBLOCK || Clock::now() >= give_up) {
      return false;
    }
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

std::string read_address(int fd) {
  std::array<char, LONGEST_ADDRESS + 1> text{};
  const ssize_t n = ::pread(fd, text.data(), text.size(), 0);
  return n > 0 ? std::string(text.data(), static_cast<std::size_t>(n)) : std::string();
}

bool write_address(int fd, std::string_view address) {
  return ::ftruncate(fd, 0) == 0 &&
         ::pwrite(fd, address.data(), address.size(), 0) == static_cast<ssize_t>(address.size());
}

}  // namespace

Slot::~Slot() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

std::string gate_path(const std::string& folder) {
  return folder + "/gate";
}

std::string slot_path(const std::string& folder, unsigned index) {
  return folder + "/slot-" + std::to_string(index);
}

std::expected<Slot, SlotError> take_slot(const std::string& folder, SlotLimits limits,
                                         std::string_view address) {
  // One admission at a time, so that two players from one address cannot
  // both count the same number of games and both get in.
  const Descriptor gate(::open(gate_path(folder).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (gate.get() < 0) {
    return std::unexpected(unavailable("opening " + gate_path(folder)));
  }
  if (!wait_for_gate(gate.get())) {
    return std::unexpected(SlotError{SlotRefusal::Full, "no admission within the wait"});
  }
  std::optional<Descriptor> free;
  unsigned from_address = 0;
  for (unsigned index = 0; index < limits.max_players; ++index) {
    const std::string path = slot_path(folder, index);
    Descriptor slot(::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW));
    if (slot.get() < 0) {
      return std::unexpected(unavailable("opening " + path));
    }
    if (lock_now(slot.get())) {
      if (!free) {
        free.emplace(slot.release());
      }
      // Any other free place is unlocked again as `slot` closes.
    } else if (errno != EWOULDBLOCK) {
      return std::unexpected(unavailable("locking " + path));
    } else if (read_address(slot.get()) == address) {
      ++from_address;
    }
  }
  if (!free || from_address >= limits.max_per_address) {
    return std::unexpected(SlotError{SlotRefusal::Full, {}});
  }
  if (!write_address(free->get(), address)) {
    return std::unexpected(unavailable("writing a place's address"));
  }
  return Slot(free->release());
}

std::string client_address(const char* connection) {
  if (connection == nullptr) {
    return "local";
  }
  const std::string_view text(connection);
  const std::string first(text.substr(0, text.find(' ')));
  // Parsed and printed again, so that one address has one spelling.
  std::array<unsigned char, sizeof(in6_addr)> binary{};
  std::array<char, LONGEST_ADDRESS> printed{};
  for (const int family : {AF_INET, AF_INET6}) {
    if (::inet_pton(family, first.c_str(), binary.data()) == 1 &&
        ::inet_ntop(family, binary.data(), printed.data(), printed.size()) != nullptr) {
      return printed.data();
    }
  }
  return "local";
}

}  // namespace session
