// The emulator and screen model fed with recorded byte streams: scrolling through the row
// ring, regions, erase colours, wide and combining characters, resizing, the two screens,
// the title and the row versions that tell a painter what changed.

#include "console/Emulator.h"
#include "console/SnapshotBuilder.h"

#include <gtest/gtest.h>

using namespace qp;

namespace {

struct Term {
    Emulator emu;
    explicit Term(int cols = 80, int rows = 25) : emu(cols, rows) {}
    Term& operator<<(std::string_view bytes)
    {
        emu.write(bytes);
        return *this;
    }
    std::shared_ptr<ScreenSnapshot> snap() const
    {
        auto s = CaptureScreen(emu.model());
        FillOemCells(*s, nullptr, OemCodepage::system());
        return s;
    }
    std::string row(int r) const { return SnapshotRowText(*snap(), r); }
};

std::string lines(int from, int to)
{
    std::string out;
    for (int i = from; i <= to; ++i)
        out += (i > from ? "\r\n" : "") + std::string("L") + std::to_string(i);
    return out;
}

}  // namespace

TEST(Emulator, ScrollingMovesRowsAndMarksThemChanged)
{
    Term t;
    t << lines(0, 24);
    const auto before = t.snap();
    t << "\r\n" << "L25";
    const auto after = t.snap();
    EXPECT_EQ(SnapshotRowText(*after, 0), "L1");
    EXPECT_EQ(SnapshotRowText(*after, 23), "L24");
    EXPECT_EQ(SnapshotRowText(*after, 24), "L25");
    for (int r = 0; r < 25; ++r)
        EXPECT_TRUE(after->rowChangedSince(*before, r)) << r;
    t << lines(26, 200);
    EXPECT_EQ(t.row(0), "L176");
    EXPECT_EQ(t.row(24), "L200");
}

TEST(Emulator, OnlyTouchedRowsChangeVersion)
{
    Term t;
    t << lines(0, 10);
    const auto before = t.snap();
    t << "\x1b[4;1Hxx";
    const auto after = t.snap();
    for (int r = 0; r < 25; ++r)
        EXPECT_EQ(after->rowChangedSince(*before, r), r == 3) << r;
    EXPECT_GT(after->generation, before->generation);
}

TEST(Emulator, ScrollRegionLeavesRowsOutsideAlone)
{
    Term t;
    t << lines(0, 24);
    const auto before = t.snap();
    // Region rows 5-10 (1-based); three line feeds at its bottom scroll only it.
    t << "\x1b[5;10r\x1b[10;1H\n\n\nnew";
    const auto s = t.snap();
    EXPECT_EQ(SnapshotRowText(*s, 3), "L3");
    EXPECT_EQ(SnapshotRowText(*s, 4), "L7");
    EXPECT_EQ(SnapshotRowText(*s, 6), "L9");
    EXPECT_EQ(SnapshotRowText(*s, 7), "");
    EXPECT_EQ(SnapshotRowText(*s, 9), "new");
    EXPECT_EQ(SnapshotRowText(*s, 10), "L10");
    for (int r : {0, 3, 10, 24})
        EXPECT_FALSE(s->rowChangedSince(*before, r)) << r;
    // Reverse index at the region's top scrolls it down.
    t << "\x1b[5;1H\x1bM";
    EXPECT_EQ(t.row(4), "");
    EXPECT_EQ(t.row(5), "L7");
    EXPECT_EQ(t.row(3), "L3");
}

TEST(Emulator, InsertAndDeleteLinesAndCharacters)
{
    Term t;
    t << lines(0, 5);
    t << "\x1b[2;1H\x1b[2L";  // insert two lines at row 2
    EXPECT_EQ(t.row(0), "L0");
    EXPECT_EQ(t.row(1), "");
    EXPECT_EQ(t.row(3), "L1");
    t << "\x1b[1M";  // delete one
    EXPECT_EQ(t.row(1), "");
    EXPECT_EQ(t.row(2), "L1");
    t << "\x1b[1;1Habcdef\x1b[1;2H\x1b[2P";  // delete two characters
    EXPECT_EQ(t.row(0), "adef");
    t << "\x1b[1;2H\x1b[3@";  // insert three blanks
    EXPECT_EQ(t.row(0), "a   def");
}

