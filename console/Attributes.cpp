#include "Attributes.h"

namespace qp {

uint8_t NearestConsoleColour(Rgb rgb)
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

ConsolePen::ConsolePen(const VTermState* state)
{
    for (int i = 0; i < 256; ++i) {
        if (i < 16) {
            m_indexed[size_t(i)] = ConsoleIndexFromTerminal(uint8_t(i));
            continue;
        }
        VTermColor c;
        vterm_color_indexed(&c, uint8_t(i));
        vterm_state_convert_color_to_rgb(state, &c);
        m_indexed[size_t(i)] = NearestConsoleColour({c.rgb.red, c.rgb.green, c.rgb.blue});
    }
    reset();
}

void ConsolePen::reset()
{
    m_fg.type = VTERM_COLOR_INDEXED | VTERM_COLOR_DEFAULT_FG;
    m_fg.indexed.idx = 7;
    m_bg.type = VTERM_COLOR_INDEXED | VTERM_COLOR_DEFAULT_BG;
    m_bg.indexed.idx = 0;
    m_bold = false;
    m_reverse = false;
    m_underline = false;
    update();
}

uint8_t ConsolePen::consoleColour(const VTermColor& c, uint8_t defaultIndex) const
{
    if (VTERM_COLOR_IS_DEFAULT_FG(&c) || VTERM_COLOR_IS_DEFAULT_BG(&c))
        return defaultIndex;
    if (VTERM_COLOR_IS_INDEXED(&c))
        return m_indexed[c.indexed.idx];
    return NearestConsoleColour({c.rgb.red, c.rgb.green, c.rgb.blue});
}

void ConsolePen::update()
{
    uint8_t fg = consoleColour(m_fg, 0x07);
    const uint8_t bg = consoleColour(m_bg, 0x00);
    m_eraseAttr = uint16_t(fg | (bg << 4));
    const bool lowFg = VTERM_COLOR_IS_DEFAULT_FG(&m_fg) || (VTERM_COLOR_IS_INDEXED(&m_fg) && m_fg.indexed.idx < 8);
    if (m_bold && lowFg)
        fg |= 0x08;
    m_attr = m_reverse ? uint16_t(bg | (fg << 4) | kAttrReverse) : uint16_t(fg | (bg << 4));
    if (m_underline)
        m_attr |= kAttrUnderline;
}

}  // namespace qp
