// The hosted console with real programs in the real pty: what they print lands in the
// snapshot, the screen operations, starting and failing to start.

#include "ConsoleTestUtil.h"
#include "console/Errors.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace qp;
using namespace qp::test;
using namespace std::chrono_literals;

namespace {

struct RecordingListener : ConsoleListener {
    std::mutex mutex;
    std::vector<std::string> titles;
    std::vector<FontSpec> fonts;
    std::atomic<int> screenChanges{0};
    void screenChanged() override { ++screenChanges; }
    void titleChanged(const std::string& t) override
    {
        std::lock_guard lock(mutex);
        titles.push_back(t);
    }
    void displayFontChanged(const FontSpec& f) override
    {
        std::lock_guard lock(mutex);
        fonts.push_back(f);
    }
};

// Position of the first occurrence of text on the screen, as (column, row).
std::pair<int, int> find(const ScreenSnapshot& s, const std::string& text)
{
    for (int r = 0; r < s.height; ++r) {
        const size_t c = rowText(s, r).find(text);
        if (c != std::string::npos)
            return {int(c), r};
    }
    return {-1, -1};
}

}  // namespace

TEST(HostedConsole, StartsEightyByTwentyFiveWithBlankDefaultCells)
{
    HostedConsole console(nullptr, fastOptions());
    const SnapshotPtr s = console.takeSnapshot();
    ASSERT_EQ(s->width, 80);
    ASSERT_EQ(s->height, 25);
    ASSERT_EQ(s->wideCells.size(), 80u * 25u + 1u);
    ASSERT_EQ(s->oemCells.size(), 80u * 25u + 1u);
    EXPECT_EQ(s->wideCells.back(), (ScreenCell{0, 0}));  // the zero-filled spare
    EXPECT_EQ(s->wide(0, 0), (ScreenCell{0x20, 0x07}));
    EXPECT_EQ(s->oem(79, 24), (ScreenCell{0x20, 0x07}));
    EXPECT_FALSE(console.isProgramActive());
    EXPECT_EQ(console.updateCaption(), "Quorvia Pallant");
}

// SGR codes printed by a real printf, and the attribute word each gives.
TEST(HostedConsole, ColoursFromPrintfBecomeConsoleAttributes)
{
    struct Case {
        const char* sgr;
        uint16_t attr;
    };
    const Case cases[] = {
        {"0", 0x07},        {"31", 0x04},       {"32", 0x02},     {"34", 0x01},     {"33", 0x06},
        {"1;31", 0x0C},     {"91", 0x0C},       {"41", 0x47},     {"37;44", 0x17},  {"7", 0x4070},
        {"31;7", 0x4040},     {"1;37;104", 0x9F}, {"38;5;196", 0x0C}, {"48;5;21", 0x97}, {"38;2;0;128;0", 0x02},
    };
    std::string script = "printf '";
    for (const Case& c : cases)
        script += std::string("\\033[") + c.sgr + "mX\\033[0m ";
    script += "END\\n'";
    HostedConsole console(nullptr, fastOptions());
    console.runInConsole("/bin/sh -c \"" + script + "\"");
    const SnapshotPtr s = waitForText(console, "END");
    ASSERT_TRUE(screenContains(*s, "END")) << SnapshotText(*s);
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(s->wide(int(2 * i), 0).ch, 'X');
        EXPECT_EQ(s->wide(int(2 * i), 0).attr, cases[i].attr) << "SGR " << cases[i].sgr;
        EXPECT_EQ(s->wide(int(2 * i) + 1, 0).attr, 0x07) << "after SGR " << cases[i].sgr;
    }
}

TEST(HostedConsole, TallBufferReportsCursorOnRow200)
{
    HostedConsole console(nullptr, fastOptions(80, 300));
    console.runInConsole("/bin/sh -c 'i=0; while [ $i -lt 200 ]; do echo line$i; i=$((i+1)); done'");
    const SnapshotPtr s = waitForScreen(console, [](const ScreenSnapshot& s) { return s.cursorY == 200; });
    EXPECT_EQ(s->height, 300);
    EXPECT_EQ(s->cursorY, 200);
    EXPECT_EQ(s->cursorX, 0);
    EXPECT_EQ(rowText(*s, 199), "line199");
    EXPECT_EQ(console.screenInfo().cursorY, 200);
}

