// Key-event records to terminal bytes: the table an xterm user would recognise, with and
// without application cursor mode, and end to end through the real pty.

#include "ConsoleTestUtil.h"
#include "console/Emulator.h"
#include "console/KeyTranslation.h"

#include <gtest/gtest.h>

using namespace qp;
using namespace qp::test;

namespace {

KeyEventRecord key(uint16_t vk, uint16_t ch, uint32_t state = 0)
{
    KeyEventRecord r;
    r.virtualKeyCode = vk;
    r.unicodeChar = ch;
    r.controlKeyState = state;
    return r;
}

struct KeyCase {
    const char* name;
    KeyEventRecord record;
    std::string normal;       // bytes in normal cursor mode
    std::string application;  // in application cursor mode
};

constexpr uint32_t kShift = SHIFT_PRESSED;
constexpr uint32_t kCtrl = LEFT_CTRL_PRESSED;
constexpr uint32_t kAlt = LEFT_ALT_PRESSED;

const KeyCase kKeyCases[] = {
    {"A", key(0x41, 'A'), "A", "A"},
    {"a", key(0x41, 'a'), "a", "a"},
    {"e acute", key(0xFF, 0xE9), "\xc3\xa9", "\xc3\xa9"},
    {"euro", key(0xFF, 0x20AC), "\xe2\x82\xac", "\xe2\x82\xac"},
    {"Enter", key(0x0D, 0x0D), "\r", "\r"},
    {"Ctrl+Enter carries LF", key(0x0D, 0x0A, kCtrl), "\r", "\r"},
    {"Alt+Enter", key(0x0D, 0x0D, kAlt), "\x1b\r", "\x1b\r"},
    {"LF typed as a character", key(0x0D, 0x0A), "\r", "\r"},
    {"Tab", key(0x09, 0x09), "\t", "\t"},
    {"Shift+Tab", key(0x09, 0x09, kShift), "\x1b[Z", "\x1b[Z"},
    {"Ctrl+Tab", key(0x09, 0x09, kCtrl), "\t", "\t"},
    {"Backspace", key(0x08, 0x08), "\x7f", "\x7f"},
    {"Ctrl+Backspace", key(0x08, 0x08, kCtrl), "\x08", "\x08"},
    {"Alt+Backspace", key(0x08, 0x08, kAlt), "\x1b\x7f", "\x1b\x7f"},
    {"Esc", key(0x1B, 0x1B), "\x1b", "\x1b"},
    {"Up", key(0x26, 0), "\x1b[A", "\x1bOA"},
    {"Down", key(0x28, 0), "\x1b[B", "\x1bOB"},
    {"Right", key(0x27, 0), "\x1b[C", "\x1bOC"},
    {"Left", key(0x25, 0), "\x1b[D", "\x1bOD"},
    {"Shift+Up", key(0x26, 0, kShift), "\x1b[1;2A", "\x1b[1;2A"},
    {"Ctrl+Left", key(0x25, 0, kCtrl), "\x1b[1;5D", "\x1b[1;5D"},
    {"Home", key(0x24, 0), "\x1b[H", "\x1bOH"},
    {"End", key(0x23, 0), "\x1b[F", "\x1bOF"},
    {"PgUp", key(0x21, 0), "\x1b[5~", "\x1b[5~"},
    {"PgDn", key(0x22, 0), "\x1b[6~", "\x1b[6~"},
    {"Insert", key(0x2D, 0), "\x1b[2~", "\x1b[2~"},
    {"Delete", key(0x2E, 0), "\x1b[3~", "\x1b[3~"},
    {"F1", key(0x70, 0), "\x1bOP", "\x1bOP"},
    {"F4", key(0x73, 0), "\x1bOS", "\x1bOS"},
    {"F5", key(0x74, 0), "\x1b[15~", "\x1b[15~"},
    {"Ctrl+F5", key(0x74, 0, kCtrl), "\x1b[15;5~", "\x1b[15;5~"},
    {"F12", key(0x7B, 0), "\x1b[24~", "\x1b[24~"},
    {"Ctrl+C record", key(0x43, 0x03, kCtrl), "\x03", "\x03"},
    {"Ctrl with a letter", key(0x41, 'a', kCtrl), "\x01", "\x01"},
    {"Ctrl+I stays Tab", key(0x49, 'I', kCtrl), "\t", "\t"},
    {"Ctrl+M stays CR", key(0x4D, 'm', kCtrl), "\r", "\r"},
    {"Ctrl+c names keypad 3", key(0x63, '3', kCtrl), "3", "3"},
    {"Ctrl+backslash", key(0xDC, 0x1C, kCtrl), "\x1c", "\x1c"},
    {"Alt+x", key(0x58, 'x', kAlt), "\x1bx", "\x1bx"},
    {"Alt+X as a combination records it", key(0x58, 'X', kAlt), "\x1bx", "\x1bx"},
    {"Alt+Shift+X", key(0x58, 'X', kAlt | kShift), "\x1bX", "\x1bX"},
    {"typed upper-case letter", key(0x41, 'A'), "A", "A"},
    {"Ctrl+/ carries 0", key(0xBF, 0, kCtrl), "\x1f", "\x1f"},
    {"Ctrl+Alt+/", key(0xBF, 0, kCtrl | kAlt), "\x1b\x1f", "\x1b\x1f"},
    {"Alt+e acute", key(0xFF, 0xE9, kAlt), "\x1b\xc3\xa9", "\x1b\xc3\xa9"},
    {"Ctrl+Alt+a", key(0x41, 'a', kCtrl | kAlt), "\x1b\x01", "\x1b\x01"},
    {"Shift+1 typed", key(0x31, '!', kShift), "!", "!"},
    {"'p' names F1", key(0x70, 'p'), "\x1bOP", "\x1bOP"},
    {"Shift alone", key(0x10, 0, kShift), "", ""},
    {"Ctrl alone", key(0x11, 0, kCtrl), "", ""},
    {"Alt alone", key(0x12, 0, kAlt), "", ""},
    {"Caps Lock", key(0x14, 0), "", ""},
    {"right-hand Ctrl", key(0x26, 0, RIGHT_CTRL_PRESSED), "\x1b[1;5A", "\x1b[1;5A"},
    {"right-hand Alt", key(0x41, 'q', RIGHT_ALT_PRESSED), "\x1bq", "\x1bq"},
};

std::string translate(Emulator& emu, KeyTranslator& keys, const KeyEventRecord& r)
{
    keys.translate(emu, r);
    return emu.takeOutput();
}

std::string hex(const std::string& bytes)
{
    std::string out;
    char buf[4];
    for (unsigned char c : bytes) {
        std::snprintf(buf, sizeof buf, out.empty() ? "%02x" : " %02x", c);
        out += buf;
    }
    return "[" + out + "]";
}

}  // namespace

