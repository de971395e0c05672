#pragma once
// The one keyboard layout the system knows: US English on a PC keyboard. It stands in for
// the platform's layout services: which key types a character, each key's set-1 scan code,
// the character a key gives, and the names the layout gives to keys.
//
// Codes follow the platform's conventions, so the results are what a recorder or a sender
// written for that platform expects: scan codes are 8-bit make codes without the E0 prefix,
// and an "extended" flag marks the grey keys that share a code with a keypad key.

#include <array>
#include <cstdint>
#include <string>

namespace qp {

// One byte per virtual-key code: bit 7 set while the key is down, bit 0 the toggle state
// (Caps Lock on, for example).
using KeyboardState = std::array<uint8_t, 256>;

enum MapVirtualKeyType : uint32_t {
    MAPVK_VK_TO_VSC = 0,     // code -> scan code (no extended flag)
    MAPVK_VSC_TO_VK = 1,     // scan code -> code, left and right not told apart
    MAPVK_VK_TO_CHAR = 2,    // code -> unshifted character (letters upper-case), 0 if none
    MAPVK_VSC_TO_VK_EX = 3,  // scan code (0xE0 in the high byte for extended) -> sided code
};

// Shift-state bits in the high byte of vkKeyScan's result and the high word of oemKeyScan's.
inline constexpr uint16_t KEYSCAN_SHIFT = 0x01;
inline constexpr uint16_t KEYSCAN_CTRL = 0x02;

// The key that types the 8-bit character c: the code in the low byte, the shift state
// needed in the high byte; 0xFFFF when no key types it (every byte above 0x7F).
uint16_t vkKeyScan(uint8_t c);

// The scan code (low word) and shift state (high word) of the key that types the OEM byte;
// 0xFFFFFFFF when no key types it.
uint32_t oemKeyScan(uint16_t oemChar);

// The four mappings above; 0 when there is no answer.
uint32_t mapVirtualKey(uint32_t code, uint32_t mapType);

// The code of the key with this scan code, as a key press produces it: the grey keys
// (extended) are always navigation keys, the keypad keys give digits when Num Lock is on.
uint16_t scanCodeToVKey(uint16_t scanCode, bool extended, bool numLock);

// The layout's name for a key. lParam carries the scan code in bits 16-23, the extended
// flag in bit 24 and, in bit 25, "either side will do" (the right-hand Shift, Ctrl and Alt
// then give the plain names). Without the extended flag the grey keys get their keypad
// names ("Num 8" for the up arrow). Empty for unknown scan codes.
std::string keyNameText(uint32_t lParam);

// The same into a buffer of `size` UTF-16 units: at most size - 1 characters and a
// terminating zero; returns the number of characters copied.
int keyNameText(uint32_t lParam, char16_t* buffer, int size);

// The character the key produces with the keyboard state: Shift, Caps Lock (letters only)
// and Ctrl (control characters) apply; Alt alone changes nothing and Ctrl with Alt gives
// nothing (the layout has no third level). Writes at most one character into buffer (when
// size > 0) and returns the count written: 1, or 0 for none. The layout has no dead keys.
int toUnicode(uint16_t vkey, uint16_t scanCode, const KeyboardState& state,
              char16_t* buffer, int size, uint32_t flags);

}  // namespace qp
