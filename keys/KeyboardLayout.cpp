#include "KeyboardLayout.h"

#include "UsLayout.h"

#include <optional>

namespace qp {

namespace {

using us::Keys;
using us::LayoutKey;
using us::NONE;

constexpr bool isKeypadCode(uint8_t vkey) { return vkey >= VK_NUMPAD0 && vkey <= VK_DIVIDE; }

constexpr std::array<int16_t, 256> rowsByCode()
{
    std::array<int16_t, 256> rows{};
    rows.fill(-1);
    for (size_t i = 0; i < Keys.size(); ++i)
        rows[Keys[i].vkey] = int16_t(i);
    return rows;
}
constexpr auto RowOfCode = rowsByCode();

const LayoutKey* rowOf(uint32_t vkey)
{
    if (vkey > 0xFF || RowOfCode[vkey] < 0)
        return nullptr;
    return &Keys[size_t(RowOfCode[vkey])];
}

// Which key types each ASCII character. Plain characters are preferred to shifted ones,
// shifted to Ctrl; control characters with a key of their own (Tab, Enter, Esc, Backspace)
// are that key rather than Ctrl and a letter. The keypad never counts: "7" is the 7 of the
// main block.
enum class ScanRows : uint8_t { All, NonLetters, Letters };
struct ScanLevel {
    int16_t LayoutKey::*column;
    uint16_t shiftState;
    ScanRows rows;
};
constexpr std::array<ScanLevel, 5> ScanOrder{{
    {&LayoutKey::normal, 0, ScanRows::All},
    {&LayoutKey::shifted, KEYSCAN_SHIFT, ScanRows::All},
    {&LayoutKey::ctrl, KEYSCAN_CTRL, ScanRows::NonLetters},
    {&LayoutKey::ctrlShift, KEYSCAN_CTRL | KEYSCAN_SHIFT, ScanRows::NonLetters},
    {&LayoutKey::ctrl, KEYSCAN_CTRL, ScanRows::Letters},
}};

constexpr bool searched(const LayoutKey& key, ScanRows rows)
{
    if (isKeypadCode(key.vkey))
        return false;
    return rows == ScanRows::All || key.capsLock == (rows == ScanRows::Letters);
}

constexpr uint16_t scanForCharacter(uint8_t c)
{
    for (const auto& level : ScanOrder)
        for (const auto& key : Keys)
            if (searched(key, level.rows) && key.*level.column == c)
                return uint16_t(level.shiftState << 8 | key.vkey);
    return 0xFFFF;
}

constexpr std::array<uint16_t, 128> keyScanTable()
{
    std::array<uint16_t, 128> table{};
    for (int c = 0; c < 128; ++c)
        table[size_t(c)] = scanForCharacter(uint8_t(c));
    return table;
}
constexpr auto KeyScan = keyScanTable();

static_assert(KeyScan['A'] == 0x0141 && KeyScan['a'] == 0x0041 && KeyScan['7'] == 0x0037);
static_assert(KeyScan['*'] == 0x0138 && KeyScan['\\'] == VK_OEM_5 && KeyScan[' '] == VK_SPACE);
static_assert(KeyScan['\r'] == VK_RETURN && KeyScan['\n'] == 0x0200 + VK_RETURN);
static_assert(KeyScan['\t'] == VK_TAB && KeyScan[0x1B] == VK_ESCAPE && KeyScan[0x08] == VK_BACK);
static_assert(KeyScan[0x01] == 0x0241 && KeyScan[0x1A] == 0x025A && KeyScan[0x7F] == 0x0208);
static_assert(KeyScan[0x00] == 0x0332 && KeyScan[0x1F] == 0x0300 + VK_OEM_MINUS);

struct KeypadScan {
    uint8_t scan;
    uint16_t numLockOff;
    uint16_t numLockOn;
};
inline constexpr std::array<KeypadScan, 11> KeypadScans{{
    {0x47, VK_HOME, vkNumpad(7)},  {0x48, VK_UP, vkNumpad(8)},    {0x49, VK_PRIOR, vkNumpad(9)},
    {0x4B, VK_LEFT, vkNumpad(4)},  {0x4C, VK_CLEAR, vkNumpad(5)}, {0x4D, VK_RIGHT, vkNumpad(6)},
    {0x4F, VK_END, vkNumpad(1)},   {0x50, VK_DOWN, vkNumpad(2)},  {0x51, VK_NEXT, vkNumpad(3)},
    {0x52, VK_INSERT, vkNumpad(0)}, {0x53, VK_DELETE, VK_DECIMAL},
}};

std::optional<uint16_t> keypadCode(uint16_t scan, bool numLock)
{
    for (const auto& k : KeypadScans)
        if (k.scan == scan)
            return numLock ? k.numLockOn : k.numLockOff;
    return std::nullopt;
}

const LayoutKey* rowOfScan(uint16_t scan, bool extended)
{
    for (const auto& key : Keys)
        if (key.scan == scan && key.extended == extended && key.scan != 0)
            return &key;
    return nullptr;
}

uint16_t withoutSide(uint16_t vkey)
{
    switch (vkey) {
    case VK_LSHIFT: case VK_RSHIFT: return VK_SHIFT;
    case VK_LCONTROL: case VK_RCONTROL: return VK_CONTROL;
    case VK_LMENU: case VK_RMENU: return VK_MENU;
    default: return vkey;
    }
}

uint16_t withSide(uint16_t vkey, uint16_t scan, bool extended)
{
    switch (vkey) {
    case VK_SHIFT: return scan == 0x36 ? VK_RSHIFT : VK_LSHIFT;
    case VK_CONTROL: return extended ? VK_RCONTROL : VK_LCONTROL;
    case VK_MENU: return extended ? VK_RMENU : VK_LMENU;
    default: return vkey;
    }
}

uint32_t unshiftedCharacter(uint32_t vkey)
{
    const LayoutKey* key = rowOf(vkey);
    if (!key || key->normal == NONE)
        return 0;
    return uint32_t(key->capsLock ? key->shifted : key->normal);
}

}  // namespace

uint16_t vkKeyScan(uint8_t c)
{
    return c < KeyScan.size() ? KeyScan[c] : 0xFFFF;
}

uint32_t oemKeyScan(uint16_t oemChar)
{
    const uint16_t keyScan = oemChar <= 0xFF ? vkKeyScan(uint8_t(oemChar)) : 0xFFFF;
    if (keyScan == 0xFFFF)
        return 0xFFFFFFFF;
    const uint32_t scan = mapVirtualKey(keyScan & 0xFF, MAPVK_VK_TO_VSC);
    if (scan == 0)
        return 0xFFFFFFFF;
    return uint32_t(keyScan >> 8) << 16 | scan;
}

uint16_t scanCodeToVKey(uint16_t scanCode, bool extended, bool numLock)
{
    if (!extended)
        if (auto code = keypadCode(scanCode, numLock))
            return *code;
    const LayoutKey* key = rowOfScan(scanCode, extended);
    if (!key && extended)
        key = rowOfScan(scanCode, false);  // the keypad's Enter is Enter
    return key ? withoutSide(key->vkey) : 0;
}

uint32_t mapVirtualKey(uint32_t code, uint32_t mapType)
{
    switch (mapType) {
    case MAPVK_VK_TO_VSC: {
        const LayoutKey* key = rowOf(code);
        return key ? key->scan : 0;
    }
    case MAPVK_VSC_TO_VK:
        return code > 0xFF ? 0 : scanCodeToVKey(uint16_t(code), false, false);
    case MAPVK_VK_TO_CHAR:
        return unshiftedCharacter(code);
    case MAPVK_VSC_TO_VK_EX: {
        if ((code >> 8) != 0 && (code >> 8) != 0xE0)
            return 0;
        const bool extended = (code >> 8) == 0xE0;
        const uint16_t scan = uint16_t(code & 0xFF);
        return withSide(scanCodeToVKey(scan, extended, false), scan, extended);
    }
    default:
        return 0;
    }
}

}  // namespace qp