// Erased cells take the current colours (without bold or reverse).
TEST(Emulator, EraseUsesTheCurrentBackground)
{
    struct Case {
        const char* name;
        const char* bytes;
        int col, row;
        uint16_t attr;
    };
    const Case cases[] = {
        {"ED blue", "\x1b[44m\x1b[2J", 40, 12, 0x17},
        {"EL red from cursor", "\x1b[41m\x1b[3;10H\x1b[K", 79, 2, 0x47},
        {"EL keeps before cursor", "\x1b[41m\x1b[3;10H\x1b[K", 5, 2, 0x07},
        {"ECH yellow on green", "\x1b[33;42m\x1b[1;1H\x1b[5X", 4, 0, 0x26},
        {"bold and reverse not in erase", "\x1b[1;7;31;44m\x1b[2J", 0, 0, 0x14},
        {"scrolled-in line", "\x1b[45m\x1b[25;1H\n", 0, 24, 0x57},
    };
    for (const Case& c : cases) {
        Term t;
        t << c.bytes;
        const auto s = t.snap();
        EXPECT_EQ(s->wide(c.col, c.row), (ScreenCell{0x20, c.attr})) << c.name;
    }
}

TEST(Emulator, AttributeWordsForPenSettings)
{
    struct Case {
        const char* sgr;
        uint16_t attr;
    };
    const Case cases[] = {
        {"", 0x07},          {"1", 0x0F},          {"30;47", 0x70},       {"35", 0x05},
        {"36", 0x03},        {"90", 0x08},         {"1;90", 0x08},        {"97;100", 0x8F},
        {"1;34", 0x09},      {"7", 0x4070},        {"1;7", 0x40F0},       {"7;33;41", 0x4064},
        {"38;5;232", 0x00},  {"38;5;250", 0x07},   {"38;5;226", 0x0E},    {"48;5;21", 0x97},
        {"38;2;255;255;255", 0x0F}, {"38;2;10;10;120", 0x01}, {"4;3;9", 0x8007}, {"31;39", 0x07},
        {"44;49", 0x07},     {"4;7;32", 0xC020},   {"4;24", 0x07},        {"7;27", 0x07},
    };
    for (const Case& c : cases) {
        Term t;
        t << "\x1b[" << c.sgr << "mX";
        EXPECT_EQ(t.snap()->wide(0, 0).attr, c.attr) << "SGR " << c.sgr;
        EXPECT_EQ(t.emu.penAttribute(), c.attr) << "SGR " << c.sgr;
    }
}

TEST(Emulator, WideCombiningAndAstralCharacters)
{
    Term t(10, 3);
    t << "e\xcc\x81|\xe6\xbc\xa2|\xf0\x9f\x98\x80|";
    const auto s = t.snap();
    EXPECT_EQ(s->wide(0, 0).ch, 'e');  // the base, its mark in the cell's cluster
    ASSERT_NE(s->clusterAt(0), nullptr);
    EXPECT_EQ(s->clusterAt(0)->text, u"e\u0301");
    EXPECT_EQ(s->wide(1, 0).ch, '|');
    EXPECT_EQ(s->wide(2, 0), (ScreenCell{0x6F22, 0x07 | kLeadingCell}));  // wide: two cells
    EXPECT_EQ(s->wide(3, 0), (ScreenCell{0x6F22, 0x07 | kTrailingCell}));
    EXPECT_EQ(s->wide(4, 0).ch, '|');
    EXPECT_EQ(s->wide(5, 0).ch, 0xD83D);  // beyond the BMP: a surrogate pair, wide
    ASSERT_NE(s->clusterAt(5), nullptr);
    EXPECT_EQ(s->clusterAt(5)->text, u"\U0001F600");
    EXPECT_TRUE(s->continuesWide(6, 0));
    EXPECT_EQ(s->wide(7, 0).ch, '|');
    EXPECT_EQ(t.row(0), "e\xcc\x81|\xe6\xbc\xa2|\xf0\x9f\x98\x80|");
    // A wide character that does not fit at the end of the line wraps whole.
    t << "\x1b[2;10H\xe6\xbc\xa2";
    EXPECT_EQ(t.snap()->wide(9, 1).ch, 0x20);
    EXPECT_EQ(t.snap()->wide(0, 2).ch, 0x6F22);
}