TEST(HostedConsole, AlternateScreenShownWhileActiveThenMainAgain)
{
    HostedConsole console(nullptr, fastOptions());
    console.runInConsole(helper("qp_splitwrite") + " 'main-text\\n' '\\x1b[?1049halt-text' '\\x1b[?1049l'");
    SnapshotPtr s = waitForText(console, "alt-text");
    EXPECT_TRUE(s->alternateScreen);
    EXPECT_FALSE(screenContains(*s, "main-text"));
    s = waitForScreen(console, [](const ScreenSnapshot& s) { return !s.alternateScreen; });
    EXPECT_TRUE(screenContains(*s, "main-text"));
    EXPECT_FALSE(screenContains(*s, "alt-text"));
}

TEST(HostedConsole, ProgramLeavingAlternateScreenOnDoesNotSpoilTheNext)
{
    HostedConsole console(nullptr, fastOptions());
    console.runInConsole("/bin/sh -c \"printf '\\033[?1049h\\033[5;10r\\033[?1hstuck'\"");
    ASSERT_TRUE(waitForExit(console));
    SnapshotPtr s = waitForText(console, "stuck");
    EXPECT_TRUE(s->alternateScreen);  // left as the program left it
    console.runInConsole("/bin/sh -c 'i=0; while [ $i -lt 30 ]; do echo n$i; i=$((i+1)); done'");
    s = waitForText(console, "n29");
    EXPECT_FALSE(s->alternateScreen);
    EXPECT_EQ(rowText(*s, 0), "n6") << SnapshotText(*s);  // the whole screen scrolls: no region left over
    EXPECT_EQ(rowText(*s, 23), "n29");
}

// Sequences with more parameters than the parser keeps, from a real printf: dropped, and
// the console lives on.
TEST(HostedConsole, OverlongParameterListsFromAProgramAreDropped)
{
    HostedConsole console(nullptr, fastOptions());
    // A shell line: the loop runs under /bin/sh.
    console.runInConsole("printf 'a\\033[;;;;;;;;;;;;;;;;;;;;mb\\033[1:2:3:4:5:6:7:8:9:10:11:12:13:14:15:16:17:18;31mc\\033[';"
                         " i=0; while [ $i -lt 500 ]; do printf ';;;;;;;;;;'; i=$((i+1)); done;"
                         " printf 'Hd\\033[32mdone\\n'");
    const SnapshotPtr s = waitForText(console, "done");
    ASSERT_EQ(rowText(*s, 0), "abcddone") << SnapshotText(*s);
    EXPECT_EQ(s->wide(2, 0).attr, 0x07);  // the colour in the cancelled list did not apply
    EXPECT_EQ(s->wide(4, 0).attr, 0x02);
    ASSERT_TRUE(waitForExit(console));
}

// A program in raw mode that asks for status 400 000 times and never reads: about 3 MB of
// answers. The console keeps a bounded queue of them and typed keys still go first.
TEST(HostedConsole, AProgramThatAsksAndNeverReadsCannotGrowTheAnswerQueue)
{
    HostedConsole console(nullptr, fastOptions());
    console.runInConsole(helper("qp_askflood") + " 400000");
    ASSERT_TRUE(screenContains(*waitForText(console, "flooded", std::chrono::seconds(60)), "flooded"));
    ASSERT_TRUE(console.drainOutput(std::chrono::seconds(10)));
    const HostedConsole::InputQueue q = console.inputQueue();
    EXPECT_LE(q.answers, 128u * 1024u);
    EXPECT_GT(q.answersDropped, 0u);
    console.writeBytes("typed");  // queued, not refused
    EXPECT_LE(console.inputQueue().typed, 5u);
}

