#pragma once
// The US-English layout as data: one row per key code, and the layout's key names by scan
// code. Used only by KeyboardLayout.cpp.

#include "VirtualKeys.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace qp::us {

inline constexpr int16_t NONE = -1;

struct LayoutKey {
    uint8_t vkey;
    uint8_t scan;       // set-1 make code without the E0 prefix; 0: none of its own
    bool extended;      // the key sends E0 before its code (grey keys, right Ctrl and Alt)
    int16_t normal;     // the character without modifiers, or NONE
    int16_t shifted;    // with Shift
    int16_t ctrl;       // with Ctrl
    int16_t ctrlShift;  // with Ctrl and Shift
    bool capsLock;      // Caps Lock swaps normal and shifted (letters)
};

constexpr LayoutKey letter(char upper, uint8_t scan)
{
    return {uint8_t(upper), scan, false, int16_t(upper + 0x20), int16_t(upper),
            int16_t(upper - 0x40), int16_t(upper - 0x40), true};
}
constexpr LayoutKey printable(uint16_t vkey, uint8_t scan, char normal, char shifted,
                              int16_t ctrl = NONE, int16_t ctrlShift = NONE)
{
    return {uint8_t(vkey), scan, false, int16_t(normal), int16_t(shifted), ctrl, ctrlShift, false};
}
constexpr LayoutKey control(uint16_t vkey, uint8_t scan, int16_t normal, int16_t ctrl)
{
    return {uint8_t(vkey), scan, false, normal, normal, ctrl, NONE, false};
}
constexpr LayoutKey silent(uint16_t vkey, uint8_t scan, bool extended = false)
{
    return {uint8_t(vkey), scan, extended, NONE, NONE, NONE, NONE, false};
}
// Keypad keys that give a character only with Num Lock on (then Shift makes no difference).
constexpr LayoutKey keypad(uint16_t vkey, uint8_t scan, char c, bool extended = false)
{
    return {uint8_t(vkey), scan, extended, int16_t(c), int16_t(c), NONE, NONE, false};
}

