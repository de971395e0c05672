#pragma once
// The console's key-event input record: what every key sent to the program under test
// becomes, one record per key.

#include <cstdint>

namespace qp {

enum ControlKeyState : uint32_t {
    RIGHT_ALT_PRESSED = 0x01,
    LEFT_ALT_PRESSED = 0x02,
    RIGHT_CTRL_PRESSED = 0x04,
    LEFT_CTRL_PRESSED = 0x08,
    SHIFT_PRESSED = 0x10,
    NUMLOCK_ON = 0x20,
    SCROLLLOCK_ON = 0x40,
    CAPSLOCK_ON = 0x80,
    ENHANCED_KEY = 0x100,
};

inline constexpr uint16_t KEY_EVENT = 1;

struct KeyEventRecord {
    uint16_t eventType = KEY_EVENT;
    int32_t keyDown = -1;  // true, with all 32 bits set
    uint16_t repeatCount = 1;
    uint16_t virtualKeyCode = 0;
    uint16_t virtualScanCode = 0;
    uint16_t unicodeChar = 0;
    uint32_t controlKeyState = 0;
    friend bool operator==(const KeyEventRecord&, const KeyEventRecord&) = default;
};

}  // namespace qp
