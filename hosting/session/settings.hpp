// The limits a hosted game is played under. serve-ssh writes them into the
// game account's home, which only root may change, so that a player (or a
// local user who reaches the account through su) cannot loosen them.
#pragma once

#include <chrono>
#include <expected>
#include <string>
#include <string_view>

namespace session {

struct Settings {
  unsigned max_players = 0;
  unsigned max_per_address = 0;
  std::chrono::seconds max_play_time{0};
};

// Reads lines of "name value": max-players, max-per-address and max-seconds,
// each a positive whole number, each given once; blank lines and lines that
// start with '#' are skipped. The error names the line at fault.
std::expected<Settings, std::string> parse_settings(std::string_view text);

// Reads the settings file at `path`, which must be a regular file owned by
// root and writable by no one else.
std::expected<Settings, std::string> read_settings(const std::string& path);

}  // namespace session
