#include "Utf8.h"

#include <cstdint>

namespace qp {

namespace {

struct LeadByte {
    int length;      // 0: not a lead byte
    char32_t bits;   // the payload bits of the lead byte
    char32_t minimum;  // smallest code point that may use this length
};

LeadByte leadByte(uint8_t b)
{
    if (b < 0x80) return {1, b, 0};
    if ((b & 0xE0) == 0xC0) return {2, char32_t(b & 0x1F), 0x80};
    if ((b & 0xF0) == 0xE0) return {3, char32_t(b & 0x0F), 0x800};
    if ((b & 0xF8) == 0xF0) return {4, char32_t(b & 0x07), 0x10000};
    return {0, 0, 0};
}

}  // namespace

char32_t nextUtf8Character(std::string_view text, size_t& pos)
{
    const LeadByte lead = leadByte(uint8_t(text[pos]));
    if (lead.length == 0 || text.size() - pos < size_t(lead.length)) {
        ++pos;
        return REPLACEMENT_CHARACTER;
    }
    char32_t cp = lead.bits;
    for (int i = 1; i < lead.length; ++i) {
        const uint8_t b = uint8_t(text[pos + size_t(i)]);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return REPLACEMENT_CHARACTER;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < lead.minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return REPLACEMENT_CHARACTER;
    }
    pos += size_t(lead.length);
    return cp;
}

}  // namespace qp
