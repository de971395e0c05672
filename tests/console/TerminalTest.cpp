// What our terminal does beyond what the differential test can hold against libvterm: bytes
// cut anywhere (inside characters and sequences), malformed input, bounds on sequences and
// strings, the modes a keyboard or a paste must honour, and the answers to mode requests.

#include "console/KeyTranslation.h"
#include "console/SnapshotBuilder.h"
#include "console/Terminal.h"

#include <gtest/gtest.h>

#include <random>

using namespace qp;

namespace {

std::string row(const Terminal& t, int r) { return SnapshotRowText(*CaptureScreen(t.model()), r); }

std::string screenOf(std::string_view bytes, size_t pieceSize)
{
    Terminal t(40, 5);
    for (size_t at = 0; at < bytes.size(); at += pieceSize)
        t.write(bytes.substr(at, pieceSize));
    std::string out = t.title() + "|";
    for (int r = 0; r < 5; ++r)
        out += row(t, r) + "|";
    const auto s = CaptureScreen(t.model());
    return out + std::to_string(s->cursorX) + "," + std::to_string(s->cursorY) + "," + std::to_string(s->wide(0, 0).attr);
}

}  // namespace

// Whatever the reads' sizes, the screen comes out the same: characters, sequences and
// strings cut at every byte are put back together.
TEST(Terminal, WritesCutAnywhereGiveTheSameScreen)
{
    const std::string input =
        "\x1b]0;caf\xc3\xa9 title\x1b\\\x1b[1;31mred \xe6\x97\xa5\xe6\x9c\xac e\xcc\x81 \xf0\x9f\x98\x80\x1b[0m\r\n"
        "\x1b[2;5H\x1b[38;2;10;200;10mgreen\x1b[m\x1bP$qm\x1b\\\x1b(0lqk\x1b(B\x1b_ignored\x1b\\end";
    const std::string whole = screenOf(input, input.size());
    for (size_t piece : {1, 2, 3, 5, 7})
        EXPECT_EQ(screenOf(input, piece), whole) << "pieces of " << piece;
    EXPECT_NE(whole.find("caf\xc3\xa9 title|"), std::string::npos);
    EXPECT_NE(whole.find("e\xcc\x81"), std::string::npos);
}

TEST(Terminal, MalformedAndHostileInput)
{
    const struct {
        const char* name;
        std::string bytes;
        std::string row0;
    } cases[] = {
        {"stray continuation byte", "a\x80" "b", "a\xef\xbf\xbd" "b"},
        {"lead byte cut short by text", "a\xe6\x97z", "a\xef\xbf\xbdz"},
        {"overlong encoding", "\xc0\xaf!", "\xef\xbf\xbd!"},
        {"encoded surrogate", "\xed\xa0\x80!", "\xef\xbf\xbd!"},
        {"beyond U+10FFFF", "\xf4\x90\x80\x80!", "\xef\xbf\xbd!"},
        {"bytes FE and FF", "\xfe\xff!", "\xef\xbf\xbd\xef\xbf\xbd!"},
        {"encoded C1 control", "x\xc2\x85y", "x\xef\xbf\xbdy"},
        {"seventeen parameters drop the sequence", "a\x1b[1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16;17Hb", "ab"},
        {"huge parameters", "\x1b[99999999999999999999C\x1b[99999999999@x", std::string(39, ' ') + "x"},
        // The last digit takes the value past the largest a parameter can hold: it stays the
        // largest instead of wrapping round to a negative count.
        {"parameter just past the largest", "\x1b[2147483648Cx", std::string(39, ' ') + "x"},
        {"parameter at the largest", "\x1b[2147483646Cx", std::string(39, ' ') + "x"},
        {"CAN aborts a sequence", "a\x1b[3\x18" "1mb", "a1mb"},
        {"ESC inside CSI starts afresh", "a\x1b[3\x1b[Cb", "a b"},
        {"controls inside a sequence act", "ab\x1b[1\r;1Hc", "cb"},
        {"NUL and DEL are ignored", std::string("a\0b\x7f" "c", 5), "abc"},
        {"UK character set", "\x1b(A#\x1b(B#", "\xc2\xa3#"},
        {"single shift", "\x1b*0\x1bNqq", "\xe2\x94\x80q"},
    };
    for (const auto& c : cases) {
        Terminal t(40, 5);
        t.write(c.bytes);
        EXPECT_EQ(row(t, 0), c.row0) << c.name;
    }
}

