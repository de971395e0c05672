#include "keys/KeyRecords.h"
#include "keys/VirtualKeys.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>

namespace qp {
// Readable failures: the record's fields in hex.
void PrintTo(const KeyEventRecord& r, std::ostream* os)
{
    char buf[120];
    std::snprintf(buf, sizeof buf, "{type %u down %d repeat %u vk %02X scan %04X char %04X state %02X}",
                  r.eventType, r.keyDown, r.repeatCount, r.virtualKeyCode, r.virtualScanCode,
                  r.unicodeChar, r.controlKeyState);
    *os << buf;
}
}  // namespace qp

using namespace qp;

namespace {

constexpr uint32_t S = SHIFT_PRESSED, C = LEFT_CTRL_PRESSED, A = LEFT_ALT_PRESSED;

KeyEventRecord rec(uint16_t vk, uint16_t scan, uint16_t ch, uint32_t state)
{
    KeyEventRecord r;
    r.virtualKeyCode = vk;
    r.virtualScanCode = scan;
    r.unicodeChar = ch;
    r.controlKeyState = state;
    return r;
}

struct ComboRecordRow {
    const char* name;
    std::string combination;
    std::optional<KeyEventRecord> expected;
};

void PrintTo(const ComboRecordRow& row, std::ostream* os) { *os << row.name; }

class ComboRecordTest : public testing::TestWithParam<ComboRecordRow> {};

}  // namespace

