// End to end: keys sent through the hosted console reach a real program in the pty as the
// bytes an xterm sends. The helper program `keybytes` reports every byte it reads.

#include "console/HostedConsole.h"
#include "keys/KeyPacer.h"
#include "keys/KeySender.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

using namespace qp;
using namespace std::chrono_literals;

namespace {

const std::string Helper = std::string(QP_TEST_HELPERS_DIR) + "/keybytes";
constexpr const char* Sentinel = "7c ";  // '|', which no key below sends

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = 60s)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool screenShows(HostedConsole& console, const std::string& text)
{
    const SnapshotPtr snap = console.takeSnapshot();
    std::string screen;
    for (const ScreenCell& cell : snap->wideCells)
        screen += cell.ch < 0x80 ? char(cell.ch) : '?';
    return screen.find(text) != std::string::npos;
}

// One console with keybytes running in it; each key is followed by the sentinel, so the
// bytes of one key are whatever arrives before the sentinel.
class KeyBytesSession {
public:
    explicit KeyBytesSession(bool appCursor)
        : m_dir(makeDir()), m_out(m_dir / "bytes"), m_sender(m_console, m_pacer)
    {
        std::string command = "\"" + Helper + "\" \"" + m_out.string() + "\"";
        if (appCursor)
            command += " --app-cursor";
        m_console.runInConsole(command);
        m_ready = waitFor([&] { return std::filesystem::exists(m_out); }) &&
                  waitFor([&] { return screenShows(m_console, "READY"); });
    }
    ~KeyBytesSession()
    {
        m_console.killProgram();
        std::filesystem::remove_all(m_dir);
    }
    bool ready() const { return m_ready; }
    KeySender& sender() { return m_sender; }
    HostedConsole& console() { return m_console; }

    // The bytes (as "xx " hex) that `send` made arrive, or "timeout".
    std::string bytesOf(const std::function<void(KeySender&)>& send)
    {
        send(m_sender);
        m_sender.SendChar('|');
        std::string got = "timeout";
        waitFor([&] {
            const std::string all = readFile(m_out);
            for (size_t pos = m_offset; pos + 3 <= all.size(); pos += 3)
                if (all.compare(pos, 3, Sentinel) == 0) {
                    got = all.substr(m_offset, pos - m_offset);
                    m_offset = pos + 3;
                    return true;
                }
            return false;
        });
        return got;
    }

private:
    static std::filesystem::path makeDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "qp-keybytes-XXXXXX").string();
        if (!mkdtemp(tmpl.data()))
            throw std::runtime_error("mkdtemp failed");
        return tmpl;
    }

    std::filesystem::path m_dir;
    std::filesystem::path m_out;
    HostedConsole m_console;
    KeyPacer m_pacer{0ms};
    KeySender m_sender;
    size_t m_offset = 0;
    bool m_ready = false;
};

struct ByteRow {
    const char* name;
    const char* control;  // control text for putControl
    const char* normal;   // bytes with normal cursor keys
    const char* appCursor;  // bytes in application cursor mode
};