TEST(Terminal, StringsAreBounded)
{
    Terminal t(40, 5);
    t.write("\x1b]2;" + std::string(100000, 't') + "\x07ok");
    EXPECT_EQ(t.title(), std::string(VtParser::kMaxString - 2, 't'));
    EXPECT_EQ(row(t, 0), "ok");
    t.write("\x1bP" + std::string(100000, 'd') + "\x1b\\" + "\x1b_" + std::string(100000, 'a') + "\x1b\\!");
    EXPECT_EQ(row(t, 0), "ok!");
}

// The modes a keyboard or a paste honours, and DECRQM's answers about them.
TEST(Terminal, ModesAreTrackedAndReported)
{
    Terminal t(80, 25);
    t.write("\x1b[?1h\x1b[?2004h\x1b[?1002h\x1b[?1006h\x1b[20h\x1b=");
    EXPECT_TRUE(t.modes().applicationCursor);
    EXPECT_TRUE(t.modes().bracketedPaste);
    EXPECT_EQ(t.modes().mouse, TerminalModes::Mouse::Drag);
    EXPECT_EQ(t.modes().mouseEncoding, TerminalModes::MouseEncoding::Sgr);
    EXPECT_TRUE(t.modes().newline);
    EXPECT_TRUE(t.modes().applicationKeypad);
    t.write("\x1b[?2004$p\x1b[?1002$p\x1b[?1000$p\x1b[?9999$p");
    EXPECT_EQ(t.takeOutput(), "\x1b[?2004;1$y\x1b[?1002;1$y\x1b[?1000;2$y\x1b[?9999;0$y");
    KeyTranslator keys;
    KeyEventRecord enter;
    enter.eventType = KEY_EVENT;
    enter.keyDown = 1;
    enter.virtualKeyCode = 0x0D;
    enter.unicodeChar = '\r';
    keys.translate(t, enter);
    EXPECT_EQ(t.takeOutput(), "\r\n");  // Enter in newline mode
    t.write("\x1b[?2004;1000l\x1b[20l");
    EXPECT_FALSE(t.modes().bracketedPaste);
    EXPECT_EQ(t.modes().mouse, TerminalModes::Mouse::None);
    t.write("\x1b[?1002h\x1b" "c");  // a reset ends them all
    EXPECT_EQ(t.modes().mouse, TerminalModes::Mouse::None);
    EXPECT_FALSE(t.modes().applicationCursor);
}

TEST(Terminal, SaveRestoreAndSoftReset)
{
    Terminal t(40, 5);
    t.write("\x1b[2;3H\x1b[s\x1b[5;9H\x1b[ux");  // SCOSC and SCORC
    EXPECT_EQ(row(t, 1), "  x");
    t.write("\x1b[1;33;44m\x1b[3;4r\x1b[?7l\x1b[4h\x1b[!p\x1b[5;1H" + std::string(45, 'w'));
    // Pen, margins, autowrap and insert mode are back to their defaults: the line wraps and
    // the whole screen scrolls.
    EXPECT_EQ(CaptureScreen(t.model())->wide(0, 4).attr, 0x07);
    EXPECT_EQ(row(t, 3), std::string(40, 'w'));
    EXPECT_EQ(row(t, 4), std::string(5, 'w'));
}

// Left and right margins that leave no column between them are refused, as top and bottom
// margins are: with origin mode on, the cursor would otherwise go to a left margin at the
// screen's edge, and the next text start beyond the last column.
TEST(Terminal, MarginsWithNoColumnBetweenThemAreRefused)
{
    const struct {
        const char* name;
        const char* margins;
    } cases[] = {
        {"left margin beyond the screen, no right margin", "\x1b[30s"},
        {"left margin just past the last column", "\x1b[21s"},
        {"left margin beyond the right one", "\x1b[10;5s"},
        {"right margin at column 0", "\x1b[3;0s"},
    };
    for (const auto& c : cases) {
        Terminal t(20, 5);
        t.write(std::string("\x1b[?69h\x1b[?6h") + c.margins + "x");
        EXPECT_EQ(row(t, 0), "x") << c.name;
        t.write("\x1bP$qs\x1b\\");
        EXPECT_EQ(t.takeOutput(), "\x1bP1$r1;20s\x1b\\") << c.name;
        t.clearCharacters();
        t.write("y");
        EXPECT_EQ(row(t, 0), "y") << c.name;
    }
}

