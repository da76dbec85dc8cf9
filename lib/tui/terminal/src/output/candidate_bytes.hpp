// A few bytes built on the stack: one of the byte strings that would do the
// same thing, of which the encoder sends the shortest.
#pragma once

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <string_view>

namespace tui::detail {

// It holds fewer bytes than its limit, or gives up. Built with the length of
// the best string so far as its limit, a candidate that still fits once it
// is complete is shorter than that one, and it stops early when it is not.
class CandidateBytes {
 public:
  static constexpr std::size_t CAPACITY = 32;

  explicit CandidateBytes(std::size_t limit = CAPACITY, std::string_view start = {})
      : limit_(std::min(limit, CAPACITY)) {
    add(start);
  }

  [[nodiscard]] bool fits() const { return fits_; }
  [[nodiscard]] std::size_t size() const { return size_; }
  [[nodiscard]] std::string_view view() const { return {bytes_.data(), size_}; }

  void give_up() { fits_ = false; }

  void add(std::string_view text) {
    if (!fits_ || text.size() >= limit_ - size_) {
      fits_ = false;
      return;
    }
    std::copy(text.begin(), text.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(size_));
    size_ += text.size();
  }

  void add(char c) { add(std::string_view(&c, 1)); }

  void add_repeated(char c, int count) {
    for (int i = 0; i < count && fits_; ++i) {
      add(c);
    }
  }

  void add_number(int n) {
    char digits[12];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    add(std::string_view(digits, static_cast<std::size_t>(end - digits)));
  }

 private:
  std::array<char, CAPACITY> bytes_;
  std::size_t size_ = 0;
  std::size_t limit_;
  bool fits_ = true;
};

}  // namespace tui::detail
