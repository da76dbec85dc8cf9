// Windows console input records to input events. The records are plain
// structs with the Windows field values, so these run on every platform.
#include "input/input_records.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "case_name.hpp"
#include "event_builders.hpp"
#include "event_printers.hpp"

namespace tui::detail {
namespace {

constexpr std::uint32_t LEFT_CTRL = control_key::LEFT_CTRL;
constexpr std::uint32_t RIGHT_CTRL = control_key::RIGHT_CTRL;
constexpr std::uint32_t LEFT_ALT = control_key::LEFT_ALT;
constexpr std::uint32_t RIGHT_ALT = control_key::RIGHT_ALT;
constexpr std::uint32_t SHIFT = control_key::SHIFT;
constexpr std::uint32_t CAPS = control_key::CAPS_LOCK;
constexpr std::uint32_t ENHANCED_KEY = 0x0100;

KeyRecord down(std::uint16_t vk, char16_t ch, std::uint32_t state = 0, std::uint16_t repeats = 1) {
  return {true, repeats, vk, ch, state};
}

KeyRecord up(std::uint16_t vk, char16_t ch, std::uint32_t state = 0) {
  return {false, 1, vk, ch, state};
}

using event_builders::press;
using event_builders::release;

KeyCode ch(char32_t c) {
  return KeyCode::character(c);
}

KeyCode named(Key key) {
  return KeyCode::named(key);
}

constexpr Modifiers CONTROL = Modifiers::CONTROL;
constexpr Modifiers ALT = Modifiers::ALT;

struct Case {
  std::vector<InputRecord> records;  // translated in order, with one context
  std::vector<Event> expected;
  const char* name;
};

using case_printing::PrintTo;

std::vector<Event> translate(const std::vector<InputRecord>& records) {
  RecordContext context;
  std::vector<Event> events;
  for (const InputRecord& record : records) {
    translate_record(record, context, events);
  }
  return events;
}

class KeyRecords : public testing::TestWithParam<Case> {};

TEST_P(KeyRecords, TranslateToKeyEvents) {
  EXPECT_EQ(translate(GetParam().records), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyRecords,
    testing::Values(
        Case{{down('W', u'w')}, {press(ch(U'w'))}, "LetterDownIsAPress"},
        Case{{up('W', u'w')}, {release(ch(U'w'))}, "LetterUpIsARelease"},
        Case{{down('S', u's', 0, 3)},
             {press(ch(U's')), press(ch(U's')), press(ch(U's'))},
             "AutoRepeatCountGivesThatManyPresses"},
        Case{{down(0x10, 0, SHIFT), down(0x11, 0, LEFT_CTRL), down(0x12, 0, LEFT_ALT),
              down(0x14, 0, CAPS), up(0x14, 0, CAPS), up(0x12, 0), up(0x11, 0), up(0x10, 0),
              down(0xA1, 0, SHIFT)},
             {},
             "ModifierKeysAloneAreNoEvent"},
        Case{{down('C', 0x03, LEFT_CTRL), up('C', 0x03, LEFT_CTRL)},
             {press(ch(U'c'), CONTROL), release(ch(U'c'), CONTROL)},
             "CtrlLetterIsTheLetterWithControl"},
        Case{{down('C', 0x03, RIGHT_CTRL)}, {press(ch(U'c'), CONTROL)}, "RightCtrlIsControlToo"},
        Case{{down('C', 0, LEFT_CTRL | LEFT_ALT)},
             {press(ch(U'c'), CONTROL | ALT)},
             "CtrlAltLetterWithoutACharacter"},
        Case{{down('W', u'W', SHIFT), down('W', u'W', CAPS), down('W', u'w', SHIFT | CAPS),
              down('C', 0x03, LEFT_CTRL | SHIFT), down('C', 0x03, LEFT_CTRL | SHIFT | CAPS)},
             {press(ch(U'W'), Modifiers::SHIFT), press(ch(U'W')), press(ch(U'w'), Modifiers::SHIFT),
              press(ch(U'C'), CONTROL | Modifiers::SHIFT),
              press(ch(U'c'), CONTROL | Modifiers::SHIFT)},
             "LetterUpperCaseWithExactlyOneOfShiftAndCapsLock"},
        Case{{down('1', u'1', CAPS), down('1', u'!', SHIFT)},
             {press(ch(U'1')), press(ch(U'!'), Modifiers::SHIFT)},
             "CapsLockLeavesOtherCharactersAlone"},
        Case{{down('X', u'x', LEFT_ALT)}, {press(ch(U'x'), ALT)}, "AltLetter"},
        Case{{down('Q', u'@', RIGHT_ALT | LEFT_CTRL), down('A', u'\u0105', RIGHT_ALT | LEFT_CTRL),
              down('A', u'\u0104', RIGHT_ALT | LEFT_CTRL | SHIFT)},
             {press(ch(U'@')), press(ch(U'\u0105')), press(ch(U'\u0104'), Modifiers::SHIFT)},
             "AltGrCharacterWithoutControlOrAlt"},
        Case{{down(0x1B, 0x1B), down(0x0D, u'\r'), down(0x09, u'\t'), down(0x08, 0x08),
              down(0x09, u'\t', SHIFT)},
             {press(named(Key::Esc)), press(named(Key::Enter)), press(named(Key::Tab)),
              press(named(Key::Backspace)), press(named(Key::BackTab), Modifiers::SHIFT)},
             "EscEnterTabBackspaceAreNamedKeys"},
        Case{{down(0x26, 0, ENHANCED_KEY), down(0x28, 0, ENHANCED_KEY), down(0x25, 0, ENHANCED_KEY),
              down(0x27, 0, ENHANCED_KEY), down(0x24, 0), down(0x23, 0), down(0x21, 0),
              down(0x22, 0), down(0x2D, 0), down(0x2E, 0)},
             {press(named(Key::Up)), press(named(Key::Down)), press(named(Key::Left)),
              press(named(Key::Right)), press(named(Key::Home)), press(named(Key::End)),
              press(named(Key::PageUp)), press(named(Key::PageDown)), press(named(Key::Insert)),
              press(named(Key::Delete))},
             "NavigationKeysByVirtualKeyCode"},
        Case{{down(0x70, 0), down(0x7B, 0), down(0x87, 0, SHIFT)},
             {press(KeyCode::function(1)), press(KeyCode::function(12)),
              press(KeyCode::function(24), Modifiers::SHIFT)},
             "FunctionKeysOneToTwentyFour"},
        Case{{down(0x26, 0, LEFT_CTRL), down(0x25, 0, LEFT_ALT), up(0x28, 0, SHIFT)},
             {press(named(Key::Up), CONTROL), press(named(Key::Left), ALT),
              release(named(Key::Down), Modifiers::SHIFT)},
             "NamedKeysCarryTheirModifiers"},
        Case{{down(0xE7, 0xD83D), down(0xE7, 0xDE00), up(0xE7, 0xD83D), up(0xE7, 0xDE00)},
             {press(ch(U'\U0001F600')), release(ch(U'\U0001F600'))},
             "SurrogatePairIsOneCharacter"},
        Case{{down(0xE7, 0xDE00), down(0xE7, 0xD83D), down('A', u'a')},
             {press(ch(U'a'))},
             "UnpairedSurrogatesAreDropped"},
        Case{{down(0xDE, 0), down(0x13, 0)}, {}, "KeysThatTypeNothingAreNoEvent"},
        Case{{down(0x12, 0, LEFT_ALT), down(0x64, 0, LEFT_ALT), up(0x64, 0, LEFT_ALT),
              up(0x12, u'\u00e9')},
             {press(ch(U'\u00e9'))},
             "AltKeypadCompositionArrivesWithTheAltRelease"}),
    case_name<Case>);

MouseRecord mouse(int x, int y, std::uint32_t buttons, std::uint32_t flags = 0,
                  std::uint32_t state = 0) {
  return {x, y, buttons, state, flags};
}

MouseEvent mouse_event(MouseEventKind kind, MouseButton button, int x, int y,
                       Modifiers modifiers = Modifiers::NONE) {
  return {kind, button, x, y, modifiers};
}

class OtherRecords : public testing::TestWithParam<Case> {};

TEST_P(OtherRecords, TranslateToTheirEvents) {
  EXPECT_EQ(translate(GetParam().records), GetParam().expected);
}

constexpr std::uint32_t LEFT = mouse_button::LEFT;
constexpr std::uint32_t RIGHT = mouse_button::RIGHT;
constexpr std::uint32_t MIDDLE = mouse_button::MIDDLE;
using enum MouseEventKind;

INSTANTIATE_TEST_SUITE_P(
    MouseSizeFocus, OtherRecords,
    testing::Values(
        Case{{mouse(3, 4, LEFT), mouse(3, 4, 0)},
             {mouse_event(Down, MouseButton::Left, 3, 4), mouse_event(Up, MouseButton::Left, 3, 4)},
             "ButtonDownThenUp"},
        Case{{mouse(1, 1, RIGHT), mouse(1, 1, RIGHT | MIDDLE), mouse(1, 1, MIDDLE)},
             {mouse_event(Down, MouseButton::Right, 1, 1),
              mouse_event(Down, MouseButton::Middle, 1, 1),
              mouse_event(Up, MouseButton::Right, 1, 1)},
             "EachButtonThatChangedOnce"},
        Case{{mouse(5, 2, 0, mouse_flag::MOVED), mouse(5, 2, LEFT),
              mouse(6, 2, LEFT, mouse_flag::MOVED)},
             {mouse_event(Moved, MouseButton::None, 5, 2),
              mouse_event(Down, MouseButton::Left, 5, 2),
              mouse_event(Drag, MouseButton::Left, 6, 2)},
             "MovesAndDrags"},
        Case{{mouse(0, 0, 0x00780000, mouse_flag::WHEELED),
              mouse(0, 0, 0xFF880000, mouse_flag::WHEELED),
              mouse(0, 0, 0x00780000, mouse_flag::HWHEELED)},
             {mouse_event(ScrollUp, MouseButton::None, 0, 0),
              mouse_event(ScrollDown, MouseButton::None, 0, 0)},
             "WheelTurnsScrollSidewaysIsNothing"},
        Case{{mouse(2, 3, LEFT, mouse_flag::DOUBLE_CLICKED, LEFT_CTRL)},
             {mouse_event(Down, MouseButton::Left, 2, 3, CONTROL)},
             "ModifiersAndDoubleClicks"},
        Case{{BufferSizeRecord{100, 30}}, {Resize{100, 30}}, "BufferSizeIsAResize"},
        Case{{FocusRecord{true}, FocusRecord{false}}, {FocusGained{}, FocusLost{}}, "Focus"}),
    case_name<Case>);

}  // namespace
}  // namespace tui::detail
