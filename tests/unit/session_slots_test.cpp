// The places of hosted games: a file each, held with flock. Real files in a
// fresh folder, laid out as serve-ssh lays them out.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "case_name.hpp"
#include "slots.hpp"
#include "support/tmux_session.hpp"

namespace {

using session::SlotRefusal;
using session::take_slot;

class Places : public testing::Test {
 protected:
  void make(unsigned count) {
    std::ofstream(session::gate_path(folder()));
    for (unsigned index = 0; index < count; ++index) {
      std::ofstream(session::slot_path(folder(), index));
    }
  }
  std::string folder() const { return dir.path("slots"); }
  void SetUp() override { std::filesystem::create_directory(folder()); }

  testing_support::TempDir dir;
};

TEST_F(Places, GoUpToTheCapThenTheServerIsFull) {
  make(3);
  std::vector<session::Slot> held;
  for (const char* address : {"192.0.2.1", "192.0.2.2", "192.0.2.3"}) {
    auto slot = take_slot(folder(), {3, 3}, address);
    ASSERT_TRUE(slot) << slot.error().detail;
    held.push_back(std::move(*slot));
  }
  const auto fourth = take_slot(folder(), {3, 3}, "192.0.2.4");
  ASSERT_FALSE(fourth);
  EXPECT_EQ(fourth.error().refusal, SlotRefusal::Full);

  held.pop_back();  // a game ends
  EXPECT_TRUE(take_slot(folder(), {3, 3}, "192.0.2.4"));
}

TEST_F(Places, OneAddressGetsItsShareAndOthersStillGetIn) {
  make(4);
  std::vector<session::Slot> held;
  for (int game = 0; game < 2; ++game) {
    auto slot = take_slot(folder(), {4, 2}, "2001:db8::7");
    ASSERT_TRUE(slot) << slot.error().detail;
    held.push_back(std::move(*slot));
  }
  const auto third = take_slot(folder(), {4, 2}, "2001:db8::7");
  ASSERT_FALSE(third);
  EXPECT_EQ(third.error().refusal, SlotRefusal::Full);
  EXPECT_TRUE(take_slot(folder(), {4, 2}, "2001:db8::8"));
  // An address is counted by what its held places say, not by what freed ones said.
  held.pop_back();
  EXPECT_TRUE(take_slot(folder(), {4, 2}, "2001:db8::7"));
}

// A game inherits its session's place; the place frees only when both are
// gone, however they end.
TEST_F(Places, FreeWhenTheLastHolderIsKilled) {
  make(1);
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t holder = ::fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    auto slot = take_slot(folder(), {1, 1}, "local");
    if (slot && ::fork() == 0) {
      // The "game": holds the inherited descriptor while its parent is gone.
      const pid_t self = ::getpid();
      static_cast<void>(::write(ready[1], &self, sizeof self));
      ::pause();
    }
    ::_exit(slot ? 0 : 1);
  }
  pid_t game = -1;
  ASSERT_EQ(::read(ready[0], &game, sizeof game), static_cast<ssize_t>(sizeof game));
  int status = 0;
  ASSERT_EQ(::waitpid(holder, &status, 0), holder);
  ASSERT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(take_slot(folder(), {1, 1}, "local")) << "the game still holds the place";

  ::kill(game, SIGKILL);
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  std::optional<session::Slot> taken;
  while (!taken && std::chrono::steady_clock::now() < give_up) {
    if (auto slot = take_slot(folder(), {1, 1}, "local")) {
      taken.emplace(std::move(*slot));
    }
  }
  EXPECT_TRUE(taken) << "the killed game's place did not free";
  ::close(ready[0]);
  ::close(ready[1]);
}

TEST_F(Places, AreUnavailableWithoutTheirFolder) {
  const auto slot = take_slot(dir.path("none"), {1, 1}, "local");
  ASSERT_FALSE(slot);
  EXPECT_EQ(slot.error().refusal, SlotRefusal::Unavailable);
  EXPECT_NE(slot.error().detail.find("gate"), std::string::npos) << slot.error().detail;
}

struct AddressCase {
  const char* name;
  const char* connection;
  const char* address;
};

using case_printing::PrintTo;

class ClientAddress : public testing::TestWithParam<AddressCase> {};

TEST_P(ClientAddress, IsTheFirstFieldInOneSpelling) {
  EXPECT_EQ(session::client_address(GetParam().connection), GetParam().address);
}

INSTANTIATE_TEST_SUITE_P(
    Connections, ClientAddress,
    testing::Values(AddressCase{"ipv4", "203.0.113.5 52144 198.51.100.1 2222", "203.0.113.5"},
                    AddressCase{"ipv6", "2001:db8::1 52144 2001:db8::2 2222", "2001:db8::1"},
                    AddressCase{"ipv6_long_form", "2001:0db8:0000:0000:0000:0000:0000:0001 1 :: 2",
                                "2001:db8::1"},
                    AddressCase{"none", nullptr, "local"}, AddressCase{"empty", "", "local"},
                    AddressCase{"not_an_address", "example.org 1 2 3", "local"},
                    AddressCase{"ipv4_with_junk", "203.0.113.5x 1 2 3", "local"}),
    case_name<AddressCase>);

}  // namespace
