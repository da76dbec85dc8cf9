// Which of the main loop's two sources ends a wait.
#pragma once

#include <optional>
#include <random>

enum class Source { Tick, Input };

// Looks at the two sources in an order chosen at random with even odds and
// returns the first one found ready, or nothing when neither is. Looking
// takes nothing: a source that does not win keeps its tick or item.
std::optional<Source> first_ready(bool tick_ready, bool input_ready, std::mt19937& random);