// Fuzzing in the small: random bytes in random pieces never break the screen's invariants.
TEST(Terminal, RandomBytesKeepTheCursorOnScreen)
{
    std::mt19937 rng(5);
    for (int round = 0; round < 200; ++round) {
        Terminal t(1 + int(rng() % 30), 1 + int(rng() % 10));
        std::string bytes(2000, '\0');
        for (char& c : bytes)
            c = rng() % 4 == 0 ? "\x1b[;?0123456789mHJKr@PLM\r\n"[rng() % 26] : char(rng());
        for (size_t at = 0, n = 0; at < bytes.size(); at += n) {
            n = 1 + rng() % 50;
            t.write(std::string_view(bytes).substr(at, n));
        }
        const auto s = CaptureScreen(t.model());
        ASSERT_TRUE(s->contains(s->cursorX, s->cursorY)) << round;
        t.takeOutput();
    }
}

namespace {

// Everything a write can change on the screen, cell by cell.
std::string stateOf(const Terminal& t)
{
    const ScreenBuffer& b = t.model().active();
    std::string out;
    char part[32];
    for (int r = 0; r < b.rows(); ++r) {
        for (int c = 0; c < b.cols(); ++c) {
            std::snprintf(part, sizeof part, "%x/%x ", b.row(r)[c].ch, b.row(r)[c].attr);
            out += part;
        }
        for (const RowCluster& cluster : b.clusters(r))
            out += "[" + std::to_string(cluster.col) + ":" + std::to_string(cluster.text.size()) + "]";
        out += "v" + std::to_string(b.rowVersion(r)) + "\n";
    }
    return out + "cursor " + std::to_string(t.model().cursorRow()) + "," + std::to_string(t.model().cursorCol());
}

}  // namespace

// Text mixing ASCII with other characters goes over from the parser as one run when the
// characters are whole in a write, and piece by piece when they are cut: a write a byte at a
// time takes the second way, so both must leave the same cells, clusters, row versions,
// cursor and last glyph (which the REP and the mark at the end of each case show).
TEST(Terminal, MixedTextAsOneRunOrInPiecesGivesTheSameScreen)
{
    std::string long_;
    for (int i = 0; i < 300; ++i)
        long_ += i % 7 == 0 ? "\xe2\x94\x80" : i % 5 == 0 ? "\xc3\xa9" : i % 11 == 0 ? "\xe6\x97\xa5" : "x";
    std::string wide;  // a row's worth of wide characters
    for (int i = 0; i < 12; ++i)
        wide += "\xe6\x97\xa5";
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"accents and box drawing wrapping", "caf\xc3\xa9 \xe2\x94\x80\xe2\x94\x80 na\xc3\xafve r\xc3\xa9sum\xc3\xa9 \xc3\x86r\xc3\xb8"},
        {"wide characters inside and at the margin", "ab\xe6\x97\xa5\xe6\x9c\xac" "c\xe6\x97\xa5" "defgh\xe6\x97\xa5\xc3\xa9"},
        {"a mark after a character of the run", "abc\xc3\xa9\xcc\x81" "d e\xcc\x81\xcc\x88" "f"},
        {"malformed, non-characters and surrogates", "a\xc0\xaf" "b\xef\xbf\xbe" "c\xed\xa0\x80" "d\xc2\x85" "e\xe6\x97" "f\x80g"},
        {"four-byte characters between", "a\xf0\x9f\x98\x80" "b\xc3\xa9\xf0\x9f\x98\x80\xc3\xa9"},
        {"graphics character set", "\x1b(0lq\xc3\xa9qk\xe2\x94\x80x\x1b(B lq"},
        {"single shift", "\x1b*0\x1bNq\xc3\xa9q\x1bNx"},
        {"insert mode", "abcdefgh\r\x1b[4h\xc3\xa9z\xe2\x94\x80y\x1b[4l"},
        {"no autowrap", "\x1b[?7l" + long_.substr(0, 60) + "\x1b[?7h"},
        {"pending wrap before the run", "0123456789\xc3\xa9x"},
        {"margins set", "\x1b[?69h\x1b[3;6s\x1b[1;1H" + long_.substr(0, 40)},
        {"scroll region", "\x1b[2;3r\x1b[3;1H" + long_},
        {"coloured", "\x1b[1;31;44m" + long_ + "\x1b[0m"},
        // A run starting on the trailing half of a wide character or ending on a leading
        // half blanks the other half; inside the run nothing is left of them.
        {"runs over halves of wide characters",
         wide + "\x1b[1;2Hab\x1b[1;6Hx\xc3\xa9\x1b[1;9H\xe6\x97\xa5\x1b[2;1H" + wide + "\x1b[2;5H\xe6\x97\xa5q\xe6\x97\xa5"},
        {"wide characters up to the margin", "abcdef\xe6\x97\xa5\xe6\x97\xa5\xe6\x97\xa5\r\nabcdefg\xe6\x97\xa5z" + wide + wide},
        {"clusters the run covers", "ae\xcc\x81i\xcc\x88o\xf0\x9f\x98\x80u\r" "xyz\xc3\xa9\xe2\x94\x80 \r\n\xe6\x97\xa5\xcc\x81" "ab\r\xc3\xa9"},
        {"a line feed at the bottom with a wrap pending", "\x1b[99;1H0123456789\n\xc3\xa9\x1b[20h\nz\x1b[20l\n"},
    };
    for (const auto& c : cases) {
        for (const auto& [cols, rows] : {std::pair{10, 4}, std::pair{1, 1}, std::pair{3, 2}, std::pair{80, 25}}) {
            const std::string bytes = c.bytes + "\x1b[3b\xcc\x81";
            Terminal whole(cols, rows);
            Terminal bytewise(cols, rows);
            whole.write(bytes);
            for (char b : bytes)
                bytewise.write(std::string_view(&b, 1));
            EXPECT_EQ(stateOf(whole), stateOf(bytewise)) << c.name << " at " << cols << "x" << rows;
        }
    }
}

