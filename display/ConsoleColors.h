#pragma once
// The console's 16 colours: the low 8 bits of a cell's attribute word as 24-bit colours.
// Used by the display widget and by the RTF copy. Pure data, no toolkit.

#include "console/Attributes.h"  // Rgb

#include <array>
#include <cstdint>

namespace qp {

// Indexed by the foreground nibble (attribute bits 0-3). Intensity alone (8) is black.
inline constexpr std::array<Rgb, 16> kForeColors = {{
    {0, 0, 0},       {0, 0, 207},     {0, 207, 0},     {0, 207, 207},
    {207, 0, 0},     {207, 0, 207},   {207, 207, 0},   {207, 207, 207},
    {0, 0, 0},       {0, 0, 255},     {0, 255, 0},     {0, 255, 255},
    {255, 0, 0},     {255, 0, 255},   {255, 255, 0},   {255, 255, 255},
}};

// Indexed by the background nibble (attribute bits 4-7). The dim grey (143, 143, 143) that
// the level rule would give for nibble 7 is lifted to (191, 191, 191).
inline constexpr std::array<Rgb, 16> kBackColors = {{
    {0, 0, 0},       {0, 0, 143},     {0, 143, 0},     {0, 143, 143},
    {143, 0, 0},     {143, 0, 143},   {143, 143, 0},   {191, 191, 191},
    {0, 0, 0},       {0, 0, 255},     {0, 255, 0},     {0, 255, 255},
    {255, 0, 0},     {255, 0, 255},   {255, 255, 0},   {255, 255, 255},
}};

inline constexpr Rgb kSelectionFore{0, 0, 0};
inline constexpr Rgb kSelectionBack{255, 255, 0};
inline constexpr Rgb kCursorColor{255, 255, 0};

constexpr Rgb AttrToForeColor(uint16_t attr) { return kForeColors[attr & 0x0F]; }
constexpr Rgb AttrToBackColor(uint16_t attr) { return kBackColors[(attr >> 4) & 0x0F]; }

namespace detail {
// The rule the tables were written from: each set colour bit (0 blue, 1 green, 2 red)
// gives its component one level, the intensity bit chooses the level.
constexpr Rgb levelColor(unsigned nibble, uint8_t dim)
{
    const uint8_t level = (nibble & 8) ? 255 : dim;
    return Rgb{uint8_t((nibble & 4) ? level : 0), uint8_t((nibble & 2) ? level : 0),
               uint8_t((nibble & 1) ? level : 0)};
}
constexpr bool tablesFollowTheRule()
{
    for (unsigned n = 0; n < 16; ++n) {
        if (kForeColors[n] != levelColor(n, 207))
            return false;
        Rgb back = levelColor(n, 143);
        if (back == Rgb{143, 143, 143})
            back = Rgb{191, 191, 191};
        if (kBackColors[n] != back)
            return false;
    }
    return true;
}
}  // namespace detail

static_assert(detail::tablesFollowTheRule(), "colour tables must follow the level rule");
static_assert(AttrToForeColor(0x1F) == Rgb{255, 255, 255} && AttrToBackColor(0x1F) == Rgb{0, 0, 143});
static_assert(AttrToBackColor(0xFF70) == Rgb{191, 191, 191}, "bits above 7 change nothing");

}  // namespace qp