// Where two codes share a scan code, the first row wins when a scan code is mapped back to a
// code: the navigation keys come before the keypad digits, Shift before Left Shift.
inline constexpr std::array<LayoutKey, 122> Keys{{
    letter('A', 0x1E), letter('B', 0x30), letter('C', 0x2E), letter('D', 0x20),
    letter('E', 0x12), letter('F', 0x21), letter('G', 0x22), letter('H', 0x23),
    letter('I', 0x17), letter('J', 0x24), letter('K', 0x25), letter('L', 0x26),
    letter('M', 0x32), letter('N', 0x31), letter('O', 0x18), letter('P', 0x19),
    letter('Q', 0x10), letter('R', 0x13), letter('S', 0x1F), letter('T', 0x14),
    letter('U', 0x16), letter('V', 0x2F), letter('W', 0x11), letter('X', 0x2D),
    letter('Y', 0x15), letter('Z', 0x2C),

    printable('1', 0x02, '1', '!'), printable('2', 0x03, '2', '@', NONE, 0x00),
    printable('3', 0x04, '3', '#'), printable('4', 0x05, '4', '$'),
    printable('5', 0x06, '5', '%'), printable('6', 0x07, '6', '^', NONE, 0x1E),
    printable('7', 0x08, '7', '&'), printable('8', 0x09, '8', '*'),
    printable('9', 0x0A, '9', '('), printable('0', 0x0B, '0', ')'),

    printable(VK_OEM_MINUS, 0x0C, '-', '_', NONE, 0x1F),
    printable(VK_OEM_PLUS, 0x0D, '=', '+'),
    printable(VK_OEM_4, 0x1A, '[', '{', 0x1B),
    printable(VK_OEM_6, 0x1B, ']', '}', 0x1D),
    printable(VK_OEM_1, 0x27, ';', ':'),
    printable(VK_OEM_7, 0x28, '\'', '"'),
    printable(VK_OEM_3, 0x29, '`', '~'),
    printable(VK_OEM_5, 0x2B, '\\', '|', 0x1C),
    printable(VK_OEM_COMMA, 0x33, ',', '<'),
    printable(VK_OEM_PERIOD, 0x34, '.', '>'),
    printable(VK_OEM_2, 0x35, '/', '?'),
    printable(VK_OEM_102, 0x56, '\\', '|', 0x1C),
    printable(VK_SPACE, 0x39, ' ', ' ', ' '),

    control(VK_ESCAPE, 0x01, 0x1B, 0x1B),
    control(VK_BACK, 0x0E, 0x08, 0x7F),
    control(VK_TAB, 0x0F, 0x09, NONE),
    control(VK_RETURN, 0x1C, 0x0D, 0x0A),
    {uint8_t(VK_CANCEL), 0x46, true, 0x03, 0x03, 0x03, NONE, false},

    silent(VK_SHIFT, 0x2A), silent(VK_CONTROL, 0x1D), silent(VK_MENU, 0x38),
    silent(VK_LSHIFT, 0x2A), silent(VK_RSHIFT, 0x36),
    silent(VK_LCONTROL, 0x1D), silent(VK_RCONTROL, 0x1D, true),
    silent(VK_LMENU, 0x38), silent(VK_RMENU, 0x38, true),
    silent(VK_LWIN, 0x5B, true), silent(VK_RWIN, 0x5C, true), silent(VK_APPS, 0x5D, true),
    silent(VK_CAPITAL, 0x3A), silent(VK_NUMLOCK, 0x45), silent(VK_SCROLL, 0x46),
    silent(VK_SNAPSHOT, 0x54), silent(VK_PAUSE, 0x00),

    silent(VK_INSERT, 0x52, true), silent(VK_DELETE, 0x53, true),
    silent(VK_HOME, 0x47, true), silent(VK_END, 0x4F, true),
    silent(VK_PRIOR, 0x49, true), silent(VK_NEXT, 0x51, true),
    silent(VK_LEFT, 0x4B, true), silent(VK_UP, 0x48, true),
    silent(VK_RIGHT, 0x4D, true), silent(VK_DOWN, 0x50, true),
    silent(VK_CLEAR, 0x4C),

    keypad(vkNumpad(0), 0x52, '0'), keypad(vkNumpad(1), 0x4F, '1'),
    keypad(vkNumpad(2), 0x50, '2'), keypad(vkNumpad(3), 0x51, '3'),
    keypad(vkNumpad(4), 0x4B, '4'), keypad(vkNumpad(5), 0x4C, '5'),
    keypad(vkNumpad(6), 0x4D, '6'), keypad(vkNumpad(7), 0x47, '7'),
    keypad(vkNumpad(8), 0x48, '8'), keypad(vkNumpad(9), 0x49, '9'),
    keypad(VK_DECIMAL, 0x53, '.'), keypad(VK_MULTIPLY, 0x37, '*'),
    keypad(VK_SUBTRACT, 0x4A, '-'), keypad(VK_ADD, 0x4E, '+'),
    keypad(VK_DIVIDE, 0x35, '/', true), silent(VK_SEPARATOR, 0x00),

    silent(vkFunction(1), 0x3B), silent(vkFunction(2), 0x3C), silent(vkFunction(3), 0x3D),
    silent(vkFunction(4), 0x3E), silent(vkFunction(5), 0x3F), silent(vkFunction(6), 0x40),
    silent(vkFunction(7), 0x41), silent(vkFunction(8), 0x42), silent(vkFunction(9), 0x43),
    silent(vkFunction(10), 0x44), silent(vkFunction(11), 0x57), silent(vkFunction(12), 0x58),
    silent(vkFunction(13), 0x64), silent(vkFunction(14), 0x65), silent(vkFunction(15), 0x66),
    silent(vkFunction(16), 0x67), silent(vkFunction(17), 0x68), silent(vkFunction(18), 0x69),
    silent(vkFunction(19), 0x6A), silent(vkFunction(20), 0x6B), silent(vkFunction(21), 0x6C),
    silent(vkFunction(22), 0x6D), silent(vkFunction(23), 0x6E), silent(vkFunction(24), 0x76),
}};