TEST(HostedConsole, TypedKeysGoAheadOfAnswersTheProgramHasNotRead)
{
    HostedConsole console(nullptr, fastOptions());
    console.runInConsole(helper("qp_askflood") + " 400000 read");
    ASSERT_TRUE(screenContains(*waitForText(console, "flooded", std::chrono::seconds(60)), "flooded"));
    ASSERT_TRUE(console.drainOutput(std::chrono::seconds(10)));
    console.writeBytes("KEYS");
    ASSERT_EQ(kill(console.programPid(), SIGUSR1), 0);  // now it reads
    const SnapshotPtr s = waitForText(console, " bytes");
    const std::string text = SnapshotText(*s);
    const size_t at = text.find("keys after ");
    ASSERT_NE(at, std::string::npos) << text;
    const long before = std::stol(text.substr(at + 11));
    // What the pty itself holds, and at most one answer the writer had begun; not the
    // megabytes of answers asked for.
    EXPECT_LT(before, 192 * 1024) << text;
}

TEST(HostedConsole, TitleShowsInCaptionWhileRunningAndDropsAfterExit)
{
    RecordingListener listener;
    HostedConsole console(&listener, fastOptions());
    console.runInConsole(helper("qp_splitwrite") + " '\\x1b]0;My\\x20Tool\\x07' waiting");
    waitForText(console, "waiting");
    EXPECT_EQ(console.title(), "My Tool");
    EXPECT_EQ(console.updateCaption(), "My Tool ~ Quorvia Pallant");
    ASSERT_TRUE(waitForExit(console));
    EXPECT_EQ(console.updateCaption(), "Quorvia Pallant");
    std::lock_guard lock(listener.mutex);
    EXPECT_NE(std::find(listener.titles.begin(), listener.titles.end(), "My Tool"), listener.titles.end());
}

TEST(HostedConsole, CharacterSplitAcrossTwoWritesArrivesWhole)
{
    HostedConsole console(nullptr, fastOptions());
    // "€" is E2 82 AC, "漢" E6 BC A2: each split across two writes 150 ms apart.
    console.runInConsole(helper("qp_splitwrite") + " 'A\\xe2\\x82' '\\xacB\\xe6' '\\xbc\\xa2C'");
    const SnapshotPtr s = waitForText(console, "C");
    EXPECT_EQ(s->wide(0, 0).ch, 'A');
    EXPECT_EQ(s->wide(1, 0).ch, 0x20AC);
    EXPECT_EQ(s->wide(2, 0).ch, 'B');
    EXPECT_EQ(s->wide(3, 0).ch, 0x6F22);
    EXPECT_TRUE(s->continuesWide(4, 0));  // the second half of the wide character
    EXPECT_EQ(s->wide(5, 0).ch, 'C');
}

TEST(HostedConsole, ClearConsoleScreenKeepsAttributesAndHomesTheCursor)
{
    HostedConsole console(nullptr, fastOptions());
    console.runInConsole("/bin/sh -c \"printf '\\033[3;5H\\033[44;33mcolour\\033[0m'; sleep 30\"");
    SnapshotPtr before = waitForText(console, "colour");
    const auto [col, row] = find(*before, "colour");
    ASSERT_EQ(row, 2);
    ASSERT_EQ(col, 4);
    console.clearConsoleScreen();
    const SnapshotPtr after = console.takeSnapshot();
    for (size_t i = 0; i + 1 < after->wideCells.size(); ++i) {
        EXPECT_EQ(after->wideCells[i].ch, 0x20) << i;
        EXPECT_EQ(after->wideCells[i].attr, before->wideCells[i].attr) << i;
    }
    EXPECT_EQ(after->wide(4, 2).attr, 0x16);
    EXPECT_EQ(after->cursorX, 0);
    EXPECT_EQ(after->cursorY, 0);
    console.writeBytes("");  // the terminal's own cursor moved too: the next output starts at (0, 0)
    console.killProgram();
}

TEST(HostedConsole, ClearedCursorIsWhereTheProgramWritesNext)
{
    HostedConsole console(nullptr, fastOptions());
    console.runInConsole(helper("qp_keyecho"));
    waitForText(console, "ready");
    console.clearConsoleScreen();
    console.writeBytes("z");
    const SnapshotPtr s = waitForText(console, "[7a]");
    EXPECT_EQ(rowText(*s, 0), "[7a]");
    console.killProgram();
}

