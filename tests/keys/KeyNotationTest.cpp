#include "console/KeyEventRecord.h"
#include "keys/KeyNotation.h"
#include "keys/KeysText.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

using namespace qp;

namespace {

constexpr uint32_t S = SHIFT_PRESSED, C = LEFT_CTRL_PRESSED, A = LEFT_ALT_PRESSED;

KeyCombo none(uint32_t state = 0) { return {state, FinalKeyKind::None, 0, 0}; }
KeyCombo ch(char32_t c, uint32_t state = 0) { return {state, FinalKeyKind::Character, c, 0}; }
KeyCombo vk(uint16_t v, uint32_t state = 0) { return {state, FinalKeyKind::VirtualKey, 0, v}; }

}  // namespace

TEST(KeysText, LookupIsExactAndTheFirstNameWins)
{
    struct Row { const char* name; std::string text; uint16_t code; };
    const Row rows[] = {
        {"esc", "Esc", 0x1B},           {"escape", "Escape", 0x1B},
        {"keypad8", "Num 8", 0x26},     {"up", "Up", 0x26},
        {"numDel", "Num Del", 0x2E},    {"f1", "F1", 0x70},
        {"f12", "F12", 0x7B},           {"enter", "Enter", 0x0D},
        {"caps", "Caps", 0x14},         {"lowerEnter", "enter", 0},
        {"keypad5", "Num 5", 0},        {"capsLock", "Caps Lock", 0},
        {"f13", "F13", 0},              {"trailingBlank", "Enter ", 0},
        {"empty", "", 0},               {"embeddedNul", std::string("Up\0", 3), 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(KeyTextToVKey(row.text), row.code);
    }
}

TEST(KeysText, EveryNameFindsItsOwnCodeAndNamesAreCanonicalOnlyOnce)
{
    for (const auto& key : KeysText) {
        SCOPED_TRACE(std::string(key.Name));
        EXPECT_EQ(KeyTextToVKey(key.Name), key.VKey);
        const std::string canonical = CanonicalKeyText(key.Name);
        EXPECT_EQ(KeyTextToVKey(canonical), key.VKey);
        EXPECT_EQ(CanonicalKeyText(canonical), canonical);
    }
}

TEST(KeysText, CanonicalKeyText)
{
    struct Row { const char* name; const char* text; const char* canonical; };
    const Row rows[] = {
        {"escapeToEsc", "Escape", "Esc"},      {"keypad8ToUp", "Num 8", "Up"},
        {"numDelToDelete", "Num Del", "Delete"}, {"num0ToInsert", "Num 0", "Insert"},
        {"num1ToEnd", "Num 1", "End"},         {"num9ToPgUp", "Num 9", "PgUp"},
        {"enterStays", "Enter", "Enter"},      {"upStays", "Up", "Up"},
        {"combinationStays", "Shift+Num 8", "Shift+Num 8"},
        {"unknownStays", "Caps Lock", "Caps Lock"}, {"emptyStays", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(CanonicalKeyText(row.text), row.canonical);
    }
}

struct ComboRow {
    const char* name;
    std::string text;
    KeyCombo expected;
};

void PrintTo(const ComboRow& row, std::ostream* os) { *os << row.name; }

class ParseKeyComboTest : public testing::TestWithParam<ComboRow> {};

TEST_P(ParseKeyComboTest, Parses)
{
    EXPECT_EQ(ParseKeyCombo(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(KeyNotation, ParseKeyComboTest, testing::Values(
    ComboRow{"escape", "Escape", vk(0x1B)},
    ComboRow{"esc", "Esc", vk(0x1B)},
    ComboRow{"keypad5NotInTable", "Num 5", none()},
    ComboRow{"lowerCaseEnter", "enter", none()},
    ComboRow{"ctrlAltDelete", "Ctrl+Alt+Delete", vk(0x2E, C | A)},
    ComboRow{"altCtrlShiftTab", "Alt+Ctrl+Shift+Tab", vk(0x09, A | C | S)},
    ComboRow{"enterTrimmed", "  Enter  ", vk(0x0D)},
    ComboRow{"controlsTrimmed", std::string("\t\r\n\0Enter\x01", 10), vk(0x0D)},
    ComboRow{"blanksAroundPlus", "Ctrl + C", none()},
    ComboRow{"shiftPlusPlus", "Shift++", none(S)},
    ComboRow{"ctrlPlus", "Ctrl+", none(C)},
    ComboRow{"plusAlone", "+", none()},
    ComboRow{"ctrlSlash", "Ctrl+/", ch('/', C)},
    ComboRow{"ctrlBackslash", "Ctrl+\\", ch('\\', C)},
    ComboRow{"slashAlone", "/", ch('/')},
    ComboRow{"ctrlUpperC", "Ctrl+C", ch('C', C)},
    ComboRow{"ctrlLowerC", "Ctrl+c", ch('c', C)},
    ComboRow{"otherNameAsModifierIgnored", "F1+Enter", vk(0x0D)},
    ComboRow{"unknownModifierSkipped", "Hyper+Enter", vk(0x0D)},
    ComboRow{"emptyModifierSkipped", "+Shift+", none(S)},
    ComboRow{"modifierPartsNotTrimmed", "Shift +Up", vk(0x26)},
    ComboRow{"shiftAlone", "Shift", vk(0x10, S)},
    ComboRow{"ctrlAlone", "Ctrl", vk(0x11, C)},
    ComboRow{"altShift", "Alt+Shift", vk(0x10, A | S)},
    ComboRow{"ctrlShiftRecordedPrefix", "Ctrl+Shift", vk(0x10, C | S)},
    ComboRow{"shiftKeypad8", "Shift+Num 8", vk(0x26, S)},
    ComboRow{"caseSensitive", "ctrl+C", ch('C')},
    ComboRow{"unknownFinal", "Ctrl+Hyper", none(C)},
    ComboRow{"empty", "", none()},
    ComboRow{"blanksOnly", "   ", none()},
    ComboRow{"lessThanAloneIsACharacter", "<", ch('<')},
    ComboRow{"groupInsideIsAName", "<Enter", none()},
    ComboRow{"utf8Character", "Alt+\xC3\xA9", ch(0xE9, A)},
    ComboRow{"invalidByteIsOneCharacter", "\xFF", ch(0xFFFD)},
    ComboRow{"twoInvalidBytesAreTwoCharacters", "\xFF\xFE", none()},
    ComboRow{"nulInsideName", std::string("En\0ter", 6), none()}),
    [](const testing::TestParamInfo<ComboRow>& info) { return std::string(info.param.name); });

namespace {

std::vector<std::string> groupsOf(std::string_view text)
{
    std::vector<std::string> out;
    ControlTextReader reader(text);
    while (auto group = reader.next())
        out.emplace_back(*group);
    return out;
}

}  // namespace

TEST(KeyNotation, ControlTextGroups)
{
    using G = std::vector<std::string>;
    struct Row { const char* name; std::string text; G groups; };
    const Row rows[] = {
        {"threeKeys", "<Up><Up><Enter>", G{"Up", "Up", "Enter"}},
        {"spaceBetweenEnds", "<Up> <Enter>", G{"Up"}},
        {"noBrackets", "Enter", G{}},
        {"textBeforeGroup", "x<Up>", G{}},
        {"unclosed", "<Enter", G{}},
        {"emptyGroupCounts", "<><Tab>", G{"", "Tab"}},
        {"doubleOpen", "<<Enter>", G{"<Enter"}},
        {"trimmedOnce", " \t<Up><Down>\r\n", G{"Up", "Down"}},
        {"strayTextEnds", "<Up>junk<Down>", G{"Up"}},
        {"closeAlone", ">", G{}},
        {"combinationKeptRaw", "< Ctrl + C ><F5>", G{" Ctrl + C ", "F5"}},
        {"unclosedAfterGroups", "<Up><Down", G{"Up"}},
        {"nulInside", std::string("<Up>\0<Down>", 11), G{"Up"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(groupsOf(row.text), row.groups);
    }
}

TEST(KeyNotation, StaysEndedOnceEnded)
{
    ControlTextReader reader("<Up>x<Down>");
    EXPECT_TRUE(reader.next());
    EXPECT_FALSE(reader.next());
    EXPECT_FALSE(reader.next());
}

TEST(KeyNotation, HostileTextIsHandledInLinearTime)
{
    const std::string nested(10000, '<');
    EXPECT_TRUE(groupsOf(nested).empty());
    EXPECT_EQ(groupsOf(nested + ">"), std::vector<std::string>{std::string(9999, '<')});
    EXPECT_EQ(ParseKeyCombo(nested).kind, FinalKeyKind::None);

    const std::string pluses(1000000, '+');
    EXPECT_EQ(ParseKeyCombo(pluses), none());
    std::string modifiers;
    for (int i = 0; i < 100000; ++i)
        modifiers += "Ctrl+";
    EXPECT_EQ(ParseKeyCombo(modifiers + "Enter"), vk(0x0D, C));

    std::string groups;
    for (int i = 0; i < 200000; ++i)
        groups += "<>";
    EXPECT_EQ(groupsOf(groups).size(), 200000u);

    const std::string nuls(100000, '\0');
    EXPECT_EQ(ParseKeyCombo(nuls), none());
    EXPECT_TRUE(groupsOf(nuls).empty());
}