// What xterm sends for each key.
const ByteRow ControlRows[] = {
    {"up", "<Up>", "1b 5b 41 ", "1b 4f 41 "},
    {"keypad8IsUp", "<Num 8>", "1b 5b 41 ", "1b 4f 41 "},
    {"down", "<Down>", "1b 5b 42 ", "1b 4f 42 "},
    {"right", "<Right>", "1b 5b 43 ", "1b 4f 43 "},
    {"left", "<Left>", "1b 5b 44 ", "1b 4f 44 "},
    {"home", "<Home>", "1b 5b 48 ", "1b 4f 48 "},
    {"end", "<End>", "1b 5b 46 ", "1b 4f 46 "},
    {"shiftUp", "<Shift+Num 8>", "1b 5b 31 3b 32 41 ", "1b 5b 31 3b 32 41 "},
    {"ctrlLeft", "<Ctrl+Left>", "1b 5b 31 3b 35 44 ", "1b 5b 31 3b 35 44 "},
    {"altUp", "<Alt+Up>", "1b 5b 31 3b 33 41 ", "1b 5b 31 3b 33 41 "},
    {"pageUp", "<PgUp>", "1b 5b 35 7e ", "1b 5b 35 7e "},
    {"pageDown", "<PgDn>", "1b 5b 36 7e ", "1b 5b 36 7e "},
    {"insert", "<Insert>", "1b 5b 32 7e ", "1b 5b 32 7e "},
    {"delete", "<Delete>", "1b 5b 33 7e ", "1b 5b 33 7e "},
    {"f1", "<F1>", "1b 4f 50 ", "1b 4f 50 "},
    {"lowerPIsF1", "<p>", "1b 4f 50 ", "1b 4f 50 "},
    {"f4", "<F4>", "1b 4f 53 ", "1b 4f 53 "},
    {"shiftF1", "<Shift+F1>", "1b 5b 31 3b 32 50 ", "1b 5b 31 3b 32 50 "},
    {"f5", "<F5>", "1b 5b 31 35 7e ", "1b 5b 31 35 7e "},
    {"ctrlF5", "<Ctrl+F5>", "1b 5b 31 35 3b 35 7e ", "1b 5b 31 35 3b 35 7e "},
    {"f12", "<F12>", "1b 5b 32 34 7e ", "1b 5b 32 34 7e "},
    {"enter", "<Enter>", "0d ", "0d "},
    {"tab", "<Tab>", "09 ", "09 "},
    {"shiftTab", "<Shift+Tab>", "1b 5b 5a ", "1b 5b 5a "},
    {"escape", "<Escape>", "1b ", "1b "},
    {"backspace", "<Backspace>", "7f ", "7f "},
    {"ctrlBackspace", "<Ctrl+Backspace>", "08 ", "08 "},
    {"ctrlEnter", "<Ctrl+Enter>", "0d ", "0d "},
    {"ctrlC", "<Ctrl+C>", "03 ", "03 "},
    {"ctrlZ", "<Ctrl+Z>", "1a ", "1a "},
    {"ctrlBackslash", "<Ctrl+\\>", "1c ", "1c "},
    {"ctrlLowerCIsKeypad3", "<Ctrl+c>", "33 ", "33 "},
    {"altShiftX", "<Alt+Shift+X>", "1b 58 ", "1b 58 "},
    {"altEnter", "<Alt+Enter>", "1b 0d ", "1b 0d "},
    {"shiftAloneSendsNothing", "<Shift>", "", ""},
    {"ctrlAloneSendsNothing", "<Ctrl>", "", ""},
    {"capsSendsNothing", "<Caps>", "", ""},
    {"unknownSendsNothing", "<Caps Lock>", "", ""},
    {"threeKeys", "<Up><Up><Enter>", "1b 5b 41 1b 5b 41 0d ", "1b 4f 41 1b 4f 41 0d "},
    {"strayTextStops", "<Down> <Enter>", "1b 5b 42 ", "1b 4f 42 "},
};

struct TypedRow {
    const char* name;
    const char* text;  // UTF-8, for putKeys
    const char* bytes;
};

const TypedRow TypedRows[] = {
    {"letters", "aZ", "61 5a "},
    {"angleBrackets", "a<b>", "61 3c 62 3e "},
    {"carriageReturnIsEnter", "\r", "0d "},
    {"tab", "\t", "09 "},
    {"controlC", "\x03", "03 "},
    {"eAcute", "\xC3\xA9", "c3 a9 "},
    {"beyondSixteenBits", "\xF0\x9F\x98\x80", "f0 9f 98 80 "},
};

void checkControlRows(bool appCursor)
{
    KeyBytesSession session(appCursor);
    ASSERT_TRUE(session.ready()) << "keybytes did not start";
    for (const ByteRow& row : ControlRows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(session.bytesOf([&](KeySender& s) { s.putControl(row.control); }),
                  appCursor ? row.appCursor : row.normal);
    }
}

}  // namespace

