#pragma once
// Character widths on the screen, from the Unicode data utf8proc carries: 2 for wide and
// full-width characters (CJK, most emoji), 0 for characters that join the one before them
// (combining and enclosing marks, zero-width format characters), 1 for the rest.

#include <atomic>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qp {

namespace charwidth {
// The Basic Multilingual Plane's widths, a byte a character (one load to read), in pages of
// 256 characters worked out from utf8proc on first use: a terminal meets only a few pages,
// and building all 256 at once took as long as parsing a hundred kilobytes of output.
inline constexpr int kPageChars = 256;
using Page = uint8_t[kPageChars];
extern std::atomic<const uint8_t*> pages[0x10000 / kPageChars];
// Builds page `index` (once, whichever thread asks first) and returns it.
const uint8_t* buildPage(unsigned index);
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
        const unsigned index = unsigned(c) / charwidth::kPageChars;
        const uint8_t* page = charwidth::pages[index].load(std::memory_order_acquire);
        if (page == nullptr) [[unlikely]]
            page = charwidth::buildPage(index);
        return page[unsigned(c) % charwidth::kPageChars];
    }
    return charwidth::beyondBmp(c);
}

// How many of the UTF-16 units from `units` are below U+0300, and so one column each (the
// printable ones: controls never get this far): eight a step with SSE2.
inline size_t OneColumnPrefix(const char16_t* units, size_t length)
{
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i below = _mm_set1_epi16(0x2FF);
    const __m128i zero = _mm_setzero_si128();
    for (; i + 8 <= length; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + i));
        // Zero where the unit is at most U+02FF.
        const int wide = _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_subs_epu16(v, below), zero));
        if (wide != 0xFFFF)
            return i + size_t(__builtin_ctz(~unsigned(wide))) / 2;
    }
#endif
    while (i < length && units[i] < 0x300)
        ++i;
    return i;
}

}  // namespace qp
