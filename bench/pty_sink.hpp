// A pseudo-terminal that a writer in this process draws on, read back on a
// thread of its own so that no frame ever waits for a reader.
#pragma once

#include <string>
#include <thread>
#include <vector>

#include "tui/screen/geometry.hpp"

namespace bench {

class PtySink {
 public:
  // A window of `size`, in raw mode as the game leaves its console.
  explicit PtySink(tui::Size size);
  ~PtySink();
  PtySink(const PtySink&) = delete;
  PtySink& operator=(const PtySink&) = delete;

  // Where the writer draws.
  int console() const { return slave_; }

  // Everything written so far belongs to the frame that ends here. The mark
  // goes through the terminal after the frame's bytes, and the reader cuts
  // the stream there without counting it.
  void end_frame() const;

  // Stops the reader and hands over each frame's bytes, in order.
  std::vector<std::string> finish();

 private:
  void drain();
  void stop();

  int master_ = -1;
  int slave_ = -1;
  std::thread reader_;
  std::vector<std::string> frames_;  // the reader's until it is joined
};

}  // namespace bench