namespace qp {

namespace {

bool isDown(const KeyboardState& state, uint16_t a, uint16_t left, uint16_t right)
{
    return ((state[a] | state[left] | state[right]) & 0x80) != 0;
}

int16_t characterFor(const us::LayoutKey& key, const KeyboardState& state)
{
    const bool shift = isDown(state, VK_SHIFT, VK_LSHIFT, VK_RSHIFT);
    const bool ctrl = isDown(state, VK_CONTROL, VK_LCONTROL, VK_RCONTROL);
    const bool alt = isDown(state, VK_MENU, VK_LMENU, VK_RMENU);
    if (ctrl && alt)
        return us::NONE;  // the third level, which this layout does not have
    if (ctrl)
        return shift ? key.ctrlShift : key.ctrl;
    const bool capsLock = key.capsLock && (state[VK_CAPITAL] & 0x01) != 0;
    return shift != capsLock ? key.shifted : key.normal;
}

}  // namespace

int toUnicode(uint16_t vkey, uint16_t scanCode, const KeyboardState& state,
              char16_t* buffer, int size, uint32_t flags)
{
    const us::LayoutKey* key = rowOf(vkey);
    if (!key || !buffer || size <= 0)
        return 0;
    const int16_t c = characterFor(*key, state);
    if (c == us::NONE)
        return 0;
    buffer[0] = char16_t(c);
    if (size > 1)
        buffer[1] = 0;
    return 1;
}

}  // namespace qp