// Edits that cut wide characters or move clusters: what each row reads afterwards.
TEST(Emulator, EditsKeepWideCharactersAndClustersWhole)
{
    const struct {
        const char* name;
        const char* bytes;
        const char* row;
    } cases[] = {
        {"overwrite the first half", "\xe6\x97\xa5\xe6\x9c\xac\rx", "x \xe6\x9c\xac"},
        {"overwrite the second half", "\xe6\x97\xa5\xe6\x9c\xac\x1b[1;2Hx", " x\xe6\x9c\xac"},
        {"wide over two halves", "\xe6\x97\xa5\xe6\x9c\xac\x1b[1;2H\xe8\xaa\x9e", " \xe8\xaa\x9e"},
        {"erase to the end from a second half", "ab\xe6\x97\xa5" "cd\x1b[1;4H\x1b[K", "ab"},
        {"erase to the start up to a first half", "ab\xe6\x97\xa5" "cd\x1b[1;3H\x1b[1K", "    cd"},
        {"insert moves the cluster", "xe\xcc\x81y\r\x1b[2@", "  xe\xcc\x81y"},
        {"delete moves the cluster", "xye\xcc\x81z\r\x1b[P", "ye\xcc\x81z"},
        {"delete drops the cluster", "e\xcc\x81z\r\x1b[P", "z"},
        {"a plain character replaces a cluster", "e\xcc\x81z\rq", "qz"},
        {"two marks in order", "a\xcc\x81\xcc\xa7", "a\xcc\x81\xcc\xa7"},
        {"a mark on a wide character", "\xe6\x97\xa5\xcc\x81!", "\xe6\x97\xa5\xcc\x81!"},
        {"erase the line", "\xe6\x97\xa5" "e\xcc\x81\x1b[2K", ""},
    };
    for (const auto& c : cases) {
        Term t(10, 3);
        t << c.bytes;
        EXPECT_EQ(t.row(0), c.row) << c.name;
    }
}

TEST(Emulator, ClustersScrollWithTheirRowsAndGoWhenCleared)
{
    Term t(10, 3);
    t << "e\xcc\x81\r\n\xf0\x9f\x98\x80\r\n\r\n";
    auto s = t.snap();
    EXPECT_EQ(t.row(0), "\xf0\x9f\x98\x80");
    ASSERT_EQ(s->clusters.size(), 1u);
    EXPECT_EQ(s->clusters[0].index, 0u);
    t << "\x1b[2J";
    EXPECT_TRUE(t.snap()->clusters.empty());
    t << "\x1b[3;1He\xcc\x81\x1b[10;20r";
    t.emu.resize(4, 3);
    EXPECT_EQ(t.row(2), "e\xcc\x81");
    t.emu.clearCharacters();
    s = t.snap();
    EXPECT_TRUE(s->clusters.empty());
    EXPECT_EQ(s->wide(0, 2).attr & kCellHalves, 0);
}

// A screen that never had a cluster skips looking for them: the ones a resize carries over
// to the new screen, or an edit moves, must still go when text or an erase covers them.
TEST(Emulator, ClustersCarriedOrMovedStillGoWhenCovered)
{
    const struct {
        const char* name;
        const char* before;
        bool resize;
        const char* cover;
    } cases[] = {
        {"carried by a resize, covered by text", "ab e\xcc\x81", true, "\x1b[1;4Hx"},
        {"carried by a resize, erased", "ab e\xcc\x81", true, "\x1b[1;4H\x1b[K"},
        {"carried to the alternate screen's size", "\x1b[?1049hab e\xcc\x81", true, "\x1b[1;1Hxxxxx"},
        {"moved by an insert, covered by text", "e\xcc\x81\x1b[1;1H\x1b[3@", false, "\x1b[1;4Hx"},
    };
    for (const auto& c : cases) {
        Term t(10, 3);
        t << c.before;
        if (c.resize)
            t.emu.resize(12, 4);
        ASSERT_EQ(t.snap()->clusters.size(), 1u) << c.name;
        t << c.cover;
        EXPECT_TRUE(t.snap()->clusters.empty()) << c.name;
        EXPECT_EQ(t.row(0).find("\xcc\x81"), std::string::npos) << c.name;
    }
}