TEST_P(ComboRecordTest, Writes)
{
    EXPECT_EQ(ComboKeyRecord(GetParam().combination), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(KeyRecords, ComboRecordTest, testing::Values(
    ComboRecordRow{"enter", "Enter", rec(0x0D, 0x1C, 0x0D, 0)},
    ComboRecordRow{"ctrlEnterIsLineFeed", "Ctrl+Enter", rec(0x0D, 0x1C, 0x0A, C)},
    ComboRecordRow{"ctrlC", "Ctrl+C", rec(0x43, 0x2E, 0x03, C)},
    ComboRecordRow{"ctrlLowerCIsKeypad3", "Ctrl+c", rec(0x63, 0x51, '3', C)},
    ComboRecordRow{"up", "Up", rec(0x26, 0x48, 0, 0)},
    ComboRecordRow{"keypad8SameAsUp", "Num 8", rec(0x26, 0x48, 0, 0)},
    ComboRecordRow{"shiftUp", "Shift+Num 8", rec(0x26, 0x48, 0, S)},
    ComboRecordRow{"shiftAlone", "Shift", rec(0x10, 0x2A, 0, S)},
    ComboRecordRow{"ctrlAlone", "Ctrl", rec(0x11, 0x1D, 0, C)},
    ComboRecordRow{"altCtrlShift", "Alt+Ctrl+Shift", rec(0x10, 0x2A, 0, A | C | S)},
    ComboRecordRow{"lowerPIsF1", "p", rec(0x70, 0x3B, 0, 0)},
    ComboRecordRow{"f5", "F5", rec(0x74, 0x3F, 0, 0)},
    ComboRecordRow{"ctrlF5", "Ctrl+F5", rec(0x74, 0x3F, 0, C)},
    ComboRecordRow{"ctrlSlash", "Ctrl+/", rec(0xBF, 0x35, 0, C)},
    ComboRecordRow{"ctrlBackslash", "Ctrl+\\", rec(0xDC, 0x2B, 0x1C, C)},
    ComboRecordRow{"slashAloneIsItsOwnCode", "/", rec(0x2F, 0, 0, 0)},
    ComboRecordRow{"shiftDigitKeepsDigit", "Shift+1", rec(0x31, 0x02, '1', S)},
    ComboRecordRow{"altF", "Alt+F", rec(0x46, 0x21, 'F', A)},
    ComboRecordRow{"ctrlAltDelete", "Ctrl+Alt+Delete", rec(0x2E, 0x53, 0, C | A)},
    ComboRecordRow{"escapeSameAsEsc", "Escape", rec(0x1B, 0x01, 0x1B, 0)},
    ComboRecordRow{"tab", "Tab", rec(0x09, 0x0F, 0x09, 0)},
    ComboRecordRow{"backspace", "Backspace", rec(0x08, 0x0E, 0x08, 0)},
    ComboRecordRow{"ctrlBackspace", "Ctrl+Backspace", rec(0x08, 0x0E, 0x08 , C)},
    ComboRecordRow{"caps", "Caps", rec(0x14, 0x3A, 0, 0)},
    ComboRecordRow{"upperA", "A", rec(0x41, 0x1E, 'A', 0)},
    ComboRecordRow{"lowerAIsKeypad1", "a", rec(0x61, 0x4F, '1', 0)},
    ComboRecordRow{"space", " ", std::nullopt},
    ComboRecordRow{"ctrlOpenBracketIsLeftWindows", "Ctrl+[", rec(0x5B, 0x5B, 0, C)},
    ComboRecordRow{"ctrlUnderscore", "Ctrl+_", rec(0x5F, 0, 0, C)},
    ComboRecordRow{"altEAcuteKeepsItsCharacter", "Alt+\xC3\xA9", rec(0xFF, 0, 0xE9, A)},
    ComboRecordRow{"beyondSixteenBitsSendsNothing", "\xF0\x9F\x98\x80", std::nullopt},
    ComboRecordRow{"unknownName", "Caps Lock", std::nullopt},
    ComboRecordRow{"keypad5", "Num 5", std::nullopt},
    ComboRecordRow{"endsInPlus", "Shift++", std::nullopt},
    ComboRecordRow{"blanksAroundPlus", "Ctrl + C", std::nullopt},
    ComboRecordRow{"empty", "", std::nullopt}),
    [](const testing::TestParamInfo<ComboRecordRow>& info) { return std::string(info.param.name); });

TEST(KeyRecords, EveryRecordIsOneKeyDown)
{
    for (const char* text : {"Enter", "Ctrl+C", "p", "Shift"}) {
        const auto r = ComboKeyRecord(text);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->eventType, KEY_EVENT);
        EXPECT_EQ(uint32_t(r->keyDown), 0xFFFFFFFFu);
        EXPECT_EQ(r->repeatCount, 1);
        EXPECT_EQ(r->controlKeyState & ~uint32_t(S | C | A), 0u);
    }
}

TEST(KeyRecords, TypedCharacters)
{
    struct Row { const char* name; char32_t c; KeyEventRecord expected; };
    const Row rows[] = {
        {"upperA", 'A', rec(0x41, 0x1E, 'A', 0)},
        {"lowerA", 'a', rec(0x41, 0x1E, 'a', 0)},
        {"shiftedNeedsNoFlag", '!', rec(0x31, 0x02, '!', 0)},
        {"digit", '7', rec(0x37, 0x08, '7', 0)},
        {"lessThan", '<', rec(0xBC, 0x33, '<', 0)},
        {"space", ' ', rec(0x20, 0x39, ' ', 0)},
        {"carriageReturnIsEnter", '\r', rec(0x0D, 0x1C, '\r', 0)},
        {"lineFeedIsCtrlEnter", '\n', rec(0x0D, 0x1C, '\n', 0)},
        {"tab", '\t', rec(0x09, 0x0F, '\t', 0)},
        {"escape", 0x1B, rec(0x1B, 0x01, 0x1B, 0)},
        {"controlCIsTheCKey", 0x03, rec(0x03, 0x46, 0x03, 0)},
        {"controlAIsTheAKey", 0x01, rec(0x41, 0x1E, 0x01, 0)},
        {"delete", 0x7F, rec(0x08, 0x0E, 0x7F, 0)},
        {"nul", 0x00, rec(0x32, 0x03, 0x00, 0)},
        {"eAcuteHasNoKey", 0xE9, rec(0xFF, 0xFFFF, 0xE9, 0)},
        {"cyrillicHasNoKey", 0x0436, rec(0xFF, 0xFFFF, 0x0436, 0)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const CharRecords r = CharKeyRecords(row.c);
        ASSERT_EQ(r.count, 1);
        EXPECT_EQ(r.records[0], row.expected);
    }
}

TEST(KeyRecords, CharacterBeyondSixteenBitsIsASurrogatePair)
{
    const CharRecords r = CharKeyRecords(U'\U0001F600');
    ASSERT_EQ(r.count, 2);
    EXPECT_EQ(r.records[0], rec(0xFF, 0xFFFF, 0xD83D, 0));
    EXPECT_EQ(r.records[1], rec(0xFF, 0xFFFF, 0xDE00, 0));
}

TEST(KeyRecords, CharToVKeyAndVKeyToChar)
{
    EXPECT_EQ(CharToVKey('/', C), 0xBF);
    EXPECT_EQ(CharToVKey('/', RIGHT_CTRL_PRESSED), 0xBF);
    EXPECT_EQ(CharToVKey('\\', C), 0xDC);
    EXPECT_EQ(CharToVKey('/', S | A), '/');
    EXPECT_EQ(CharToVKey('c', C), 0x63);

    struct Row { const char* name; uint16_t code; uint32_t state; uint8_t c; };
    const Row rows[] = {
        {"ctrlC", 'C', C, 0x03},          {"rightCtrlC", 'C', RIGHT_CTRL_PRESSED, 0x03},
        {"ctrlEnter", 0x0D, C, 0x0A},     {"ctrlSlashKey", 0xBF, C, 0},
        {"ctrlBackslashKey", 0xDC, C, 0x1C}, {"ctrlCloseBracket", 0xDD, C, 0x1D},
        {"ctrlDigitUnchanged", '1', C, '1'}, {"shiftOne", '1', S, '1'},
        {"altF", 'F', A, 'F'},            {"f5", 0x74, 0, 0},
        {"keypad3", 0x63, 0, '3'},        {"noKey", 0xFF, C, 0},
        {"codeBeyondAByte", 0x141, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(VKeyToChar(row.code, row.state), row.c);
    }
}