// A CSI sequence whole in one write is read at once (short ones without the parameter loop),
// one cut across writes by the state machine byte by byte: both must give the same cells,
// attribute words, cursor and answers, whatever the sequence's shape.
TEST(Terminal, SequencesWholeOrCutGiveTheSameState)
{
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"no parameter", "ab\x1b[mc\x1b[Kd\x1b[He\x1b[Jf"},
        {"one and two digits", "\x1b[5;5Hab\x1b[2Dc\x1b[42md\x1b[0K\x1b[7me\x1b[2Jf\x1b[1mg"},
        {"three digits and more", "\x1b[100;1Hx\x1b[107my\x1b[1000Cz\x1b[0001;0002H!"},
        {"two and three parameters", "\x1b[3;4Hx\x1b[1;31my\x1b[38;5;196mz\x1b[48;2;1;2;3mw\x1b[0m"},
        {"cursor positions on the screen, at its edges and beyond",
         "\x1b[0;0Hx\x1b[4;10Hy\x1b[5;11Hz\x1b[;3Hw\x1b[2Hv\x1b[4;1Hu\x1b[1;10Ht\x1b[999H"},
        {"sixteen parameters, three digits, leading zeros",
         "\x1b[1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16Hx\x1b[999;999Hy\x1b[038;005;099mz\x1b[0999;1000Hw"},
        {"leaders and intermediates", "\x1b[?25l\x1b[?7lab\x1b[>c\x1b[6n\x1b[1 q\x1b[?25h\x1b[?2004$p"},
        {"missing and empty parameters", "\x1b[;5Hx\x1b[;mx\x1b[5;Hx\x1b[;;m"},
        {"sub-parameters", "\x1b[4:3mx\x1b[38:5:10my\x1b[4:mz"},
        {"parameters at their largest", "\x1b[2147483646Cx\x1b[2147483647Dy\x1b[99999999999Bz"},
        {"malformed", "\x1b[1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16;17mx\x1b[1\x7f" "2Cy\x1b[1$$mz\x1b[??5n"},
        {"controls inside", "ab\x1b[1\r;1Hc\x1b[3\n1md"},
    };
    for (const auto& c : cases) {
        for (const auto& [cols, rows] : {std::pair{10, 4}, std::pair{1, 1}, std::pair{80, 25}}) {
            Terminal whole(cols, rows);
            Terminal bytewise(cols, rows);
            whole.write(c.bytes);
            for (char b : c.bytes)
                bytewise.write(std::string_view(&b, 1));
            EXPECT_EQ(stateOf(whole), stateOf(bytewise)) << c.name << " at " << cols << "x" << rows;
            EXPECT_EQ(whole.takeOutput(), bytewise.takeOutput()) << c.name;
            EXPECT_EQ(whole.penAttribute(), bytewise.penAttribute()) << c.name;
        }
    }
}