TEST(Emulator, AutowrapAndTabs)
{
    Term t(10, 3);
    t << "0123456789ab\tc";
    EXPECT_EQ(t.row(0), "0123456789");
    EXPECT_EQ(t.row(1), "ab      c");
}

TEST(Emulator, ResizeKeepsContentAndTheCursorRow)
{
    Term t(20, 10);
    t << lines(0, 9);
    t.emu.resize(30, 12);
    auto s = t.snap();
    EXPECT_EQ(s->width, 30);
    EXPECT_EQ(s->height, 12);
    EXPECT_EQ(SnapshotRowText(*s, 9), "L9");
    EXPECT_EQ(s->wide(25, 11), (ScreenCell{0x20, 0x07}));
    // Shrinking below the cursor's row drops rows from the top.
    t.emu.resize(5, 4);
    s = t.snap();
    EXPECT_EQ(SnapshotRowText(*s, 3), "L9");
    EXPECT_EQ(SnapshotRowText(*s, 0), "L6");
    EXPECT_EQ(s->cursorY, 3);
    t << "\r\nnext";
    EXPECT_EQ(t.row(3), "next");
    EXPECT_EQ(t.row(2), "L9");
}

TEST(Emulator, AlternateScreenIsSeparateAndMainComesBackUnchanged)
{
    Term t(20, 5);
    t << "main\r\n";
    t << "\x1b[?1049h\x1b[1;1Halt";
    auto s = t.snap();
    EXPECT_TRUE(s->alternateScreen);
    EXPECT_EQ(SnapshotRowText(*s, 0), "alt");
    t.emu.resize(30, 6);  // both screens follow a resize
    t << "\x1b[?1049l";
    s = t.snap();
    EXPECT_FALSE(s->alternateScreen);
    EXPECT_EQ(s->width, 30);
    EXPECT_EQ(SnapshotRowText(*s, 0), "main");
    EXPECT_EQ(s->cursorY, 1);  // cursor restored
    t << "\x1b[?1049h";
    EXPECT_EQ(t.row(0), "");  // entered again: erased
}

TEST(Emulator, TitleAndCursorVisibility)
{
    Term t;
    t << "\x1b]2;first\x07";
    EXPECT_EQ(t.emu.title(), "first");
    EXPECT_TRUE(t.emu.takeTitleChanged());
    EXPECT_FALSE(t.emu.takeTitleChanged());
    t << "\x1b]0;caf\xc3\xa9 \xe2\x80\x94 2\x1b\\";
    EXPECT_EQ(t.emu.title(), "caf\xc3\xa9 \xe2\x80\x94 2");
    t << "\x1b[?25l";
    EXPECT_FALSE(t.snap()->cursorVisible);
    t << "\x1b[?25h";
    EXPECT_TRUE(t.snap()->cursorVisible);
}

TEST(Emulator, AnswersQueriesThroughItsOutput)
{
    Term t;
    t << "\x1b[5;9H\x1b[6n";
    EXPECT_EQ(t.emu.takeOutput(), "\x1b[5;9R");
    t << "\x1b[c";
    EXPECT_EQ(t.emu.takeOutput().substr(0, 3), "\x1b[?");
    EXPECT_FALSE(t.emu.hasOutput());
}

TEST(Emulator, PrepareForProgramResetsModesButKeepsCells)
{
    Term t(20, 6);
    t << "keep\x1b[2;4r\x1b[?1h\x1b[31m\x1b[?1049h\x1b[?25lalt\x1b]2;t\x07\x1b[";  // ends inside a sequence
    t.emu.prepareForProgram();
    auto s = t.snap();
    EXPECT_FALSE(s->alternateScreen);
    EXPECT_EQ(SnapshotRowText(*s, 0), "keep");
    EXPECT_TRUE(s->cursorVisible);
    EXPECT_EQ(t.emu.penAttribute(), 0x07);
    t << "\x1b[6;1H\nx";  // scrolls the whole screen: no region left
    EXPECT_EQ(t.row(4), "");
    EXPECT_EQ(t.row(5), "x");
    EXPECT_EQ(t.row(0), "");
}