TEST(HostedConsole, SetConsoleWidthResizesTerminalAndSnapshot)
{
    HostedConsole console(nullptr, fastOptions());
    console.setConsoleWidth(120);
    const SnapshotPtr s = console.takeSnapshot();
    EXPECT_EQ(s->width, 120);
    EXPECT_EQ(s->height, 25);
    EXPECT_EQ(s->wideCells.size(), 120u * 25u + 1u);
    console.runInConsole("/bin/sh -c \"stty size; tput cols\"");
    const SnapshotPtr t = waitForScreen(console, [](const ScreenSnapshot& s) { return rowText(s, 1) == "120"; });
    EXPECT_EQ(rowText(*t, 0), "25 120");
    EXPECT_EQ(rowText(*t, 1), "120");
}

TEST(HostedConsole, RefusedSizesLeaveTheBufferAsItWas)
{
    HostedConsole console(nullptr, fastOptions());
    const std::pair<int, int> refused[] = {{0, 25}, {80, 0}, {-1, 25}, {80, -5}, {100000, 25},
                                           {80, 100000}, {10001, 10}, {5000, 5000}};
    for (auto [c, r] : refused) {
        EXPECT_FALSE(console.setBufferSize(c, r)) << c << "x" << r;
        EXPECT_EQ(console.screenInfo().width, 80);
        EXPECT_EQ(console.screenInfo().height, 25);
    }
    EXPECT_TRUE(console.setBufferSize(10000, 400));
    EXPECT_TRUE(console.setBufferSize(300, 1000));
    EXPECT_EQ(console.takeSnapshot()->height, 1000);
    console.setConsoleWidth(-3);
    EXPECT_EQ(console.screenInfo().width, 300);
}

TEST(HostedConsole, ProgramsSeeXtermAndAnswersToTheirQueries)
{
    HostedConsole console(nullptr, fastOptions());
    // The shell asks for the cursor position and waits for the answer.
    console.runInConsole(
        "/bin/bash -c 'echo term=$TERM; printf \"\\033[3;7H\\033[6n\"; IFS= read -rs -d R ans; printf \"\\033[10;1Hgot%s\" ${ans:1}'");
    const SnapshotPtr s = waitForText(console, "got");
    EXPECT_EQ(rowText(*s, 0), "term=xterm-256color");
    EXPECT_EQ(rowText(*s, 9), "got[3;7");
}

TEST(HostedConsole, SnapshotIsTheSameObjectWhileNothingChanges)
{
    HostedConsole console(nullptr, fastOptions());
    console.runInConsole("/bin/echo still");
    waitForText(console, "still");
    ASSERT_TRUE(waitForExit(console));
    console.drainOutput(1s);
    const SnapshotPtr a = console.takeSnapshot();
    const SnapshotPtr b = console.takeSnapshot();
    EXPECT_EQ(a.get(), b.get());
    console.clearConsoleScreen();
    const SnapshotPtr c = console.takeSnapshot();
    EXPECT_NE(a.get(), c.get());
    EXPECT_GT(c->generation, a->generation);
    EXPECT_TRUE(c->rowChangedSince(*a, 0));
    EXPECT_EQ(a->oem(0, 0).ch, 's');
}

TEST(HostedConsole, OemCellsCarryCodePageBytes)
{
    HostedConsole console(nullptr, fastOptions());
    console.runInConsole(helper("qp_splitwrite") + " '\\xe2\\x94\\x8c\\xc3\\xa9\\xe2\\x82\\xac\\xe2\\x96\\x91'");
    const SnapshotPtr s = waitForScreen(console, [](const ScreenSnapshot& s) { return s.wide(3, 0).ch != 0x20; });
    EXPECT_EQ(s->wide(0, 0).ch, 0x250C);
    EXPECT_EQ(s->oem(0, 0).ch, 0xDA);  // box corner
    EXPECT_EQ(s->oem(1, 0).ch, 0x82);  // e acute
    EXPECT_EQ(s->oem(2, 0).ch, '?');   // no euro sign in 437
    EXPECT_EQ(s->oem(3, 0).ch, 0xB0);  // light shade
    EXPECT_EQ(s->oem(3, 0).attr, s->wide(3, 0).attr);
}