// SGR lists are taken a parameter at a time, the colours of 38 and 48 eating what they
// need: the pen's attribute word and its report (DECRQSS) after each list, whether the list
// came whole in one write or a byte at a time.
TEST(Terminal, RenditionListsSetThePenParameterByParameter)
{
    const struct {
        const char* name;
        std::string bytes;
        int attribute;  // -1: not checked (a 256-colour's nearest console colour)
        const char* report;
    } cases[] = {
        {"bold red", "\x1b[1;31m", 0x0C, "1;31"},
        {"order does not matter", "\x1b[31;1;4m", 0x800C, "1;4;31"},
        {"palette 8-15 and 0-7 by index", "\x1b[38;5;9;48;5;4m", 0x1C, "91;44"},
        {"bold brightens a low palette index", "\x1b[1;38;5;3m", 0x0E, "1;33"},
        {"bold leaves an RGB colour", "\x1b[1;38;2;255;0;0m", 0x0C, "1;38:2:255:0:0"},
        {"reverse swaps the colours", "\x1b[7;32;41m", 0x4024, "7;32;41"},
        {"a colour without its index", "\x1b[31;38;5m", 0x04, "31"},
        {"an RGB colour one short", "\x1b[31;38;2;1;2m", 0x04, "31"},
        {"an RGB colour then more", "\x1b[38;2;1;2;3;4m", 0x8000, "4;38:2:1:2:3"},
        {"an unknown colour mode skips itself", "\x1b[38;7;31m", 0x04, "31"},
        {"an empty index is taken", "\x1b[48;5;;1m", 0x0F, "1"},
        {"an empty parameter resets", "\x1b[1;;31m", 0x04, "31"},
        {"an index beyond the palette wraps", "\x1b[38;5;300m", -1, "38:5:44"},
        {"a 256-colour background alone", "\x1b[48;5;1m", 0x47, "41"},
        {"a 256-colour alone without its index", "\x1b[31m\x1b[38;5;m", 0x04, "31"},
        {"a 256-colour alone, then its mode again", "\x1b[38;5;17;5m", -1, "5;38:5:17"},
        {"sixteen parameters", "\x1b[1;2;3;4;5;7;9;21;22;23;24;25;27;29;31;42m", 0x24, "31;42"},
        {"seventeen are dropped", "\x1b[32m\x1b[1;2;3;4;5;7;9;21;22;23;24;25;27;29;31;42;0m", 0x02, "32"},
        {"one turned off", "\x1b[0;1m\x1b[22m", 0x07, ""},
        {"saved and restored with the cursor", "\x1b[1;35m\x1b" "7\x1b[0;44m\x1b" "8", 0x0D, "1;35"},
        {"sub-parameters", "\x1b[4:3;38:5:2;1m", 0x800A, "1;4:3;32"},
    };
    for (const auto& c : cases) {
        Terminal whole(20, 3);
        Terminal bytewise(20, 3);
        const std::string bytes = c.bytes + "x\x1bP$qm\x1b\\";
        whole.write(bytes);
        for (char b : bytes)
            bytewise.write(std::string_view(&b, 1));
        if (c.attribute >= 0) {
            EXPECT_EQ(whole.penAttribute(), c.attribute) << c.name;
        }
        EXPECT_EQ(whole.penAttribute(), whole.model().active().row(0)[0].attr) << c.name;
        EXPECT_EQ(whole.penAttribute(), bytewise.penAttribute()) << c.name;
        const std::string answer = whole.takeOutput();
        EXPECT_EQ(answer, std::string("\x1bP1$r") + c.report + "m\x1b\\") << c.name;
        EXPECT_EQ(bytewise.takeOutput(), answer) << c.name;
    }
}

// In origin mode the cursor may stand outside the margins (restored there by DECRC): every
// known CSI, even one that does not move the cursor, brings it inside them. Outside origin
// mode they leave it where it is.
TEST(Terminal, SequencesThatDoNotMoveTheCursorBringItInsideTheMargins)
{
    const struct {
        const char* name;
        const char* sequence;
    } cases[] = {
        {"default rendition", "\x1b[m"},
        {"one rendition", "\x1b[1m"},
        {"a list of renditions", "\x1b[1;31m"},
        {"a 256-colour", "\x1b[38;5;100m"},
        {"sub-parameters", "\x1b[4:3m"},
        {"erase in line", "\x1b[K"},
        {"erase in display", "\x1b[J"},
    };
    for (const auto& c : cases) {
        for (bool origin : {true, false}) {
            Terminal t(10, 10);
            t.write(std::string("\x1b[2;2H\x1b" "7\x1b[5;8r") + (origin ? "\x1b[?6h" : "") + "\x1b" "8");
            ASSERT_EQ(t.model().cursorRow(), 1) << c.name;
            t.write(c.sequence);
            EXPECT_EQ(t.model().cursorRow(), origin ? 4 : 1) << c.name << (origin ? " in origin mode" : "");
            EXPECT_EQ(t.model().cursorCol(), 1) << c.name;
        }
    }
}
