#include "ScreenText.h"
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

}  // namespace
