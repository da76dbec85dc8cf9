// The numbers of a control sequence's parameter bytes, such as "1;5:3" or
// "?62;22": fields split by ';', each with parts split by ':'.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace tui::detail {

struct CsiParameters {
  // Enough for every sequence the decoder understands; the fields and parts
  // beyond these (the text of a kitty key, long device attributes) are read
  // past and not kept.
  static constexpr std::size_t FIELDS = 4;
  static constexpr std::size_t PARTS = 3;

  char marker = 0;          // a leading '<', '=', '>' or '?'; 0 when there is none
  std::size_t count = 0;    // fields present, kept or not
  bool well_formed = true;  // false when bytes other than digits, ';' and ':' follow the marker
  std::array<std::array<unsigned, PARTS>, FIELDS> values{};

  // An empty or absent part reads as 0.
  [[nodiscard]] constexpr unsigned at(std::size_t field, std::size_t part = 0) const {
    return field < FIELDS && part < PARTS ? values[field][part] : 0;
  }
};

// Numbers stop growing here: far above any key code or coordinate, and far
// from overflow however many digits a sequence carries.
inline constexpr unsigned SATURATED_PARAMETER = 99'999'999;

constexpr CsiParameters parse_csi_parameters(std::string_view bytes) {
  CsiParameters p;
  if (!bytes.empty() && bytes.front() >= '<' && bytes.front() <= '?') {
    p.marker = bytes.front();
    bytes.remove_prefix(1);
  }
  if (bytes.empty()) {
    return p;
  }
  p.count = 1;
  std::size_t field = 0;
  std::size_t part = 0;
  for (const char c : bytes) {
    if (c >= '0' && c <= '9') {
      if (field < CsiParameters::FIELDS && part < CsiParameters::PARTS) {
        unsigned& value = p.values[field][part];
        value = value >= SATURATED_PARAMETER / 10 ? SATURATED_PARAMETER
                                                  : value * 10 + static_cast<unsigned>(c - '0');
      }
    } else if (c == ';') {
      ++field;
      part = 0;
      ++p.count;
    } else if (c == ':') {
      ++part;
    } else {
      p.well_formed = false;
    }
  }
  return p;
}

}  // namespace tui::detail