struct KeyName {
    uint8_t scan;
    bool extended;
    std::string_view name;
};

// The names the layout gives. Keys without a row here are named by their unshifted
// character, upper-case ("A", "1", ";").
inline constexpr std::array<KeyName, 59> KeyNames{{
    {0x01, false, "Esc"},        {0x0E, false, "Backspace"},   {0x0F, false, "Tab"},
    {0x1C, false, "Enter"},      {0x1D, false, "Ctrl"},        {0x2A, false, "Shift"},
    {0x36, false, "Right Shift"}, {0x37, false, "Num *"},      {0x38, false, "Alt"},
    {0x39, false, "Space"},      {0x3A, false, "Caps Lock"},   {0x3B, false, "F1"},
    {0x3C, false, "F2"},         {0x3D, false, "F3"},          {0x3E, false, "F4"},
    {0x3F, false, "F5"},         {0x40, false, "F6"},          {0x41, false, "F7"},
    {0x42, false, "F8"},         {0x43, false, "F9"},          {0x44, false, "F10"},
    {0x45, false, "Num Lock"},   {0x46, false, "Scroll Lock"}, {0x47, false, "Num 7"},
    {0x48, false, "Num 8"},      {0x49, false, "Num 9"},       {0x4A, false, "Num -"},
    {0x4B, false, "Num 4"},      {0x4C, false, "Num 5"},       {0x4D, false, "Num 6"},
    {0x4E, false, "Num +"},      {0x4F, false, "Num 1"},       {0x50, false, "Num 2"},
    {0x51, false, "Num 3"},      {0x52, false, "Num 0"},       {0x53, false, "Num Del"},
    {0x54, false, "Sys Req"},    {0x57, false, "F11"},         {0x58, false, "F12"},

    {0x1C, true, "Num Enter"},   {0x1D, true, "Right Ctrl"},   {0x35, true, "Num /"},
    {0x37, true, "Prnt Scrn"},   {0x38, true, "Right Alt"},    {0x45, true, "Pause"},
    {0x46, true, "Break"},       {0x47, true, "Home"},         {0x48, true, "Up"},
    {0x49, true, "Page Up"},     {0x4B, true, "Left"},         {0x4D, true, "Right"},
    {0x4F, true, "End"},         {0x50, true, "Down"},         {0x51, true, "Page Down"},
    {0x52, true, "Insert"},      {0x53, true, "Delete"},       {0x5B, true, "Left Windows"},
    {0x5C, true, "Right Windows"}, {0x5D, true, "Application"},
}};

namespace detail {
constexpr bool codesUnique()
{
    for (size_t i = 0; i < Keys.size(); ++i)
        for (size_t j = i + 1; j < Keys.size(); ++j)
            if (Keys[i].vkey == Keys[j].vkey)
                return false;
    return true;
}
constexpr bool namesFitTheRecorderBuffer()
{
    for (const auto& n : KeyNames)
        if (n.name.empty() || n.name.size() > 19)
            return false;
    return true;
}
constexpr bool navigationBeforeKeypad()
{
    size_t up = 0, numpad8 = 0;
    for (size_t i = 0; i < Keys.size(); ++i) {
        if (Keys[i].vkey == VK_UP) up = i;
        if (Keys[i].vkey == vkNumpad(8)) numpad8 = i;
    }
    return up < numpad8;
}
}  // namespace detail

static_assert(Keys.size() == 122);
static_assert(KeyNames.size() == 59);
static_assert(detail::codesUnique(), "one row per key code");
static_assert(detail::namesFitTheRecorderBuffer(), "the recorder reads names into 20 units");
static_assert(detail::navigationBeforeKeypad());

}  // namespace qp::us
