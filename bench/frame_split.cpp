#include "frame_split.hpp"

#include <algorithm>

namespace bench {

std::vector<std::size_t> FrameEndFinder::find(std::string_view output) {
  std::vector<std::size_t> ends;
  for (;;) {
    const std::size_t at = output.find(HIDE_CURSOR, scanned_);
    if (at == std::string_view::npos) {
      // Keep the tail that may be the start of a request split across reads.
      const std::size_t keep = HIDE_CURSOR.size() - 1;
      scanned_ = std::max(scanned_, output.size() > keep ? output.size() - keep : 0);
      return ends;
    }
    scanned_ = at + HIDE_CURSOR.size();
    ends.push_back(scanned_);
  }
}

std::vector<std::string_view> split_frames(std::string_view output,
                                           const std::vector<std::size_t>& ends) {
  std::vector<std::string_view> frames;
  std::size_t begin = 0;
  for (std::size_t end : ends) {
    if (output.substr(end).starts_with(END_SYNC)) {
      end += END_SYNC.size();
    }
    frames.push_back(output.substr(begin, end - begin));
    begin = end;
  }
  return frames;
}

}  // namespace bench
