// What a finished item of terminal input means: keys in the legacy forms and
// the keyboard protocol's, focus changes, mouse reports, and the answers to
// queries. Where an item ends is found first (item_framing.hpp).
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "item_framing.hpp"
#include "tui/input/input_decoder.hpp"

namespace tui::detail {

// Whether reading an item opens a bracketed paste.
enum class Opens : bool { Nothing, Paste };

// Appends what the whole item `bytes`, framed as `kind`, comes to.
Opens add_meaning(ItemKind kind, std::string_view bytes, std::vector<Decoded>& out);

// What the start of an item left unfinished comes to once no more of it is
// coming. A terminal writes each sequence in one go, so an introducer alone
// was typed (Alt+[ or Alt+Shift+O) and is that key. A longer fragment is a
// sequence that lost its tail: guessing at it would type keys the user never
// pressed, so it comes to nothing.
std::optional<Decoded> settled_meaning(std::string_view held);

}  // namespace tui::detail
