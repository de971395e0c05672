#include "KeyTranslation.h"

#include "text/Utf.h"

#include <array>
#include <string_view>

namespace qp {

namespace {

struct SpecialKey {
    uint16_t vk;
    TermKey key;
};

// Keys a terminal sends as keys of their own, by virtual-key code.
constexpr std::array<SpecialKey, 14> kSpecialKeys{{
    {0x0D, TermKey::Enter},
    {0x09, TermKey::Tab},
    {0x08, TermKey::Backspace},
    {0x1B, TermKey::Escape},
    {0x25, TermKey::Left},
    {0x26, TermKey::Up},
    {0x27, TermKey::Right},
    {0x28, TermKey::Down},
    {0x24, TermKey::Home},
    {0x23, TermKey::End},
    {0x21, TermKey::PageUp},
    {0x22, TermKey::PageDown},
    {0x2D, TermKey::Insert},
    {0x2E, TermKey::Delete},
}};
static_assert(kSpecialKeys.size() == 14);

// How each key is sent: a character of its own, a cursor key (CSI or SS3 and a letter, SS3 in
// application cursor mode), SS3 and a letter, or CSI, a number and "~".
struct KeyCode {
    enum Kind : uint8_t { Literal, Tab, Enter, Ss3, Cursor, CsiNumber } kind;
    char final;
    int number;
};
constexpr std::array<KeyCode, 27> kKeyCodes{{
    {KeyCode::Literal, 0, 0},       // None
    {KeyCode::Enter, '\r', 0},      // Enter
    {KeyCode::Tab, '\t', 0},        // Tab
    {KeyCode::Literal, '\x7f', 0},  // Backspace sends DEL
    {KeyCode::Literal, '\x1b', 0},  // Escape
    {KeyCode::Cursor, 'A', 0},      // Up
    {KeyCode::Cursor, 'B', 0},      // Down
    {KeyCode::Cursor, 'D', 0},      // Left
    {KeyCode::Cursor, 'C', 0},      // Right
    {KeyCode::CsiNumber, '~', 2},   // Insert
    {KeyCode::CsiNumber, '~', 3},   // Delete
    {KeyCode::Cursor, 'H', 0},      // Home
    {KeyCode::Cursor, 'F', 0},      // End
    {KeyCode::CsiNumber, '~', 5},   // PageUp
    {KeyCode::CsiNumber, '~', 6},   // PageDown
    {KeyCode::Ss3, 'P', 0},         // F1-F4
    {KeyCode::Ss3, 'Q', 0},
    {KeyCode::Ss3, 'R', 0},
    {KeyCode::Ss3, 'S', 0},
    {KeyCode::CsiNumber, '~', 15},  // F5-F12
    {KeyCode::CsiNumber, '~', 17},
    {KeyCode::CsiNumber, '~', 18},
    {KeyCode::CsiNumber, '~', 19},
    {KeyCode::CsiNumber, '~', 20},
    {KeyCode::CsiNumber, '~', 21},
    {KeyCode::CsiNumber, '~', 23},
    {KeyCode::CsiNumber, '~', 24},
}};

constexpr uint16_t kVkF1 = 0x70;
constexpr uint16_t kVkF12 = 0x7B;
constexpr char32_t kEsc = 0x1B;
constexpr char32_t kUnitSeparator = 0x1F;  // what an xterm sends for Ctrl+/

bool has(unsigned mod, unsigned bit) { return (mod & bit) != 0; }

// The US layout's characters of the punctuation keys, unshifted and shifted.
struct PunctuationKey {
    uint16_t vk;
    char plain;
    char shifted;
};
constexpr std::array<PunctuationKey, 11> kPunctuationKeys{{
    {0xBA, ';', ':'}, {0xBB, '=', '+'}, {0xBC, ',', '<'}, {0xBD, '-', '_'}, {0xBE, '.', '>'}, {0xBF, '/', '?'},
    {0xC0, '`', '~'}, {0xDB, '[', '{'}, {0xDC, '\\', '|'}, {0xDD, ']', '}'}, {0xDE, '\'', '"'},
}};
constexpr std::string_view kShiftedDigits = ")!@#$%^&*(";

// The character a Ctrl combination stands for: the record's own, or (where the record
// carries 0) its key's; with Shift, the key's shifted character.
char16_t combinationCharacter(uint16_t vk, char16_t ch, bool shift)
{
    for (const PunctuationKey& k : kPunctuationKeys)
        if (k.vk == vk && (ch == 0 || ch == char16_t(k.plain)))
            return char16_t(shift ? k.shifted : k.plain);
    if (vk >= '0' && vk <= '9' && (ch == 0 || ch == vk))
        return shift ? char16_t(kShiftedDigits[vk - '0']) : char16_t(vk);
    if (ch == 0 && (vk == ' ' || (vk >= 0x40 && vk <= 0x5F)))
        return char16_t(vk);  // a character record for "@", "^", "_" and the like
    return ch;
}

// Ctrl with a character as an xterm sends it: Space, "@" to "_", "`" and the letters give
// their control code (so Space and "@" give NUL), "2" NUL, "3" to "7" ESC to US, "8" DEL,
// "/" US; anything else is sent as it is.
char16_t xtermControl(char16_t ch)
{
    if (ch == ' ' || (ch >= '@' && ch < 0x7F))
        return char16_t(ch & 0x1F);
    if (ch == '2')
        return 0;
    if (ch >= '3' && ch <= '7')
        return char16_t(ch - '3' + 0x1B);
    if (ch == '8')
        return 0x7F;
    if (ch == '/')
        return char16_t(kUnitSeparator);
    return ch;
}

constexpr bool isKeypad(uint16_t vk) { return vk >= 0x60 && vk <= 0x6F; }

// Enter, Tab, Backspace and Esc as an xterm sends them: only Alt (an ESC before) and
// Shift+Tab (back-tab) change them; Ctrl+Backspace is BS.
bool literalKey(std::string& out, TermKey key, unsigned mod, const TerminalModes& modes)
{
    const unsigned alt = mod & kModAlt;
    switch (key) {
    case TermKey::Tab:
        out += TerminalKeyBytes(key, has(mod, kModShift) ? kModShift : kModNone, modes);
        return true;
    case TermKey::Backspace:
        if (has(mod, kModCtrl)) {
            out += alt ? "\x1b\x08" : "\x08";
            return true;
        }
        break;
    case TermKey::Enter:
    case TermKey::Escape:
        break;
    default:
        return false;
    }
    out += TerminalKeyBytes(key, alt, modes);
    return true;
}

}  // namespace

std::string TerminalKeyBytes(TermKey key, unsigned mod, const TerminalModes& modes)
{
    const KeyCode k = kKeyCodes[size_t(key)];
    const std::string parameter = std::to_string(mod + 1);
    auto literal = [&] {
        if (has(mod, kModShift | kModCtrl))
            return "\x1b[" + std::to_string(int(k.final)) + ";" + parameter + "u";
        return std::string(has(mod, kModAlt) ? "\x1b" : "") + k.final;
    };
    auto csi = [&] { return mod == 0 ? std::string("\x1b[") + k.final : "\x1b[1;" + parameter + k.final; };
    switch (k.kind) {
    case KeyCode::Literal:
        return key == TermKey::None ? std::string() : literal();
    case KeyCode::Tab:
        if (mod == kModShift)
            return "\x1b[Z";
        if (has(mod, kModShift))
            return "\x1b[1;" + parameter + "Z";
        return literal();
    case KeyCode::Enter:
        return modes.newline ? std::string("\r\n") : literal();
    case KeyCode::Ss3:
        return mod == 0 ? std::string("\x1bO") + k.final : csi();
    case KeyCode::Cursor:
        return mod == 0 && modes.applicationCursor ? std::string("\x1bO") + k.final : csi();
    case KeyCode::CsiNumber:
        return "\x1b[" + std::to_string(k.number) + (mod == 0 ? "" : ";" + parameter) + k.final;
    }
    return {};
}

TermKey TerminalKeyOf(uint16_t vk)
{
    for (const SpecialKey& k : kSpecialKeys)
        if (k.vk == vk)
            return k.key;
    if (vk >= kVkF1 && vk <= kVkF12)
        return TermKey(int(TermKey::F1) + (vk - kVkF1));
    return TermKey::None;
}

unsigned TerminalModifiers(uint32_t state)
{
    unsigned mod = kModNone;
    if (state & SHIFT_PRESSED)
        mod |= kModShift;
    if (state & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED))
        mod |= kModCtrl;
    if (state & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED))
        mod |= kModAlt;
    return mod;
}

