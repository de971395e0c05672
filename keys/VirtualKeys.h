#pragma once
// Virtual-key codes: the key numbers that key-event records, the key-name table and the
// keyboard layout share. Letters and digits are their own upper-case ASCII codes.

#include <cstdint>

namespace qp {

inline constexpr uint16_t VK_CANCEL = 0x03;
inline constexpr uint16_t VK_BACK = 0x08;
inline constexpr uint16_t VK_TAB = 0x09;
inline constexpr uint16_t VK_CLEAR = 0x0C;
inline constexpr uint16_t VK_RETURN = 0x0D;
inline constexpr uint16_t VK_SHIFT = 0x10;
inline constexpr uint16_t VK_CONTROL = 0x11;
inline constexpr uint16_t VK_MENU = 0x12;
inline constexpr uint16_t VK_PAUSE = 0x13;
inline constexpr uint16_t VK_CAPITAL = 0x14;
inline constexpr uint16_t VK_ESCAPE = 0x1B;
inline constexpr uint16_t VK_SPACE = 0x20;
inline constexpr uint16_t VK_PRIOR = 0x21;
inline constexpr uint16_t VK_NEXT = 0x22;
inline constexpr uint16_t VK_END = 0x23;
inline constexpr uint16_t VK_HOME = 0x24;
inline constexpr uint16_t VK_LEFT = 0x25;
inline constexpr uint16_t VK_UP = 0x26;
inline constexpr uint16_t VK_RIGHT = 0x27;
inline constexpr uint16_t VK_DOWN = 0x28;
inline constexpr uint16_t VK_SNAPSHOT = 0x2C;
inline constexpr uint16_t VK_INSERT = 0x2D;
inline constexpr uint16_t VK_DELETE = 0x2E;
inline constexpr uint16_t VK_LWIN = 0x5B;
inline constexpr uint16_t VK_RWIN = 0x5C;
inline constexpr uint16_t VK_APPS = 0x5D;
inline constexpr uint16_t VK_NUMPAD0 = 0x60;  // VK_NUMPAD1 .. VK_NUMPAD9 follow
inline constexpr uint16_t VK_MULTIPLY = 0x6A;
inline constexpr uint16_t VK_ADD = 0x6B;
inline constexpr uint16_t VK_SEPARATOR = 0x6C;
inline constexpr uint16_t VK_SUBTRACT = 0x6D;
inline constexpr uint16_t VK_DECIMAL = 0x6E;
inline constexpr uint16_t VK_DIVIDE = 0x6F;
inline constexpr uint16_t VK_F1 = 0x70;  // VK_F2 .. VK_F24 follow
inline constexpr uint16_t VK_F12 = 0x7B;
inline constexpr uint16_t VK_F24 = 0x87;
inline constexpr uint16_t VK_NUMLOCK = 0x90;
inline constexpr uint16_t VK_SCROLL = 0x91;
inline constexpr uint16_t VK_LSHIFT = 0xA0;
inline constexpr uint16_t VK_RSHIFT = 0xA1;
inline constexpr uint16_t VK_LCONTROL = 0xA2;
inline constexpr uint16_t VK_RCONTROL = 0xA3;
inline constexpr uint16_t VK_LMENU = 0xA4;
inline constexpr uint16_t VK_RMENU = 0xA5;
inline constexpr uint16_t VK_OEM_1 = 0xBA;       // ; :
inline constexpr uint16_t VK_OEM_PLUS = 0xBB;    // = +
inline constexpr uint16_t VK_OEM_COMMA = 0xBC;   // , <
inline constexpr uint16_t VK_OEM_MINUS = 0xBD;   // - _
inline constexpr uint16_t VK_OEM_PERIOD = 0xBE;  // . >
inline constexpr uint16_t VK_OEM_2 = 0xBF;       // / ?
inline constexpr uint16_t VK_OEM_3 = 0xC0;       // ` ~
inline constexpr uint16_t VK_OEM_4 = 0xDB;       // [ {
inline constexpr uint16_t VK_OEM_5 = 0xDC;       // \ |
inline constexpr uint16_t VK_OEM_6 = 0xDD;       // ] }
inline constexpr uint16_t VK_OEM_7 = 0xDE;       // ' "
inline constexpr uint16_t VK_OEM_102 = 0xE2;     // the extra \ | key of 102-key boards

// A character with no key on the layout.
inline constexpr uint16_t VK_NONE = 0xFF;

constexpr uint16_t vkNumpad(int digit) { return uint16_t(VK_NUMPAD0 + digit); }
constexpr uint16_t vkFunction(int n) { return uint16_t(VK_F1 - 1 + n); }  // F1 .. F24

}  // namespace qp