TEST(KeyTranslation, RecordsBecomeXtermBytes)
{
    Emulator emu(80, 25);
    KeyTranslator keys;
    for (const KeyCase& c : kKeyCases)
        EXPECT_EQ(hex(translate(emu, keys, c.record)), hex(c.normal)) << c.name;
    emu.write("\x1b[?1h");  // application cursor mode
    for (const KeyCase& c : kKeyCases)
        EXPECT_EQ(hex(translate(emu, keys, c.record)), hex(c.application)) << c.name << " (application mode)";
}

TEST(KeyTranslation, SurrogatePairsJoinAcrossTwoRecords)
{
    Emulator emu(80, 25);
    KeyTranslator keys;
    EXPECT_EQ(translate(emu, keys, key(0xFF, 0xD83D)), "");
    EXPECT_EQ(translate(emu, keys, key(0xFF, 0xDE00)), "\xf0\x9f\x98\x80");
    EXPECT_EQ(translate(emu, keys, key(0xFF, 0xDE00)), "\xef\xbf\xbd");  // a lone low half
    EXPECT_EQ(translate(emu, keys, key(0xFF, 0xD83D)), "");
    EXPECT_EQ(translate(emu, keys, key(0x26, 0)), "\x1b[A");  // a key drops the waiting half
    EXPECT_EQ(translate(emu, keys, key(0x41, 'a')), "a");
}

TEST(KeyTranslation, KeyUpRecordsSendNothing)
{
    Emulator emu(80, 25);
    KeyTranslator keys;
    KeyEventRecord up = key(0x41, 'a');
    up.keyDown = 0;
    EXPECT_EQ(translate(emu, keys, up), "");
}

// End to end: each record through the real pty to a program that reports its bytes.
TEST(KeyTranslation, BytesReachTheProgramThroughThePty)
{
    for (const bool app : {false, true}) {
        HostedConsole console(nullptr, fastOptions(80, 60));
        console.runInConsole(helper("qp_keyecho") + (app ? " app" : ""));
        ASSERT_TRUE(screenContains(*waitForText(console, "ready"), "ready"));
        int row = 1;
        for (const KeyCase& c : kKeyCases) {
            const std::string expected = app ? c.application : c.normal;
            if (expected.empty() || expected == "\x1b")
                continue;  // nothing to see; a lone ESC may wait for more in the line
            console.writeInput(c.record);
            const SnapshotPtr s = waitForScreen(console, [&](const ScreenSnapshot& s) { return !rowText(s, row).empty(); });
            EXPECT_EQ(rowText(*s, row), hex(expected)) << c.name << (app ? " (application mode)" : "");
            ++row;
            if (row >= 58) {
                console.clearConsoleScreen();
                row = 0;
            }
        }
        EXPECT_GT(console.inputLog().size(), 30u);
        console.killProgram();
    }
}

TEST(KeyTranslation, InputLogIsBoundedAndKeepsTheNewest)
{
    ConsoleOptions options = fastOptions();
    options.inputLogCapacity = 3;
    HostedConsole console(nullptr, options);
    for (uint16_t c = 'a'; c <= 'e'; ++c)
        console.writeInput(key(0x41, c));
    const auto log = console.inputLog();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].unicodeChar, 'c');
    EXPECT_EQ(log[2].unicodeChar, 'e');
    EXPECT_EQ(log[2], key(0x41, 'e'));
}
