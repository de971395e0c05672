#include "Attributes.h"

#include <cstddef>

namespace qp {

namespace {

// The terminal's 256-colour palette beyond the first 16: a cube of six levels a channel
// and a ramp of 24 greys.
using std::size_t;

constexpr std::array<uint8_t, 6> kCubeLevels{0x00, 0x33, 0x66, 0x99, 0xCC, 0xFF};
constexpr std::array<uint8_t, 24> kGreyLevels{0x00, 0x0B, 0x16, 0x21, 0x2C, 0x37, 0x42, 0x4D,
                                              0x58, 0x63, 0x6E, 0x79, 0x85, 0x90, 0x9B, 0xA6,
                                              0xB1, 0xBC, 0xC7, 0xD2, 0xDD, 0xE8, 0xF3, 0xFF};
static_assert(kCubeLevels.size() * kCubeLevels.size() * kCubeLevels.size() + kGreyLevels.size() + 16 == 256);

constexpr uint8_t nearestConsoleColour(Rgb rgb)
{
    uint8_t best = 0;
    int bestDistance = 1 << 30;
    for (uint8_t i = 0; i < kConsolePalette.size(); ++i) {
        const int dr = int(rgb.r) - kConsolePalette[i].r;
        const int dg = int(rgb.g) - kConsolePalette[i].g;
        const int db = int(rgb.b) - kConsolePalette[i].b;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

constexpr Rgb paletteRgb(uint8_t index)
{
    if (index >= 232) {
        const uint8_t v = kGreyLevels[size_t(index - 232)];
        return {v, v, v};
    }
    if (index < 16)
        return kConsolePalette[ConsoleIndexFromTerminal(index)];
    const int i = index - 16;
    return {kCubeLevels[size_t(i / 36)], kCubeLevels[size_t(i / 6 % 6)], kCubeLevels[size_t(i % 6)]};
}

}  // namespace

// Palette index to console colour, worked out by the compiler: the pen looks it up at every
// colour change.
constexpr std::array<uint8_t, 256> attrdetail::kIndexedToConsole = [] {
    std::array<uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[size_t(i)] = i < 16 ? ConsoleIndexFromTerminal(uint8_t(i)) : nearestConsoleColour(paletteRgb(uint8_t(i)));
    return t;
}();

uint8_t NearestConsoleColour(Rgb rgb)
{
    return nearestConsoleColour(rgb);
}

Rgb PaletteRgb(uint8_t index)
{
    return paletteRgb(index);
}

ConsolePen::ConsolePen()
{
    reset();
}

void ConsolePen::reset()
{
    m_fg = TermColor{};
    m_bg = TermColor{};
    m_bold = false;
    m_reverse = false;
    m_underline = false;
    update();
}

void ConsolePen::update()
{
    m_words = wordsFor(m_bold, m_reverse, m_underline, m_fg, m_bg);
}

}  // namespace qp
