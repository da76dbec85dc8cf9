#include "first_ready.hpp"

std::optional<Source> first_ready(bool tick_ready, bool input_ready, std::mt19937& random) {
  const bool tick_first = std::bernoulli_distribution(0.5)(random);
  const Source first = tick_first ? Source::Tick : Source::Input;
  const Source second = tick_first ? Source::Input : Source::Tick;
  const auto is_ready = [&](Source s) { return s == Source::Tick ? tick_ready : input_ready; };
  if (is_ready(first)) {
    return first;
  }
  if (is_ready(second)) {
    return second;
  }
  return std::nullopt;
}
