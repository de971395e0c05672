#include "CharWidth.h"

#include <array>
#include <cstdint>
#include <utf8proc.h>

namespace qp {

namespace {

int lookup(char32_t c)
{
    if (c < 0xA0)
        return 1;  // controls never get here; the rest of Latin-1's first half is narrow
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 1;  // shown as U+FFFD
    // The width and the category from one look-up (utf8proc_charwidth and utf8proc_category
    // read the same entry).
    const utf8proc_property_t* property = utf8proc_get_property(utf8proc_int32_t(c));
    const int w = property->charwidth;
    if (w == 0 && property->category == UTF8PROC_CATEGORY_CN)
        return 1;  // unassigned: a character of its own
    return w < 0 ? 1 : w > 2 ? 2 : w;
}

// The Basic Multilingual Plane, two bits a character, built on first use.
struct BmpWidths {
    std::array<uint8_t, 0x10000 / 4> bits{};
    BmpWidths()
    {
        for (char32_t c = 0; c < 0x10000; ++c)
            bits[c >> 2] |= uint8_t(lookup(c) << ((c & 3) * 2));
    }
};

}  // namespace

namespace charwidth {

const uint8_t* bmpTable()
{
    static const BmpWidths table;
    return table.bits.data();
}

int beyondBmp(char32_t c)
{
    return lookup(c);
}

}  // namespace charwidth

}  // namespace qp