TEST(KeyBytes, CombinationsWithNormalCursorKeys)
{
    checkControlRows(false);
}

TEST(KeyBytes, CombinationsInApplicationCursorMode)
{
    checkControlRows(true);
}

TEST(KeyBytes, TypedText)
{
    KeyBytesSession session(false);
    ASSERT_TRUE(session.ready()) << "keybytes did not start";
    for (const TypedRow& row : TypedRows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(session.bytesOf([&](KeySender& s) { s.putKeys(row.text); }), row.bytes);
    }
}

TEST(KeyBytes, EveryKeyIsLoggedAsOneRecord)
{
    KeyBytesSession session(false);
    ASSERT_TRUE(session.ready());
    const size_t before = session.console().inputLog().size();
    session.sender().putControl("<Up><Shift><Ctrl+C>");
    const auto log = session.console().inputLog();
    ASSERT_EQ(log.size(), before + 3);
    EXPECT_EQ(log[before].virtualKeyCode, 0x26);
    EXPECT_EQ(log[before + 1].controlKeyState, uint32_t(SHIFT_PRESSED));
    EXPECT_EQ(log[before + 2].unicodeChar, 0x03);
}

TEST(KeyBytes, TenPacedKeysTakeNineGaps)
{
    KeyBytesSession session(false);
    ASSERT_TRUE(session.ready());
    session.sender().pacer().setGap(KeyPacer::DefaultGap);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(session.bytesOf([](KeySender& s) { s.putKeys("0123456789"); }),
              "30 31 32 33 34 35 36 37 38 39 ");
    EXPECT_GE(std::chrono::steady_clock::now() - start, 450ms);
}

TEST(KeyBytes, AsXtermSendsThem)
{
    KeyBytesSession session(false);
    ASSERT_TRUE(session.ready());
    // Ctrl with characters, as the X library turns them into bytes for an xterm.
    const ByteRow rows[] = {
        {"altX", "<Alt+X>", "1b 78 ", ""},
        {"ctrlSlash", "<Ctrl+/>", "1f ", ""},
        {"ctrlSpace", "<Ctrl+Space>", "00 ", ""},
        {"spaceAlone", "<Space>", "20 ", ""},
        {"ctrlAt", "<Ctrl+@>", "00 ", ""},
        {"ctrl2", "<Ctrl+2>", "00 ", ""},
        {"ctrlShift2", "<Ctrl+Shift+2>", "00 ", ""},
        {"altCtrlSpace", "<Alt+Ctrl+Space>", "1b 00 ", ""},
        {"ctrl3IsEscape", "<Ctrl+3>", "1b ", ""},
        {"ctrl4", "<Ctrl+4>", "1c ", ""},
        {"ctrl5", "<Ctrl+5>", "1d ", ""},
        {"ctrl6", "<Ctrl+6>", "1e ", ""},
        {"ctrl7", "<Ctrl+7>", "1f ", ""},
        {"ctrl8IsDelete", "<Ctrl+8>", "7f ", ""},
        {"ctrl1StaysADigit", "<Ctrl+1>", "31 ", ""},
        {"ctrlOpenBracket", "<Ctrl+[>", "1b ", ""},
        {"ctrlCloseBracket", "<Ctrl+]>", "1d ", ""},
        {"ctrlCaret", "<Ctrl+^>", "1e ", ""},
        {"ctrlUnderscore", "<Ctrl+_>", "1f ", ""},
        {"ctrlA", "<Ctrl+A>", "01 ", ""},
        {"ctrlShiftA", "<Ctrl+Shift+A>", "01 ", ""},
        {"ctrlAltA", "<Ctrl+Alt+A>", "1b 01 ", ""},
    };
    for (const ByteRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(session.bytesOf([&](KeySender& s) { s.putControl(row.control); }), row.normal);
    }
}
