#include "KeyBridge.h"

#include "keys/KeyRecords.h"
#include "keys/KeyboardLayout.h"
#include "keys/KeysText.h"
#include "keys/VirtualKeys.h"

#include <QString>

namespace qp::keybridge {

uint16_t VKeyForChar(char c)
{
    const uint16_t scan = vkKeyScan(uint8_t(c));
    return scan == 0xFFFF ? 0xFF : uint16_t(scan & 0xFF);
}

uint16_t VKeyForScanCode(uint16_t scanCode)
{
    return scanCodeToVKey(scanCode, false, false);
}

uint16_t ScanCodeForVKey(uint16_t vkey)
{
    return uint16_t(mapVirtualKey(vkey, MAPVK_VK_TO_VSC));
}

// The keyboard state as the platform keeps it: bit 7 of a key's byte while it is held.
char16_t TranslateKeyChar(uint16_t vkey, uint16_t scanCode, ShiftState shift)
{
    KeyboardState state{};
    auto hold = [&state](uint16_t code) { state[code] |= 0x80; };
    if (shift & ssShift) {
        hold(VK_SHIFT);
        hold(VK_LSHIFT);
    }
    if (shift & ssCtrl) {
        hold(VK_CONTROL);
        hold(VK_LCONTROL);
    }
    if (shift & ssAlt) {
        hold(VK_MENU);
        hold(VK_LMENU);
    }
    char16_t buffer[2] = {0, 0};
    const int n = TranslateKey(vkey, scanCode, state, buffer, 2, 0);
    return n > 0 ? buffer[0] : 0;
}

std::string KeyNameText(uint16_t scanCode)
{
    char16_t buffer[20] = {};
    const int n = keyNameText(uint32_t(scanCode) << 16, buffer, 20);
    return QString::fromUtf16(buffer, n).toStdString();
}

std::string CanonicalKeyText(const std::string& text) { return qp::CanonicalKeyText(text); }

}  // namespace qp::keybridge
