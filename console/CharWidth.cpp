#include "CharWidth.h"

#include <array>
#include <cstdint>
#include <mutex>
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

}  // namespace

namespace charwidth {

std::atomic<const uint8_t*> pages[0x10000 / kPageChars];

const uint8_t* buildPage(unsigned index)
{
    static std::mutex building;
    static Page built[0x10000 / kPageChars];
    std::lock_guard lock(building);
    if (const uint8_t* page = pages[index].load(std::memory_order_acquire))
        return page;  // another thread built it meanwhile
    Page& widths = built[index];
    const char32_t first = char32_t(index) * kPageChars;
    for (unsigned i = 0; i < unsigned(kPageChars); ++i)
        widths[i] = uint8_t(lookup(first + i));
    pages[index].store(widths, std::memory_order_release);
    return widths;
}

int beyondBmp(char32_t c)
{
    return lookup(c);
}

}  // namespace charwidth

}  // namespace qp