TEST(Emulator, ClearCharactersKeepsAttributesAndHomesBothCursors)
{
    Term t(10, 3);
    t << "\x1b[42mabc\x1b[0m\x1b[3;5Hz";
    t.emu.clearCharacters();
    auto s = t.snap();
    EXPECT_EQ(s->wide(1, 0), (ScreenCell{0x20, 0x27}));
    EXPECT_EQ(s->wide(4, 2), (ScreenCell{0x20, 0x07}));
    EXPECT_EQ(s->cursorX, 0);
    EXPECT_EQ(s->cursorY, 0);
    t << "q";
    EXPECT_EQ(t.row(0), "q");
}

TEST(Emulator, OemCellsReuseUnchangedRowsFromThePreviousSnapshot)
{
    Term t(10, 3);
    t << "\xe2\x94\x8c\xe2\x94\x80\r\n\xc3\xa9";
    auto first = t.snap();
    t << "\x1b[3;1Hx";
    auto second = CaptureScreen(t.emu.model());
    FillOemCells(*second, first.get(), OemCodepage::system());
    EXPECT_EQ(second->oem(0, 0).ch, 0xDA);
    EXPECT_EQ(second->oem(1, 0).ch, 0xC4);
    EXPECT_EQ(second->oem(0, 1).ch, 0x82);
    EXPECT_EQ(second->oem(0, 2).ch, 'x');
    EXPECT_EQ(second->oemCells.back(), (ScreenCell{0, 0}));
}

TEST(Utf8Boundaries, IncompleteTailsAreHeldBack)
{
    struct Case {
        const char* name;
        std::string bytes;
        size_t complete;
    };
    const Case cases[] = {
        {"ascii", "abc", 3},
        {"empty", "", 0},
        {"two-byte whole", "a\xc3\xa9", 3},
        {"two-byte lead only", "a\xc3", 1},
        {"three-byte one missing", "a\xe2\x82", 1},
        {"three-byte whole", "\xe2\x82\xac", 3},
        {"four-byte three present", "x\xf0\x9f\x98", 1},
        {"four-byte whole", "\xf0\x9f\x98\x80", 4},
        {"stray continuation", "a\x80", 2},
        {"invalid lead", "a\xff", 2},
        {"escape then lead", "\x1b[31m\xe6", 5},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompleteUtf8Prefix(c.bytes.data(), c.bytes.size()), c.complete) << c.name;
    const std::string s = "ab\xe2\x82\xac";
    EXPECT_EQ(Utf8SafeCut(s.data(), s.size(), 3), 2u);
    EXPECT_EQ(Utf8SafeCut(s.data(), s.size(), 2), 2u);
    EXPECT_EQ(Utf8SafeCut(s.data(), s.size(), 10), 5u);
}

// Status-string requests: the settings the terminal knows are answered with their value,
// any other name with the DEC answer for an unknown setting; split across writes too, and
// a request cut off by another sequence is dropped.
TEST(Emulator, StatusStringRequestsNeverCrash)
{
    struct Case {
        const char* name;
        std::vector<std::string> writes;
        const char* answer;  // how the answer begins, or null for none
    };
    const Case cases[] = {
        {"scroll region", {"\x1bP$qr\x1b\\"}, "\x1bP1$r1;25r"},
        {"pen", {"\x1bP$qm\x07"}, "\x1bP1$rm"},
        {"cursor shape", {"\x1bP$q q\x1b\\"}, "\x1bP1$r1 q"},
        {"unknown name", {"\x1bP$qxx\x1b\\"}, "\x1bP0$r"},
        {"unknown, bell", {"\x1bP$qxx\x07"}, "\x1bP0$r"},
        {"empty name", {"\x1bP$q\x1b\\"}, "\x1bP0$r"},
        {"long name", {"\x1bP$q" + std::string(300, 'z') + "\x1b\\"}, "\x1bP0$r"},
        {"known prefix, longer", {"\x1bP$qmm\x1b\\"}, "\x1bP0$r"},
        {"split before the name", {"ab\x1bP$", "qxy\x1b\\"}, "\x1bP0$r"},
        {"split in the name", {"\x1bP$qx", "x\x1b\\"}, "\x1bP0$r"},
        {"split after ESC", {"\x1b", "P$qr\x1b\\"}, "\x1bP1$r"},
        {"split known", {"\x1bP$q", "r", "\x1b\\"}, "\x1bP1$r"},
        {"aborted by another escape", {"\x1bP$qxx\x1b[m"}, nullptr},
        {"coloured pen", {"\x1b[1;31;48;5;200m\x1bP$qm\x1b\\"}, "\x1bP1$r1;31;48:5:200m\x1b\\"},
    };
    for (const Case& c : cases) {
        Term t;
        for (const std::string& w : c.writes)
            t << w;
        t << "after";
        const std::string answer = t.emu.takeOutput();
        if (c.answer)
            EXPECT_EQ(answer.substr(0, std::string(c.answer).size()), c.answer) << c.name;
        else
            EXPECT_EQ(answer, "") << c.name;
        EXPECT_NE(t.row(0).find("after"), std::string::npos) << c.name;
    }
}

