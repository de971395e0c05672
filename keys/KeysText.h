#pragma once
// The key-name table that the key notation rests on: names of the keys that have no
// character of their own, and their virtual-key codes. Letters, digits and punctuation have
// no entries; a one-character key is handled by rule in the notation.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qp {

struct KeysTextStr {
    std::string_view Name;
    uint32_t VKey;  // used as a 16-bit value; every code is below 256
};

// The order matters: where several names share a code, the first is the code's canonical
// name ("Esc" before "Escape", "Up" before the keypad's "Num 8").
inline constexpr std::array<KeysTextStr, 41> KeysText{{
    {"Ctrl", 0x11},
    {"Shift", 0x10},
    {"Alt", 0x12},
    {"Esc", 0x1B},
    {"Escape", 0x1B},
    {"Backspace", 0x08},
    {"Tab", 0x09},
    {"Caps", 0x14},
    {"Delete", 0x2E},
    {"Insert", 0x2D},
    {"Home", 0x24},
    {"End", 0x23},
    {"Up", 0x26},
    {"Down", 0x28},
    {"PgUp", 0x21},
    {"PgDn", 0x22},
    {"Left", 0x25},
    {"Right", 0x27},
    // The keypad's names as the layout gives them, each for the navigation key its keypad
    // key produces with Num Lock off. There is no keypad 5, and "Num 8" sits between 4 and 6.
    {"Num Del", 0x2E},
    {"Num 0", 0x2D},
    {"Num 1", 0x23},
    {"Num 2", 0x28},
    {"Num 3", 0x22},
    {"Num 4", 0x25},
    {"Num 8", 0x26},
    {"Num 6", 0x27},
    {"Num 7", 0x24},
    {"Num 9", 0x21},
    {"F1", 0x70},
    {"F2", 0x71},
    {"F3", 0x72},
    {"F4", 0x73},
    {"F5", 0x74},
    {"F6", 0x75},
    {"F7", 0x76},
    {"F8", 0x77},
    {"F9", 0x78},
    {"F10", 0x79},
    {"F11", 0x7A},
    {"F12", 0x7B},
    {"Enter", 0x0D},
}};

namespace detail {
constexpr bool keysTextNamesUnique()
{
    for (size_t i = 0; i < KeysText.size(); ++i)
        for (size_t j = i + 1; j < KeysText.size(); ++j)
            if (KeysText[i].Name == KeysText[j].Name)
                return false;
    return true;
}
constexpr bool keysTextCodesFitAByte()
{
    for (const auto& k : KeysText)
        if (k.VKey == 0 || k.VKey > 0xFF)
            return false;
    return true;
}
}  // namespace detail

static_assert(KeysText.size() == 41);
static_assert(detail::keysTextNamesUnique(), "a name must name one key");
static_assert(detail::keysTextCodesFitAByte(), "0 means \"no such name\"");
static_assert(KeysText[0].Name == "Ctrl" && KeysText[40].Name == "Enter");

// The code of the first entry named exactly `name` (case-sensitive), or 0 when none is.
uint16_t KeyTextToVKey(std::string_view name);

// The first name in table order for the code that `text` names; any other text (not a
// table name, a combination with "+") comes back unchanged.
std::string CanonicalKeyText(std::string_view text);

}  // namespace qp
