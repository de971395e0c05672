#pragma once
// The keyboard layout's services as the key forwarding uses them. Every call into the
// layout from the desktop program goes through here.

#include "ShiftState.h"

#include <cstdint>
#include <string>

namespace qp::keybridge {

// The key that types the character on the layout (VkKeyScanA's low byte); 0xFF for none.
uint16_t VKeyForChar(char c);
// The key at a set-1 scan code of the main block.
uint16_t VKeyForScanCode(uint16_t scanCode);
// MapVirtualKeyA(vkey, MAPVK_VK_TO_VSC).
uint16_t ScanCodeForVKey(uint16_t vkey);
// TranslateKey with the keyboard state of the held modifiers: the character the key gives,
// 0 for none.
char16_t TranslateKeyChar(uint16_t vkey, uint16_t scanCode, ShiftState shift);
// GetKeyNameTextW for the scan code in bits 16-23 and no extended bit, at most 19
// characters, as UTF-8.
std::string KeyNameText(uint16_t scanCode);
std::string CanonicalKeyText(const std::string& text);

}  // namespace qp::keybridge
