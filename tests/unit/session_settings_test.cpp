// The hosted session's settings file: what it accepts, and what it turns away.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <ostream>
#include <string>

#include "case_name.hpp"
#include "settings.hpp"
#include "support/tmux_session.hpp"

namespace {

struct Case {
  const char* name;
  const char* text;
  const char* error;  // a part of the error, or nullptr when the text is good
};

using case_printing::PrintTo;

class SettingsText : public testing::TestWithParam<Case> {};

TEST_P(SettingsText, IsReadOrNamesItsFault) {
  const auto settings = session::parse_settings(GetParam().text);
  if (GetParam().error == nullptr) {
    ASSERT_TRUE(settings) << settings.error();
    EXPECT_EQ(settings->max_players, 200u);
    EXPECT_EQ(settings->max_per_address, 4u);
    EXPECT_EQ(settings->max_play_time, std::chrono::seconds(3600));
  } else {
    ASSERT_FALSE(settings);
    EXPECT_NE(settings.error().find(GetParam().error), std::string::npos) << settings.error();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SettingsText,
    testing::Values(
        Case{"plain", "max-players 200\nmax-per-address 4\nmax-seconds 3600\n", nullptr},
        Case{"comments_blanks_and_spaces",
             "# made by serve-ssh\n\n  max-players\t200 \r\nmax-per-address 4\nmax-seconds 3600",
             nullptr},
        Case{"unknown_name", "max-players 200\nmax-games 4\n", "line 2: unknown setting max-games"},
        Case{"zero", "max-players 0\n", "line 1: max-players takes a positive whole number"},
        Case{"negative", "max-players -1\n", "positive whole number"},
        Case{"not_a_number", "max-players many\n", "positive whole number"},
        Case{"trailing_junk", "max-players 20x\n", "positive whole number"},
        Case{"beyond_any_host", "max-players 99999999999999999999\n", "positive whole number"},
        Case{"no_value", "max-players\n", "line 1: a name without a value"},
        Case{"given_twice", "max-players 2\nmax-players 3\n", "line 2: max-players is given twice"},
        Case{"one_missing", "max-players 200\nmax-per-address 4\n", "are all needed"},
        Case{"empty", "", "are all needed"}),
    case_name<Case>);

// The file itself must be one that only root may change.
class SettingsFile : public testing::Test {
 protected:
  std::string write(const std::string& text, mode_t mode) {
    const std::string path = dir.path("session.conf");
    std::ofstream(path) << text;
    ::chmod(path.c_str(), mode);
    return path;
  }
  testing_support::TempDir dir;
  const std::string good = "max-players 2\nmax-per-address 1\nmax-seconds 60\n";
};

// (That it reads root's own file is shown end to end, by every hosted game.)
TEST_F(SettingsFile, IsRefusedWhenOthersMayWriteIt) {
  for (const mode_t mode : {0666, 0664, 0646}) {
    const auto settings = session::read_settings(write(good, mode));
    ASSERT_FALSE(settings) << std::oct << mode;
    EXPECT_NE(settings.error().find("only root may change"), std::string::npos) << settings.error();
  }
}

TEST_F(SettingsFile, IsRefusedWhenMissing) {
  const auto settings = session::read_settings(dir.path("missing.conf"));
  ASSERT_FALSE(settings);
  EXPECT_NE(settings.error().find("No such file"), std::string::npos) << settings.error();
}

}  // namespace
