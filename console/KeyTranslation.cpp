#include "KeyTranslation.h"

#include "text/Utf.h"

#include <array>
#include <string_view>

namespace qp {

namespace {

struct SpecialKey {
    uint16_t vk;
    VTermKey key;
};

// Keys a terminal sends as keys of their own, by virtual-key code.
constexpr std::array<SpecialKey, 14> kSpecialKeys{{
    {0x0D, VTERM_KEY_ENTER},
    {0x09, VTERM_KEY_TAB},
    {0x08, VTERM_KEY_BACKSPACE},
    {0x1B, VTERM_KEY_ESCAPE},
    {0x25, VTERM_KEY_LEFT},
    {0x26, VTERM_KEY_UP},
    {0x27, VTERM_KEY_RIGHT},
    {0x28, VTERM_KEY_DOWN},
    {0x24, VTERM_KEY_HOME},
    {0x23, VTERM_KEY_END},
    {0x21, VTERM_KEY_PAGEUP},
    {0x22, VTERM_KEY_PAGEDOWN},
    {0x2D, VTERM_KEY_INS},
    {0x2E, VTERM_KEY_DEL},
}};
static_assert(kSpecialKeys.size() == 14);

constexpr uint16_t kVkF1 = 0x70;
constexpr uint16_t kVkF12 = 0x7B;
constexpr char32_t kEsc = 0x1B;
constexpr char32_t kUnitSeparator = 0x1F;  // what an xterm sends for Ctrl+/

bool has(VTermModifier mod, VTermModifier bit) { return (mod & bit) != 0; }

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
bool sendLiteralKey(VTerm* vt, VTermKey key, VTermModifier mod)
{
    const auto alt = VTermModifier(mod & VTERM_MOD_ALT);
    switch (key) {
    case VTERM_KEY_TAB:
        vterm_keyboard_key(vt, key, has(mod, VTERM_MOD_SHIFT) ? VTermModifier(VTERM_MOD_SHIFT) : VTERM_MOD_NONE);
        return true;
    case VTERM_KEY_BACKSPACE:
        if (has(mod, VTERM_MOD_CTRL)) {
            vterm_keyboard_unichar(vt, 0x08, alt);
            return true;
        }
        break;
    case VTERM_KEY_ENTER:
    case VTERM_KEY_ESCAPE:
        break;
    default:
        return false;
    }
    vterm_keyboard_key(vt, key, alt);
    return true;
}

}  // namespace

VTermKey TerminalKeyOf(uint16_t vk)
{
    for (const SpecialKey& k : kSpecialKeys)
        if (k.vk == vk)
            return k.key;
    if (vk >= kVkF1 && vk <= kVkF12)
        return VTermKey(VTERM_KEY_FUNCTION(vk - kVkF1 + 1));
    return VTERM_KEY_NONE;
}

VTermModifier TerminalModifiers(uint32_t state)
{
    unsigned mod = VTERM_MOD_NONE;
    if (state & SHIFT_PRESSED)
        mod |= VTERM_MOD_SHIFT;
    if (state & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED))
        mod |= VTERM_MOD_CTRL;
    if (state & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED))
        mod |= VTERM_MOD_ALT;
    return VTermModifier(mod);
}

bool KeyTranslator::translate(VTerm* vt, const KeyEventRecord& record)
{
    if (record.eventType != KEY_EVENT || record.keyDown == 0)
        return false;
    const VTermModifier mod = TerminalModifiers(record.controlKeyState);
    const VTermKey key = TerminalKeyOf(record.virtualKeyCode);
    if (key != VTERM_KEY_NONE) {
        m_pendingHigh = 0;
        if (!sendLiteralKey(vt, key, mod))
            vterm_keyboard_key(vt, key, mod);
        return true;
    }
    char16_t ch = char16_t(record.unicodeChar);
    if (has(mod, VTERM_MOD_CTRL) && !isKeypad(record.virtualKeyCode)) {
        ch = combinationCharacter(record.virtualKeyCode, ch, has(mod, VTERM_MOD_SHIFT));
        if (ch == 0)
            return false;  // Ctrl alone, or with a key that has no character
        m_pendingHigh = 0;
        return sendCharacter(vt, xtermControl(ch), VTermModifier(mod & ~VTERM_MOD_CTRL));
    }
    if (ch == 0)
        return false;  // a modifier alone, Caps Lock and the like
    // A combination's letter carries the key's unshifted character, upper-case; with Alt
    // and without Shift an xterm sends the lower-case letter.
    if (has(mod, VTERM_MOD_ALT) && !has(mod, VTERM_MOD_SHIFT) && ch >= 'A' && ch <= 'Z' && record.virtualKeyCode == ch)
        ch = char16_t(ch - 'A' + 'a');
    return sendCharacter(vt, ch, mod);
}

bool KeyTranslator::sendCharacter(VTerm* vt, char16_t unit, VTermModifier mod)
{
    char32_t cp = unit;
    if (text::isHighSurrogate(unit)) {
        m_pendingHigh = unit;
        return false;
    }
    if (text::isLowSurrogate(unit))
        cp = m_pendingHigh ? text::joinSurrogates(m_pendingHigh, unit) : text::kReplacementCharacter;
    m_pendingHigh = 0;
    if (has(mod, VTERM_MOD_CTRL) && ((cp >= 'a' && cp <= 'z') || (cp >= 'A' && cp <= 'Z')))
        cp &= 0x1F;
    if (has(mod, VTERM_MOD_ALT))
        vterm_keyboard_unichar(vt, kEsc, VTERM_MOD_NONE);
    // Without modifiers libvterm sends the character as UTF-8, control codes as they are.
    vterm_keyboard_unichar(vt, cp, VTERM_MOD_NONE);
    return true;
}

}  // namespace qp