// Sequences that made libvterm 0.1.4 loop for ever or move the cursor backwards.
TEST(Emulator, RepeatIsSafeBeforeAnyCharacterAndAfterControls)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::string row0;
    };
    const Case cases[] = {
        {"repeat first", "\x1b[3b", ""},
        {"repeat after a combining mark", "\xcc\x81\x1b[3b", ""},
        {"repeat after a zero-width space", "\xe2\x80\x8b\x1b[2b", ""},
        {"repeat after an encoded C1 control", "x\xc2\x85\x1b[2b", "x\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},
        {"repeat of a letter", "x\x1b[3b", "xxxx"},
        {"huge repeat stops at the margin", "x\x1b[99999999b", std::string(80, 'x')},
        {"repeat after a hard reset", "y\x1b" "c\x1b[2b", "yy"},
        {"repeat after a stray combining mark", " \x1b[H\xcc\x81\x1b[3b", ""},
        {"bell inside the repeat", "\x1b\xcc\x81\x1b[2\x07" "b", ""},
    };
    for (const Case& c : cases) {
        Term t;
        t << c.bytes;
        EXPECT_EQ(t.row(0).substr(0, c.row0.size()), c.row0) << c.name;
        const auto s = t.snap();
        EXPECT_GE(s->cursorX, 0) << c.name;
    }
}



// libvterm 0.1.4 keeps 16 arguments and writes the 17th over its callback pointers.
TEST(Emulator, OverlongParameterListsAreDroppedWithoutHarm)
{
    struct Case {
        const char* name;
        std::vector<std::string> writes;
        uint16_t pen;
    };
    const std::string many(20, ';');
    const Case cases[] = {
        {"empty parameters", {"\x1b[" + many + "m"}, 0x07},
        {"sub-parameters", {"\x1b[" + std::string(17, ':') + "m"}, 0x07},
        {"a colour after too many", {"\x1b[" + many + "31m"}, 0x07},
        {"sixteen still count", {"\x1b[" + std::string(15, ';') + "31m"}, 0x04},
        {"thousands, in pieces", {"\x1b[" + std::string(3000, ';'), std::string(3000, ':'), "1;31m"}, 0x07},
        {"a cursor move", {"\x1b[" + many + "5H"}, 0x07},
    };
    for (const Case& c : cases) {
        Term t;
        t << "a";
        for (const std::string& w : c.writes)
            t << w;
        t << "b";
        EXPECT_EQ(t.row(0), "ab") << c.name;
        EXPECT_EQ(t.emu.penAttribute(), c.pen) << c.name;
    }
}

TEST(Emulator, TitleSplitAcrossWritesArrivesWhole)
{
    Term t;
    t << "\x1b]0;My " << "Ti" << "tle\x1b" << "\\after";
    EXPECT_EQ(t.emu.title(), "My Title");
    EXPECT_EQ(t.row(0), "after");
}

TEST(Emulator, ShrinkingBelowAScrollRegionResetsIt)
{
    Term t(30, 25);
    t << "\x1b[20;25r\x1b[?6h\x1b[5;10r\x1b[22;1Hmark";
    const auto before = t.snap();
    t.emu.resize(20, 10);
    t << lines(0, 30);
    EXPECT_EQ(t.row(9), "L30");
    EXPECT_EQ(t.row(0), "L21");
    // Left and right margins too.
    Term u(40, 10);
    u << "\x1b[?69h\x1b[30;40s";
    u.emu.resize(20, 10);
    u << "abc\x1b[2@";
    EXPECT_EQ(u.row(9).substr(0, 0), "");
}
