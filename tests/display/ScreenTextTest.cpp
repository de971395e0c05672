#include "display/CopyFormats.h"
#include "console/Emulator.h"
#include "display/ScreenText.h"
#include "console/SnapshotBuilder.h"
#include "TextScreens.h"

#include <gtest/gtest.h>

#include <climits>

using namespace qp;
using qp::test::snapshotFromLines;

namespace {

struct ReadCase {
    const char* name;
    CellRect rect;
    std::u16string expected;
};

const std::vector<std::string> kScreen = {
    "abc   ",
    "def",
    "  gh  x",
    "",
};

class ReadRectTextTable : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadRectTextTable, ReadsTrimmedRowsWithSeparator) {
    const ScreenSnapshot s = snapshotFromLines(10, 4, kScreen);
    EXPECT_EQ(ReadRectText(s, GetParam().rect, u"/"), GetParam().expected);
    EXPECT_EQ(ReadRectTextWide(s, GetParam().rect, u"/"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rectangles, ReadRectTextTable,
    ::testing::Values(
        ReadCase{"OneRowNoSeparator", {0, 0, 9, 0}, u"abc"},
        ReadCase{"TwoRowsSeparatorAfterEach", {0, 0, 2, 1}, u"abc/def/"},
        ReadCase{"InnerColumns", {1, 2, 3, 2}, u" gh"},
        ReadCase{"TrailingBlankRowIsEmpty", {0, 2, 9, 3}, u"  gh  x//"},
        ReadCase{"BottomAboveTopIsEmpty", {0, 2, 9, 1}, u""},
        ReadCase{"RightLeftOfLeftGivesEmptyRows", {5, 0, 2, 1}, u"//"},
        ReadCase{"SingleCell", {2, 0, 2, 0}, u"c"},
        ReadCase{"LeftOffScreenIsClipped", {-5, 0, 1, 0}, u"ab"},
        ReadCase{"RightOffScreenIsClipped", {6, 2, 500, 2}, u"x"},
        ReadCase{"RowsBelowScreenAreSkipped", {0, 3, 9, 40}, u"/"},
        ReadCase{"RowsAboveScreenAreSkipped", {0, -3, 2, 0}, u"abc/"},
        ReadCase{"WhollyOffScreen", {20, 20, 30, 30}, u""},
        ReadCase{"NegativeEverything", {-9, -9, -1, -1}, u""},
        ReadCase{"ExtremeBounds", {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, u"abc/def/  gh  x//"},
        ReadCase{"ExtremeOneRow", {INT_MAX, 0, INT_MAX, 0}, u""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadRectText, ControlCharactersAndZerosAreTrimmedOnlyAtTheEnd) {
    ScreenSnapshot s = snapshotFromLines(6, 1, {"a"});
    s.wideCells[1].ch = 0;      // a zero inside the row counts as a character
    s.wideCells[2].ch = u'b';
    s.wideCells[3].ch = u'\t';  // codes of 32 and less are trimmed at the end
    s.wideCells[4].ch = 0;
    s.wideCells[5].ch = 31;
    EXPECT_EQ(ReadRectTextWide(s, {0, 0, 5, 0}, u"/"), std::u16string(u"a\0b", 3));
}

TEST(ReadRectText, SeparatorMayBeLongerOrEmpty) {
    const ScreenSnapshot s = snapshotFromLines(4, 2, {"ab", "cd"});
    EXPECT_EQ(ReadRectTextWide(s, {0, 0, 3, 1}, u"<br>"), u"ab<br>cd<br>");
    EXPECT_EQ(ReadRectTextWide(s, {0, 0, 3, 1}, u""), u"abcd");
}

TEST(ReadRectText, EmptyAndShortSnapshotsAreNeverReadPastTheirCells) {
    ScreenSnapshot empty;
    EXPECT_EQ(ReadRectText(empty, {0, 0, 10, 10}, u"/"), u"");
    ScreenSnapshot shortArrays = snapshotFromLines(4, 3, {"ab", "cd", "ef"});
    shortArrays.wideCells.resize(5);  // a row and a bit: only row 0 is whole
    shortArrays.oemCells.resize(5);
    EXPECT_EQ(ReadRectTextWide(shortArrays, {0, 0, 3, 2}, u"/"), u"ab/");
    EXPECT_EQ(ReadRectTextAnsi(shortArrays, {0, 0, 3, 2}, "/"), "ab/");
}

TEST(ReadRectText, BoxCharactersSurviveTheCodePageRoundTrip) {
    const ScreenSnapshot s = snapshotFromLines(8, 1, {"┌─┐ é"});
    EXPECT_EQ(ReadRectText(s, {0, 0, 7, 0}, u"/"), u"┌─┐ é");
}

TEST(ReadRectText, UnrepresentableCharacterDoesNotSurviveTheRoundTrip) {
    ScreenSnapshot s = snapshotFromLines(3, 1, {"a"});
    s.wideCells[1].ch = 0xD800;  // a lone surrogate has no form in any 8-bit code page
    const std::u16string read = ReadRectText(s, {0, 0, 2, 0}, u"/");
    ASSERT_FALSE(read.empty());
    EXPECT_EQ(read[0], u'a');
    EXPECT_EQ(read.find(char16_t(0xD800)), std::u16string::npos);
}

TEST(ReadRectTextAnsi, TakesOemBytesAsTheyAre) {
    const ScreenSnapshot s = snapshotFromLines(6, 2, {"┌─┐", "└─┘ "});
    EXPECT_EQ(ReadRectTextAnsi(s, {0, 0, 5, 1}, "/"), "\xDA\xC4\xBF/\xC0\xC4\xD9/");
    EXPECT_EQ(ReadRectTextAnsi(s, {0, 0, 1, 0}, "/"), "\xDA\xC4");
}

TEST(ScreenAsText, OneTrimmedLinePerRow) {
    ScreenSnapshot s = snapshotFromLines(5, 3, {"ab  ", "", " c"});
    s.wideCells[2].ch = 0;
    s.wideCells[3].ch = u'z';
    EXPECT_EQ(ScreenAsText(s), "ab z\n\n c\n");
}

// The screen a program leaves by writing `bytes` to a terminal of cols x rows.
SnapshotPtr written(int cols, int rows, std::string_view bytes) {
    Emulator emulator(cols, rows);
    emulator.write(bytes);
    auto s = CaptureScreen(emulator.model());
    FillOemCells(*s, nullptr, OemCodepage::system());
    return s;
}

// Wide characters, characters beyond the BMP and combining marks read back as written,
// while the rectangles still count cells.
TEST(ReadRectText, ReadsWideCombiningAndAstralTextAsWritten) {
    // Row 0: 日本語 in cells 0-5, then "|". Row 1: e + U+0301 in cell 0, "x", 😀 in cells 2-3,
    // "y". Row 2: "ab" with 語 in cells 2-3.
    const SnapshotPtr s = written(10, 3, "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e|\r\n"
                                         "e\xcc\x81x\xf0\x9f\x98\x80y\r\nab\xe8\xaa\x9e");
    const struct {
        const char* name;
        CellRect rect;
        std::u16string expected;
    } cases[] = {
        {"whole row", {0, 0, 9, 0}, u"日本語|"},
        {"columns count cells", {6, 0, 6, 0}, u"|"},
        {"a rectangle ending on a first half reads the character", {0, 0, 2, 0}, u"日本"},
        {"a rectangle starting on a second half skips it", {1, 0, 3, 0}, u"本"},
        {"combining mark kept in order", {0, 1, 1, 1}, u"e\u0301x"},
        {"surrogate pair", {2, 1, 4, 1}, u"\U0001F600y"},
        {"several rows", {0, 0, 3, 2}, u"日本/e\u0301x\U0001F600/ab語/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadRectTextWide(*s, c.rect, u"/"), c.expected);
        EXPECT_EQ(ReadRectText(*s, c.rect, u"/"), c.expected);
    }
    EXPECT_EQ(ReadRectTextAnsi(*s, {0, 0, 9, 0}, "/"), "???|");
    EXPECT_EQ(ScreenAsText(*s), "日本語|\ne\xcc\x81x\xf0\x9f\x98\x80y\nab語\n");
}

// Where a check of a text ends: the cells that hold as many units as the text has.
TEST(TextEndColumn, CoversTheCellsTheTextStandsIn) {
    const SnapshotPtr s = written(10, 3, "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e|\r\n"
                                         "e\xcc\x81x\xf0\x9f\x98\x80y");
    const struct {
        const char* name;
        int32_t x, y;
        std::u16string text;
        int32_t right;
    } cases[] = {
        {"three wide characters", 0, 0, u"日本語", 5},
        {"one wide character", 2, 0, u"本", 3},
        {"wide then narrow", 4, 0, u"語|", 6},
        {"a cluster is all its units", 0, 1, u"e\u0301", 0},
        {"a bare base is shorter than its cluster", 0, 1, u"e", 0},
        {"a surrogate pair", 2, 1, u"\U0001F600", 3},
        {"past the row's end", 8, 0, u"abcd", 11},
        {"off the screen", -2, 0, u"abc", 0},
        {"below the screen", 0, 5, u"abc", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int32_t right = TextEndColumn(*s, c.x, c.y, c.text.size());
        EXPECT_EQ(right, c.right);
    }
    // What a check compares: the cluster reads whole, so a bare base no longer matches it.
    EXPECT_EQ(ReadRectText(*s, {0, 1, TextEndColumn(*s, 0, 1, 1), 1}, u"/"), u"e\u0301");
}

// The RTF copy writes each character once: a wide one from its first cell, a cluster with
// all its units.
TEST(Rtf, WideCharactersAndClustersOnce) {
    const SnapshotPtr s = written(10, 1, "\xe6\x97\xa5" "e\xcc\x81\xf0\x9f\x98\x80");
    const std::string doc = BuildRtfDocument(*s, {0, 0, 9, 0}, RtfFont{});
    const std::string body = RtfCharacter(u'日') + "e" + RtfCharacter(0x0301) + RtfCharacter(0xD83D) +
                             RtfCharacter(0xDE00) + "\\~\\~\\~\\~\\~";
    EXPECT_NE(doc.find("\\chcbpat1 " + body), std::string::npos) << doc;
}

}  // namespace