bool KeyTranslator::translate(Terminal& terminal, const KeyEventRecord& record)
{
    if (record.eventType != KEY_EVENT || record.keyDown == 0)
        return false;
    const unsigned mod = TerminalModifiers(record.controlKeyState);
    const TermKey key = TerminalKeyOf(record.virtualKeyCode);
    std::string out;
    if (key != TermKey::None) {
        m_pendingHigh = 0;
        if (!literalKey(out, key, mod, terminal.modes()))
            out = TerminalKeyBytes(key, mod, terminal.modes());
        terminal.appendOutput(out);
        return true;
    }
    char16_t ch = char16_t(record.unicodeChar);
    bool sent;
    if (has(mod, kModCtrl) && !isKeypad(record.virtualKeyCode)) {
        ch = combinationCharacter(record.virtualKeyCode, ch, has(mod, kModShift));
        if (ch == 0)
            return false;  // Ctrl alone, or with a key that has no character
        m_pendingHigh = 0;
        sent = sendCharacter(out, xtermControl(ch), mod & ~kModCtrl);
    } else {
        if (ch == 0)
            return false;  // a modifier alone, Caps Lock and the like
        // A combination's letter carries the key's unshifted character, upper-case; with Alt
        // and without Shift an xterm sends the lower-case letter.
        if (has(mod, kModAlt) && !has(mod, kModShift) && ch >= 'A' && ch <= 'Z' && record.virtualKeyCode == ch)
            ch = char16_t(ch - 'A' + 'a');
        sent = sendCharacter(out, ch, mod);
    }
    terminal.appendOutput(out);
    return sent;
}

bool KeyTranslator::sendCharacter(std::string& out, char16_t unit, unsigned mod)
{
    char32_t cp = unit;
    if (text::isHighSurrogate(unit)) {
        m_pendingHigh = unit;
        return false;
    }
    if (text::isLowSurrogate(unit))
        cp = m_pendingHigh ? text::joinSurrogates(m_pendingHigh, unit) : text::kReplacementCharacter;
    m_pendingHigh = 0;
    if (has(mod, kModCtrl) && ((cp >= 'a' && cp <= 'z') || (cp >= 'A' && cp <= 'Z')))
        cp &= 0x1F;
    if (has(mod, kModAlt))
        text::appendUtf8(out, kEsc);
    // The character as UTF-8, control codes as they are.
    text::appendUtf8(out, cp);
    return true;
}

}  // namespace qp
