#pragma once
// The console's attribute word from the terminal's pen: default colours are 0x07; palette
// colours 0-7 take the console's bit order (bit 0 blue, bit 2 red, where the terminal's
// index 1 is red and 4 blue); 8-15, and bold with 0-7 or the default foreground, set the
// intensity bit; 256-colour and RGB colours take the nearest of the console's 16; reverse
// video swaps foreground and background. Beside the colours, the word carries the console's
// marks for reverse video (0x4000) and underline (0x8000), which scripts can check.

#include <array>
#include <cstdint>

namespace qp {

inline constexpr uint16_t kAttrReverse = 0x4000;
inline constexpr uint16_t kAttrUnderline = 0x8000;

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
    // 0x00RRGGBB
    constexpr uint32_t packed() const { return (uint32_t(r) << 16) | (uint32_t(g) << 8) | b; }
};

// The console's 16 colours, by console index.
inline constexpr std::array<Rgb, 16> kConsolePalette{{
    {0x00, 0x00, 0x00}, {0x00, 0x00, 0x80}, {0x00, 0x80, 0x00}, {0x00, 0x80, 0x80},
    {0x80, 0x00, 0x00}, {0x80, 0x00, 0x80}, {0x80, 0x80, 0x00}, {0xC0, 0xC0, 0xC0},
    {0x80, 0x80, 0x80}, {0x00, 0x00, 0xFF}, {0x00, 0xFF, 0x00}, {0x00, 0xFF, 0xFF},
    {0xFF, 0x00, 0x00}, {0xFF, 0x00, 0xFF}, {0xFF, 0xFF, 0x00}, {0xFF, 0xFF, 0xFF},
}};
static_assert(kConsolePalette.size() == 16);

// Terminal palette index 0-15 to the console's colour index.
constexpr uint8_t ConsoleIndexFromTerminal(uint8_t index)
{
    const uint8_t base = uint8_t(((index & 1) << 2) | (index & 2) | ((index & 4) >> 2));
    return uint8_t(base | (index & 8));
}

uint8_t NearestConsoleColour(Rgb rgb);

// A colour as the program set it: the default, a palette index (0-255) or RGB.
struct TermColor {
    enum class Kind : uint8_t { Default, Indexed, Rgb };
    Kind kind = Kind::Default;
    uint8_t index = 0;
    Rgb rgb{0, 0, 0};
    static TermColor indexed(uint8_t i) { return {Kind::Indexed, i, {0, 0, 0}}; }
    static TermColor fromRgb(uint8_t r, uint8_t g, uint8_t b) { return {Kind::Rgb, 0, {r, g, b}}; }
    friend bool operator==(const TermColor&, const TermColor&) = default;
};

// The RGB value of a 256-colour palette index: 16-231 the 6x6x6 cube, 232-255 the grey
// ramp (0-15 are the console's own colours and never go through this).
Rgb PaletteRgb(uint8_t index);

namespace attrdetail {
// Palette index to console colour (Attributes.cpp), worked out by the compiler.
extern const std::array<uint8_t, 256> kIndexedToConsole;
}  // namespace attrdetail

// The two attribute words a pen gives.
struct PenWords {
    uint16_t attribute = 0x07;  // written with characters
    uint16_t erase = 0x07;      // taken by erased cells: the colours, without bold or reverse
};

// The pen as the emulator last set it, and the attribute words it gives.
class ConsolePen {
public:
    // The words of a pen, for a caller that keeps the pen's state itself. Reads the colours
    // a field at a time. Inline: the terminal asks at every change of rendition.
    static PenWords wordsFor(bool bold, bool reverse, bool underline, const TermColor& fg, const TermColor& bg)
    {
        return wordsFor(bold, reverse, underline, uint8_t(consoleColour(fg, 0x07) | consoleColour(bg, 0x00) << 4),
                        brightensWithBold(fg));
    }
    // The same from the console colours of the foreground and background (`colours`, the
    // background in the high half), for a caller that works them out once, when a colour
    // is set.
    static PenWords wordsFor(bool bold, bool reverse, bool underline, uint8_t colours, bool brightens)
    {
        PenWords words;
        words.erase = colours;
        const uint8_t shown = uint8_t(colours | (bold && brightens ? 0x08 : 0));
        words.attribute = reverse ? uint16_t(uint8_t(shown << 4 | shown >> 4) | kAttrReverse) : shown;
        if (underline)
            words.attribute |= kAttrUnderline;
        return words;
    }
    // The console colour of a terminal colour: RGB is rare, the rest a look-up.
    static uint8_t consoleColour(const TermColor& c, uint8_t defaultIndex)
    {
        if (c.kind == TermColor::Kind::Rgb) [[unlikely]]
            return NearestConsoleColour(c.rgb);
        return c.kind == TermColor::Kind::Indexed ? attrdetail::kIndexedToConsole[c.index] : defaultIndex;
    }
    // Whether bold brightens a foreground: the default and palette colours 0-7.
    static bool brightensWithBold(const TermColor& fg)
    {
        return fg.kind == TermColor::Kind::Default || (fg.kind == TermColor::Kind::Indexed && fg.index < 8);
    }

    ConsolePen();
    void reset();
    void setBold(bool on) { m_bold = on; update(); }
    void setReverse(bool on) { m_reverse = on; update(); }
    void setUnderline(bool on) { m_underline = on; update(); }
    void setForeground(const TermColor& c) { m_fg = c; update(); }
    void setBackground(const TermColor& c) { m_bg = c; update(); }
    bool bold() const { return m_bold; }
    bool reverse() const { return m_reverse; }
    bool underline() const { return m_underline; }
    const TermColor& foreground() const { return m_fg; }
    const TermColor& background() const { return m_bg; }
    // The word written with characters.
    uint16_t attribute() const { return m_words.attribute; }
    // The word erased cells take: the current colours, without bold or reverse.
    uint16_t eraseAttribute() const { return m_words.erase; }

private:
    void update();

    TermColor m_fg{};
    TermColor m_bg{};
    bool m_bold = false;
    bool m_reverse = false;
    bool m_underline = false;
    PenWords m_words;
};

}  // namespace qp
