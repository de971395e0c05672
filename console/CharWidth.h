#pragma once
// Character widths on the screen, from the Unicode data utf8proc carries: 2 for wide and
// full-width characters (CJK, most emoji), 0 for characters that join the one before them
// (combining and enclosing marks, zero-width format characters), 1 for the rest.

#include <cstdint>

namespace qp {

namespace charwidth {
// The Basic Multilingual Plane's widths, two bits a character, worked out from utf8proc
// once, on first use.
const uint8_t* bmpTable();
// The width of a character beyond the Basic Multilingual Plane (or beyond Unicode).
int beyondBmp(char32_t c);
}  // namespace charwidth

// Asked for every character beyond ASCII the terminal shows, so the common cases are inline:
// below U+0300 every character is one column, the rest of the BMP is a table look-up.
inline int CharWidth(char32_t c)
{
    if (c < 0x300)
        return 1;
    if (c < 0x10000) {
        static const uint8_t* const table = charwidth::bmpTable();
        return (table[c >> 2] >> ((c & 3) * 2)) & 3;
    }
    return charwidth::beyondBmp(c);
}

}  // namespace qp
