#include "KeyRecords.h"

#include "KeyNotation.h"
#include "VirtualKeys.h"
#include "text/Utf.h"

namespace qp {

namespace {

constexpr uint32_t CTRL_FLAGS = LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED;

KeyEventRecord keyDown(uint16_t vkey, uint16_t scan, uint16_t c, uint32_t state)
{
    KeyEventRecord r;
    r.virtualKeyCode = vkey;
    r.virtualScanCode = scan;
    r.unicodeChar = c;
    r.controlKeyState = state;
    return r;
}

uint16_t scanOf(uint16_t vkey)
{
    return uint16_t(mapVirtualKey(vkey, MAPVK_VK_TO_VSC));
}

KeyEventRecord characterRecord(char32_t c, uint32_t state)
{
    const uint16_t vkey = CharToVKey(c, state);
    // For ASCII the record carries the key's (translated) character. A character without a
    // key keeps its own value: its low byte replaced by the key's character would be another
    // character altogether.
    const uint16_t ch = c < 0x80 ? VKeyToChar(vkey, state) : uint16_t(c);
    return keyDown(vkey, scanOf(vkey), ch, state);
}

}  // namespace

uint16_t CharToVKey(char32_t c, uint32_t state)
{
    if (c >= 0x80)
        return VK_NONE;
    if (state & CTRL_FLAGS) {
        if (c == '/') return VK_OEM_2;
        if (c == '\\') return VK_OEM_5;
    }
    return uint16_t(c);
}

uint8_t VKeyToChar(uint16_t code, uint32_t state)
{
    const uint8_t c = uint8_t(mapVirtualKey(code, MAPVK_VK_TO_CHAR));
    if (!(state & CTRL_FLAGS))
        return c;
    if (c == '\r') return '\n';
    if (c == '/') return 0;
    if (c >= 0x41 && c <= 0x5F) return uint8_t(c - 0x40);
    return c;
}

CharRecords CharKeyRecords(char32_t c)
{
    CharRecords out;
    if (c < 0x80) {
        const uint16_t vkey = vkKeyScan(uint8_t(c)) & 0xFF;
        const uint16_t scan = uint16_t(oemKeyScan(uint16_t(c)) & 0xFFFF);
        out.records[out.count++] = keyDown(vkey, scan, uint16_t(c), 0);
    } else {
        // Beyond the BMP: one record for each half of the surrogate pair.
        char16_t units[2];
        const size_t written = text::encodeUtf16(c, units);
        for (size_t k = 0; k < written; ++k)
            out.records[out.count++] = keyDown(VK_NONE, 0xFFFF, uint16_t(units[k]), 0);
    }
    return out;
}

std::optional<KeyEventRecord> ComboKeyRecord(std::string_view combination)
{
    const KeyCombo combo = ParseKeyCombo(combination);
    switch (combo.kind) {
    case FinalKeyKind::Character:
        // One record carries 16 bits: a character beyond them is no key of a combination.
        if (combo.character > 0xFFFF)
            return std::nullopt;
        return characterRecord(combo.character, combo.state);
    case FinalKeyKind::VirtualKey:
        return keyDown(combo.vkey, scanOf(combo.vkey), VKeyToChar(combo.vkey, combo.state), combo.state);
    case FinalKeyKind::None:
        break;
    }
    return std::nullopt;
}

int TranslateKey(uint16_t vkey, uint16_t scanCode, const KeyboardState& state,
                 char16_t* buffer, int size, uint32_t flags)
{
    return toUnicode(vkey, scanCode, state, buffer, size, flags);
}

}  // namespace qp
