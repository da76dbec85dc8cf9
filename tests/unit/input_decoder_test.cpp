#include "tui/input/input_decoder.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "case_name.hpp"
#include "event_builders.hpp"
#include "event_printers.hpp"

namespace tui {
namespace {

using namespace std::string_literals;
using Items = std::vector<Decoded>;

constexpr Modifiers NONE = Modifiers::NONE;
constexpr Modifiers SHIFT = Modifiers::SHIFT;
constexpr Modifiers CTRL = Modifiers::CONTROL;
constexpr Modifiers ALT = Modifiers::ALT;
constexpr KeyEventKind PRESS = KeyEventKind::Press;
constexpr KeyEventKind RELEASE = KeyEventKind::Release;
constexpr std::size_t MAX_SEQUENCE = InputDecoder::MAX_SEQUENCE;
constexpr std::size_t MAX_PASTE = InputDecoder::MAX_PASTE;

using event_builders::key;
Decoded ch(char32_t c, Modifiers m = NONE, KeyEventKind kind = PRESS) {
  return key(KeyCode::character(c), m, kind);
}
Decoded named(Key k, Modifiers m = NONE, KeyEventKind kind = PRESS) {
  return key(KeyCode::named(k), m, kind);
}
Decoded fn(int n, Modifiers m = NONE) {
  return key(KeyCode::function(static_cast<std::uint8_t>(n)), m);
}
Decoded mouse(MouseEventKind kind, MouseButton button, int column, int row, Modifiers m = NONE) {
  return Event{MouseEvent{kind, button, column, row, m}};
}
Decoded paste(std::string text) {
  return Event{Paste{std::move(text)}};
}
Items fns(int first, int last) {
  Items items;
  for (int n = first; n <= last; ++n) {
    items.push_back(fn(n));
  }
  return items;
}

std::string repeat(std::string_view part, std::size_t times) {
  std::string s;
  for (std::size_t i = 0; i < times; ++i) {
    s += part;
  }
  return s;
}

// Everything the bytes decode to, read in one go and then left to settle.
Items decode(std::string_view bytes) {
  InputDecoder decoder;
  Items out;
  decoder.feed(bytes, out);
  decoder.flush(out);
  return out;
}

struct Case {
  std::string bytes;
  Items want;
  const char* name;
};

void PrintTo(const Case& c, std::ostream* os) {
  printing::print_bytes(*os, c.bytes);
}

class Decodes : public testing::TestWithParam<Case> {};

TEST_P(Decodes, ToTheseItems) {
  EXPECT_EQ(decode(GetParam().bytes), GetParam().want);
}

const Case TEXT[] = {
    {"a", {ch('a')}, "LowerCaseLetter"},
    {"Q", {ch('Q', SHIFT)}, "UpperCaseLetterIsShifted"},
    {"x1 ~", {ch('x'), ch('1'), ch(' '), ch('~')}, "OneKeyPerCharacter"},
    {"\xc3\xa9", {ch(U'é')}, "TwoByteCharacter"},
    {"\xc3\x89", {ch(U'É')}, "NonAsciiCapitalHasNoShift"},
    {"\xe2\x82\xac", {ch(U'€')}, "ThreeByteCharacter"},
    {"\xf0\x9f\x98\x80", {ch(U'\U0001F600')}, "FourByteCharacter"},
};
INSTANTIATE_TEST_SUITE_P(Text, Decodes, testing::ValuesIn(TEXT), case_name<Case>);

const Case CONTROLS[] = {
    {"\x03", {ch('c', CTRL)}, "CtrlC"},
    {"\x01\x1a", {ch('a', CTRL), ch('z', CTRL)}, "CtrlAAndCtrlZ"},
    {"\n", {ch('j', CTRL)}, "LineFeedIsCtrlJ"},
    {"\r\t", {named(Key::Enter), named(Key::Tab)}, "EnterAndTab"},
    {"\x7f\b", {named(Key::Backspace), named(Key::Backspace)}, "BothBackspaces"},
    {"\0"s, {ch(' ', CTRL)}, "NulIsCtrlSpace"},
    {"\x1c\x1f", {ch('4', CTRL), ch('7', CTRL)}, "CtrlBackslashToCtrlUnderscore"},
};
INSTANTIATE_TEST_SUITE_P(Controls, Decodes, testing::ValuesIn(CONTROLS), case_name<Case>);

const Case ESCAPE[] = {
    {"\x1bq", {ch('q', ALT)}, "AltLetter"},
    {"\x1bQ", {ch('Q', SHIFT | ALT)}, "AltUpperCase"},
    {"\x1b\x03", {ch('c', CTRL | ALT)}, "AltCtrlC"},
    {"\x1b\x7f", {named(Key::Backspace, ALT)}, "AltBackspace"},
    {"\x1b\xc3\xa9", {ch(U'é', ALT)}, "AltMultiByteCharacter"},
    {"\x1b", {named(Key::Esc)}, "LoneEscSettlesAsEsc"},
    {"\x1b\x1b", {named(Key::Esc), named(Key::Esc)}, "EscTwiceIsTwoPresses"},
    {"\x1b\x1b[A", {named(Key::Esc), named(Key::Up)}, "EscThenASequence"},
    {"\x1b\xff", {named(Key::Esc)}, "EscThenAnInvalidByte"},
};
INSTANTIATE_TEST_SUITE_P(Escape, Decodes, testing::ValuesIn(ESCAPE), case_name<Case>);

const Items ARROWS = {named(Key::Up), named(Key::Down), named(Key::Right), named(Key::Left)};

const Case CURSOR_KEYS[] = {
    {"\x1b[A\x1b[B\x1b[C\x1b[D", ARROWS, "NormalMode"},
    {"\x1bOA\x1bOB\x1bOC\x1bOD", ARROWS, "ApplicationMode"},
    {"\x1b[1;5A", {named(Key::Up, CTRL)}, "CtrlUp"},
    {"\x1b[1;2D\x1b[1;3C\x1b[1;8B",
     {named(Key::Left, SHIFT), named(Key::Right, ALT), named(Key::Down, SHIFT | ALT | CTRL)},
     "ModifierBits"},
    {"\x1b[1;9A\x1b[1;17A\x1b[1;33A",
     {named(Key::Up, Modifiers::SUPER), named(Key::Up, Modifiers::HYPER),
      named(Key::Up, Modifiers::META)},
     "SuperHyperMeta"},
    {"\x1b[1;197A", {named(Key::Up, CTRL)}, "LockBitsAreNoModifiers"},
    {"\x1b[H\x1b[F\x1bOH\x1bOF",
     {named(Key::Home), named(Key::End), named(Key::Home), named(Key::End)},
     "HomeAndEndLetters"},
    {"\x1b[1~\x1b[7~\x1b[4~\x1b[8~",
     {named(Key::Home), named(Key::Home), named(Key::End), named(Key::End)},
     "HomeAndEndNumbers"},
    {"\x1b[2~\x1b[3~\x1b[5~\x1b[6~",
     {named(Key::Insert), named(Key::Delete), named(Key::PageUp), named(Key::PageDown)},
     "EditingKeys"},
    {"\x1b[3;5~\x1b[6;2~",
     {named(Key::Delete, CTRL), named(Key::PageDown, SHIFT)},
     "EditingKeysWithModifiers"},
    {"\x1b[Z", {named(Key::BackTab, SHIFT)}, "BackTab"},
    {"\x1bOM\x1bOp\x1bOy\x1bOk",
     {named(Key::Enter), ch('0'), ch('9'), ch('+')},
     "ApplicationKeypad"},
};
INSTANTIATE_TEST_SUITE_P(CursorKeys, Decodes, testing::ValuesIn(CURSOR_KEYS), case_name<Case>);

const Case FUNCTION_KEYS[] = {
    {"\x1bOP\x1bOQ\x1bOR\x1bOS", fns(1, 4), "Ss3F1ToF4"},
    {"\x1b[P\x1b[1;2Q\x1b[1;5R\x1b[1;3S",
     {fn(1), fn(2, SHIFT), fn(3, CTRL), fn(4, ALT)},
     "CsiF1ToF4"},
    {"\x1bO5P", {fn(1, CTRL)}, "Ss3WithAModifier"},
    {"\x1b[11~\x1b[12~\x1b[13~\x1b[14~\x1b[15~\x1b[17~\x1b[18~\x1b[19~\x1b[20~\x1b[21~\x1b[23~"
     "\x1b[24~",
     fns(1, 12), "F1ToF12ByNumber"},
    {"\x1b[25~\x1b[26~\x1b[28~\x1b[29~\x1b[31~\x1b[32~\x1b[33~\x1b[34~", fns(13, 20),
     "F13ToF20ByNumber"},
    {"\x1b[15;5~", {fn(5, CTRL)}, "WithAModifier"},
    {"\x1b[16~\x1b[22~\x1b[27~x", {ch('x')}, "GapsInTheNumbering"},
    {"\x1b[[A\x1b[[B\x1b[[C\x1b[[D\x1b[[E", fns(1, 5), "LinuxConsole"},
};
INSTANTIATE_TEST_SUITE_P(FunctionKeys, Decodes, testing::ValuesIn(FUNCTION_KEYS), case_name<Case>);

const Case KITTY[] = {
    {"\x1b[27u", {named(Key::Esc)}, "Esc"},
    {"\x1b[99;5u", {ch('c', CTRL)}, "CtrlC"},
    {"\x1b[99;6u", {ch('C', CTRL | SHIFT)}, "CtrlShiftC"},
    {"\x1b[99;65u", {ch('C')}, "CapsLock"},
    {"\x1b[99;66u", {ch('c', SHIFT)}, "ShiftAndCapsLock"},
    {"\x1b[119;1:3u", {ch('w', NONE, RELEASE)}, "Release"},
    {"\x1b[97;1:2u\x1b[97;1:1u", {ch('a'), ch('a')}, "RepeatIsAPress"},
    {"\x1b[1;1:3A", {named(Key::Up, NONE, RELEASE)}, "ArrowRelease"},
    {"\x1b[3;5:3~", {named(Key::Delete, CTRL, RELEASE)}, "NumberedKeyRelease"},
    {"\x1b[13u\x1b[9u\x1b[127u",
     {named(Key::Enter), named(Key::Tab), named(Key::Backspace)},
     "NamedKeys"},
    {"\x1b[9;2u", {named(Key::BackTab, SHIFT)}, "ShiftTabIsBackTab"},
    {"\x1b[49:33;2u\x1b[97:65;2u", {ch('!', SHIFT), ch('A', SHIFT)}, "ShiftedKey"},
    {"\x1b[97;1;97u\x1b[233u\x1b[128512u",
     {ch('a'), ch(U'é'), ch(U'\U0001F600')},
     "CharactersWithAndWithoutText"},
    {"\x1b[57376u\x1b[57387;5u\x1b[57388ux", {fn(13), fn(24, CTRL), ch('x')}, "F13ToF24Only"},
    {"\x1b[57399u\x1b[57408u\x1b[57409u\x1b[57410u\x1b[57411u\x1b[57412u\x1b[57413u\x1b[57414u"
     "\x1b[57415u",
     {ch('0'), ch('9'), ch('.'), ch('/'), ch('*'), ch('-'), ch('+'), named(Key::Enter), ch('=')},
     "Keypad"},
    {"\x1b[57417u\x1b[57418u\x1b[57419u\x1b[57420u\x1b[57421u\x1b[57422u\x1b[57423u\x1b[57424u"
     "\x1b[57425u\x1b[57426u",
     {named(Key::Left), named(Key::Right), named(Key::Up), named(Key::Down), named(Key::PageUp),
      named(Key::PageDown), named(Key::Home), named(Key::End), named(Key::Insert),
      named(Key::Delete)},
     "KeypadNavigation"},
    {"\x1b[57441;2u\x1b[57441;1:3u\x1b[57358;65u\x1b[57363u\x1b[57452;33ux",
     {ch('x')},
     "ModifierAndLockKeysAlone"},
    {"\x1b[57428u\x1b[57427u\x1b[57453ux", {ch('x')}, "KeysWithNoEvent"},
    {"\x1b[55296u\x1b[1114112u\x1b[0u\x1b[5u\x1b[;5ux", {ch('x')}, "CodesOfNoCharacter"},
};
INSTANTIATE_TEST_SUITE_P(Kitty, Decodes, testing::ValuesIn(KITTY), case_name<Case>);

const Case REPLIES[] = {
    {"\x1b[?31u", {KeyboardFlagsReply{31}}, "KeyboardFlags"},
    {"\x1b[?u", {KeyboardFlagsReply{0}}, "NoKeyboardFlags"},
    {"\x1b[?62;22;52c", {DeviceAttributesReply{}}, "DeviceAttributes"},
    {"\x1b[?1u\x1b[?1;2c", {KeyboardFlagsReply{1}, DeviceAttributesReply{}}, "InOrder"},
    {"\x1b[I\x1b[O", {Event{FocusGained{}}, Event{FocusLost{}}}, "Focus"},
};
INSTANTIATE_TEST_SUITE_P(Replies, Decodes, testing::ValuesIn(REPLIES), case_name<Case>);

using MK = MouseEventKind;
using MB = MouseButton;

const Case MICE[] = {
    {"\x1b[<0;10;5M\x1b[<0;10;5m",
     {mouse(MK::Down, MB::Left, 9, 4), mouse(MK::Up, MB::Left, 9, 4)},
     "SgrClick"},
    {"\x1b[<1;1;1M\x1b[<2;300;200m",
     {mouse(MK::Down, MB::Middle, 0, 0), mouse(MK::Up, MB::Right, 299, 199)},
     "SgrOtherButtonsFarOut"},
    {"\x1b[<32;11;5M\x1b[<35;12;5M",
     {mouse(MK::Drag, MB::Left, 10, 4), mouse(MK::Moved, MB::None, 11, 4)},
     "SgrMotion"},
    {"\x1b[<64;1;2M\x1b[<65;1;2M",
     {mouse(MK::ScrollUp, MB::None, 0, 1), mouse(MK::ScrollDown, MB::None, 0, 1)},
     "SgrWheel"},
    {"\x1b[<20;1;1M\x1b[<8;1;1M",
     {mouse(MK::Down, MB::Left, 0, 0, CTRL | SHIFT), mouse(MK::Down, MB::Left, 0, 0, ALT)},
     "SgrModifiers"},
    {"\x1b[<66;1;1M\x1b[<128;1;1M\x1b[<0;1Mx", {ch('x')}, "SgrReportsOfNoUse"},
    {"\x1b[M !!\x1b[M#**",
     {mouse(MK::Down, MB::Left, 0, 0), mouse(MK::Up, MB::None, 9, 9)},
     "X10PressAndRelease"},
    {"\x1b[M@**\x1b[M`**\x1b[Ma**",
     {mouse(MK::Drag, MB::Left, 9, 9), mouse(MK::ScrollUp, MB::None, 9, 9),
      mouse(MK::ScrollDown, MB::None, 9, 9)},
     "X10MotionAndWheel"},
    {"\x1b[M4+,", {mouse(MK::Down, MB::Left, 10, 11, CTRL | SHIFT)}, "X10Modifiers"},
};
INSTANTIATE_TEST_SUITE_P(Mouse, Decodes, testing::ValuesIn(MICE), case_name<Case>);

// Each row ends in a key that must survive the bad bytes before it.
const Case INVALID_UTF8[] = {
    {"\xff"s + "a", {ch('a')}, "BadLeadByte"},
    {"\x80\xbf"s + "a", {ch('a')}, "StrayContinuations"},
    {"\xc3"s + "a", {ch('a')}, "MissingContinuation"},
    {"\xe2\x82\xe2\x82\xac", {ch(U'€')}, "CutShortByACharacter"},
    {"\xc0\xaf"s + "a", {ch('a')}, "OverlongTwoBytes"},
    {"\xe0\x80\xaf"s + "a", {ch('a')}, "OverlongThreeBytes"},
    {"\xed\xa0\x80"s + "a", {ch('a')}, "Surrogate"},
    {"\xf4\x90\x80\x80"s + "a", {ch('a')}, "AboveTheLastCodePoint"},
    {"\xf8\x88\x80\x80\x80"s + "a", {ch('a')}, "FiveByteForm"},
    {"\x9b"s + "A", {ch('A', SHIFT)}, "C1ByteIsNoCsi"},
};
INSTANTIATE_TEST_SUITE_P(InvalidUtf8, Decodes, testing::ValuesIn(INVALID_UTF8), case_name<Case>);

const Case UNKNOWN_SEQUENCES[] = {
    {"\x1b[?2026;2$yx", {ch('x')}, "WithAnIntermediate"},
    {"\x1b[38;5;1mx", {ch('x')}, "UnknownFinal"},
    {"\x1b[>1;2;3Mx", {ch('x')}, "UnknownMarker"},
    {"\x1bOZx", {ch('x')}, "UnknownSs3"},
    {"\x1b[201~x", {ch('x')}, "StrayPasteEnd"},
    {"\x1b[1;5\x1b[A", {named(Key::Up)}, "CsiBrokenByEscRestartsThere"},
    {"\x1b[1\x03", {ch('c', CTRL)}, "CsiBrokenByAControlKeepsIt"},
    {"\x1bO\x1b[B", {named(Key::Down)}, "Ss3BrokenByEsc"},
    {"\x1b]11;rgb:0000/0000/0000\ax", {ch('x')}, "OscEndedByBel"},
    {"\x1b]0;title\x1b\\x", {ch('x')}, "OscEndedByStringTerminator"},
    {"\x1bP1+r\x1b\\\x1b_Gi=1;OK\x1b\\\x1b^pm\a\x1bXsos\ax", {ch('x')}, "DcsApcPmSos"},
    {"\x1b]0;t\x1b[A", {named(Key::Up)}, "OscCutShortByASequence"},
};
INSTANTIATE_TEST_SUITE_P(UnknownSequences, Decodes, testing::ValuesIn(UNKNOWN_SEQUENCES),
                         case_name<Case>);

const Case PASTES[] = {
    {"\x1b[200~hi \x1b[A\r\n\xc3\xa9\xff\x1b[201~x",
     {paste("hi \x1b[A\r\n\xc3\xa9\xff"), ch('x')},
     "KeepsTheBytesAsTheyCame"},
    {"\x1b[200~\x1b[201~", {paste("")}, "Empty"},
    {"\x1b[200~a\x1b[201b\x1b[20\x1b[201~", {paste("a\x1b[201b\x1b[20")}, "AlmostEndMarkers"},
    {"\x1b[200~\x1b[200~a\x1b[201~", {paste("\x1b[200~a")}, "StartMarkerInside"},
};
INSTANTIATE_TEST_SUITE_P(Paste, Decodes, testing::ValuesIn(PASTES), case_name<Case>);

// The longest sequence kept is MAX_SEQUENCE bytes, with leading zeros.
std::string ctrl_up_of_length(std::size_t length) {
  return "\x1b[" + std::string(length - 6, '0') + "1;5A";
}

const Case LENGTHS[] = {
    {ctrl_up_of_length(MAX_SEQUENCE), {named(Key::Up, CTRL)}, "SequenceOfTheLongestLength"},
    {ctrl_up_of_length(MAX_SEQUENCE + 1) + "x", {ch('x')}, "SequenceOneByteTooLong"},
    {"\x1b[" + repeat("1;", MAX_SEQUENCE) + "\x1b[B",
     {named(Key::Down)},
     "OverLongSequenceBrokenByEsc"},
    {"\x1b]" + std::string(3 * MAX_SEQUENCE, 'a') + "\ax", {ch('x')}, "OverLongStringEndedByBel"},
    {"\x1b]" + std::string(3 * MAX_SEQUENCE, 'a') + "\x1b\\x",
     {ch('x')},
     "OverLongStringEndedByStringTerminator"},
    {"\x1b_" + std::string(3 * MAX_SEQUENCE, 'a') + "\x1b[A",
     {named(Key::Up)},
     "OverLongStringCutShortByASequence"},
};
INSTANTIATE_TEST_SUITE_P(Length, Decodes, testing::ValuesIn(LENGTHS), case_name<Case>);

// A terminal's write may reach us in pieces (over SSH, or cut at the end of
// a read): every piece boundary must decode as the whole would.
class SplitAcrossReads : public testing::TestWithParam<Case> {};

TEST_P(SplitAcrossReads, DecodesAsInOneRead) {
  const std::string& bytes = GetParam().bytes;
  for (std::size_t split = 1; split < bytes.size(); ++split) {
    SCOPED_TRACE(testing::Message() << "split after byte " << split);
    InputDecoder decoder;
    Items out;
    decoder.feed(std::string_view(bytes).substr(0, split), out);
    decoder.feed(std::string_view(bytes).substr(split), out);
    decoder.flush(out);
    EXPECT_EQ(out, GetParam().want);
  }
}

TEST_P(SplitAcrossReads, DecodesOneByteAtATime) {
  InputDecoder decoder;
  Items out;
  for (const char c : GetParam().bytes) {
    decoder.feed(std::string_view(&c, 1), out);
  }
  decoder.flush(out);
  EXPECT_EQ(out, GetParam().want);
}

const Case SPLITS[] = {
    {"\x1b[1;5Ax", {named(Key::Up, CTRL), ch('x')}, "ArrowWithModifiers"},
    {"\x1b[99;6:3u", {ch('C', CTRL | SHIFT, RELEASE)}, "KittyKey"},
    {"\xf0\x9f\x98\x80\xc3\xa9", {ch(U'\U0001F600'), ch(U'é')}, "Utf8Characters"},
    {"\x1b\xe2\x82\xac", {ch(U'€', ALT)}, "AltCharacter"},
    {"\x1b[<32;11;5M\x1b[M !!",
     {mouse(MK::Drag, MB::Left, 10, 4), mouse(MK::Down, MB::Left, 0, 0)},
     "MouseReports"},
    {"\x1b[200~a\x1b[201b\x1b[201~x", {paste("a\x1b[201b"), ch('x')}, "PasteEndMarker"},
    {"\x1b]0;t\x1b\\\x1b]0;t\x1b[A", {named(Key::Up)}, "TerminalStrings"},
    {ctrl_up_of_length(MAX_SEQUENCE + 1) + "x", {ch('x')}, "OverLongSequence"},
    {"\x1b]" + std::string(MAX_SEQUENCE, 'a') + "\x1b\\\x1bP" + std::string(MAX_SEQUENCE, 'a') +
         "\x1b[B",
     {named(Key::Down)},
     "OverLongStrings"},
};
INSTANTIATE_TEST_SUITE_P(Decoder, SplitAcrossReads, testing::ValuesIn(SPLITS), case_name<Case>);

// What a read left unfinished waits for the grace period, then settles as
// it stands; the bytes after it are read afresh.
class Unfinished : public testing::TestWithParam<Case> {};

TEST_P(Unfinished, IsHeldThenSettledByFlush) {
  InputDecoder decoder;
  Items out;
  decoder.feed(GetParam().bytes, out);
  EXPECT_EQ(out, Items{});
  EXPECT_TRUE(decoder.holding());
  decoder.flush(out);
  EXPECT_FALSE(decoder.holding());
  EXPECT_EQ(out, GetParam().want);
  out.clear();
  decoder.feed("A", out);
  EXPECT_EQ(out, Items{ch('A', SHIFT)});
}

const Case UNFINISHED[] = {
    {"\x1b", {named(Key::Esc)}, "Esc"},
    {"\x1b[", {ch('[', ALT)}, "CsiIntroducerAloneIsAltBracket"},
    {"\x1bO", {ch('O', SHIFT | ALT)}, "Ss3IntroducerAloneIsAltShiftO"},
    {"\x1b]", {ch(']', ALT)}, "StringIntroducerAlone"},
    {"\x1b[1;5", {}, "CsiParameters"},
    {"\x1b[<0;10", {}, "SgrMouse"},
    {"\x1b[M !", {}, "X10Mouse"},
    {"\x1b[[", {}, "LinuxFunctionKey"},
    {"\xe2\x82", {}, "Utf8Character"},
    {"\x1b\xe2\x82", {}, "AltUtf8Character"},
    {"\x1b]0;title", {}, "TerminalString"},
    {"\x1b]0;title\x1b", {}, "TerminalStringAtItsTerminator"},
    {"\x1b[" + std::string(2 * MAX_SEQUENCE, '1'), {}, "OverLongSequence"},
    {"\x1b]" + std::string(2 * MAX_SEQUENCE, '1'), {}, "OverLongString"},
    {"\x1b]" + std::string(2 * MAX_SEQUENCE, '1') + "\x1b", {}, "OverLongStringAtAnEsc"},
};
INSTANTIATE_TEST_SUITE_P(Decoder, Unfinished, testing::ValuesIn(UNFINISHED), case_name<Case>);

TEST(Paste, SpansReadsUnheldAndKeepsTheFirstMaxPasteBytes) {
  std::string text;
  for (std::size_t i = 0; text.size() < MAX_PASTE + 100'000; ++i) {
    text += "line " + std::to_string(i) + "\r\n";
  }
  InputDecoder decoder;
  Items out;
  decoder.feed("\x1b[200~", out);
  for (std::size_t at = 0; at < text.size(); at += 4096) {
    decoder.feed(std::string_view(text).substr(at, 4096), out);
    ASSERT_FALSE(decoder.holding());
    decoder.flush(out);  // as the event source would, had it been holding
  }
  EXPECT_LE(decoder.held_bytes(), MAX_PASTE);
  decoder.feed("\x1b[201~x", out);
  EXPECT_EQ(out, (Items{paste(text.substr(0, MAX_PASTE)), ch('x')}));
  EXPECT_EQ(decoder.held_bytes(), 0u);
}

TEST(Paste, EndMarkerOutlivesAFlushBetweenItsPieces) {
  InputDecoder decoder;
  Items out;
  decoder.feed("\x1b[200~ab\x1b[2", out);
  EXPECT_FALSE(decoder.holding());
  decoder.flush(out);
  EXPECT_EQ(out, Items{});
  decoder.feed("01~x", out);
  EXPECT_EQ(out, (Items{paste("ab"), ch('x')}));
}

// A read may be far longer than any item: wherever in it an item falls,
// the item decodes as it does alone.
TEST(LongRead, DecodesEachItemAsAlone) {
  const std::string items[] = {
      "\x1b[1;5A",     "\xf0\x9f\x98\x80",       "\x1b]0;title\x1b\\",
      "\x1b[<0;10;5M", "\x1b[200~text\x1b[201~",
  };
  for (const std::string& item : items) {
    for (const std::size_t around : {std::size_t{4096}, std::size_t{8192}}) {
      for (std::size_t lead = around - 12; lead <= around + 4; ++lead) {
        SCOPED_TRACE(testing::Message() << lead << " bytes before the item");
        Items want(lead, ch('a'));
        for (Decoded& item_alone : decode(item)) {
          want.push_back(std::move(item_alone));
        }
        want.push_back(ch('x'));
        EXPECT_EQ(decode(std::string(lead, 'a') + item + "x"), want);
      }
    }
  }
}

// However long a sequence runs, a byte at a time, the decoder keeps no
// more than the longest one it would decode.
class HeldBytes : public testing::TestWithParam<Case> {};

TEST_P(HeldBytes, StayWithinTheLongestSequence) {
  InputDecoder decoder;
  Items out;
  for (const char c : GetParam().bytes) {
    decoder.feed(std::string_view(&c, 1), out);
    ASSERT_LE(decoder.held_bytes(), MAX_SEQUENCE);
  }
  decoder.flush(out);
  EXPECT_EQ(out, GetParam().want);
}

const Case ENDLESS[] = {
    {"\x1b[" + std::string(4 * MAX_SEQUENCE, '1') + "Ax", {ch('x')}, "Sequence"},
    {"\x1b]" + std::string(4 * MAX_SEQUENCE, '1') + "\ax", {ch('x')}, "String"},
};
INSTANTIATE_TEST_SUITE_P(Decoder, HeldBytes, testing::ValuesIn(ENDLESS), case_name<Case>);

}  // namespace
}  // namespace tui
