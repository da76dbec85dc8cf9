// Wipes an area, so that what follows is drawn on a clean slate.
#pragma once

#include "tui/screen/buffer.hpp"

namespace tui {

struct Clear {
  // Every cell of the area becomes a blank in the default colours.
  void render(Rect area, Buffer& buffer) const;
};

}  // namespace tui
