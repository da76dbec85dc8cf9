// Windows console input records turned into input events.
//
// The records mirror the fields of the Windows structures (KEY_EVENT_RECORD,
// MOUSE_EVENT_RECORD, WINDOW_BUFFER_SIZE_RECORD, FOCUS_EVENT_RECORD) and the
// constants below have the Windows values, so that the translation is plain
// code that builds and is tested on every platform; only the event source
// on Windows copies the real records into these.
#pragma once

#include <cstdint>
#include <variant>
#include <vector>

#include "tui/input/events.hpp"

namespace tui::detail {

struct KeyRecord {
  bool key_down = true;
  std::uint16_t repeat_count = 1;
  std::uint16_t virtual_key_code = 0;
  char16_t unicode_char = 0;
  std::uint32_t control_key_state = 0;
};

struct MouseRecord {
  int x = 0;  // in the screen buffer, 0-based
  int y = 0;
  std::uint32_t button_state = 0;
  std::uint32_t control_key_state = 0;
  std::uint32_t event_flags = 0;
};

// The screen buffer's new size; the window may be smaller than the buffer.
struct BufferSizeRecord {
  int width = 0;
  int height = 0;
};

struct FocusRecord {
  bool set_focus = false;
};

using InputRecord = std::variant<KeyRecord, MouseRecord, BufferSizeRecord, FocusRecord>;

// The Windows values of the fields' bits. (Named apart from the macros of
// windows.h, which would replace them.)
namespace control_key {  // dwControlKeyState
inline constexpr std::uint32_t RIGHT_ALT = 0x0001;
inline constexpr std::uint32_t LEFT_ALT = 0x0002;
inline constexpr std::uint32_t RIGHT_CTRL = 0x0004;
inline constexpr std::uint32_t LEFT_CTRL = 0x0008;
inline constexpr std::uint32_t SHIFT = 0x0010;
inline constexpr std::uint32_t CAPS_LOCK = 0x0080;
}  // namespace control_key

namespace mouse_button {  // dwButtonState, whose high word is the wheel's signed turn
inline constexpr std::uint32_t LEFT = 0x0001;
inline constexpr std::uint32_t RIGHT = 0x0002;
inline constexpr std::uint32_t MIDDLE = 0x0004;
}  // namespace mouse_button

namespace mouse_flag {  // dwEventFlags; none of them is a button going down or up
inline constexpr std::uint32_t MOVED = 0x0001;
inline constexpr std::uint32_t DOUBLE_CLICKED = 0x0002;
inline constexpr std::uint32_t WHEELED = 0x0004;
inline constexpr std::uint32_t HWHEELED = 0x0008;
}  // namespace mouse_flag

// What one record can only be understood with: the first half of a UTF-16
// surrogate pair (a character beyond the Basic Multilingual Plane comes as
// two key records), and the mouse buttons held (a record says which are
// down, not which one changed).
struct RecordContext {
  char16_t high_surrogate = 0;
  std::uint32_t buttons = 0;
};

// Appends the events `record` stands for to `out`: none for a modifier key
// alone, as many presses as a key-down record repeats. A buffer size record
// becomes a Resize with the buffer's size, which the caller may replace by
// the window's.
void translate_record(const InputRecord& record, RecordContext& context, std::vector<Event>& out);

}  // namespace tui::detail
