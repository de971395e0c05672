#include "Utf.h"

#include <cstdint>

namespace qp::text {

namespace {

bool isContinuation(uint8_t b) { return (b & 0xC0) == 0x80; }

// A text decoded character by character, each appended to the result in another form.
template <typename Out, typename In, typename Decode, typename Append>
Out transcode(In text, Decode decode, Append append)
{
    Out out;
    out.reserve(text.size());
    for (size_t pos = 0; pos < text.size();)
        append(out, decode(text, pos));
    return out;
}

}  // namespace

size_t utf8SequenceLength(std::string_view text, size_t pos) noexcept
{
    if (pos >= text.size())
        return 0;
    const auto byte = [&](size_t k) { return uint8_t(text[pos + k]); };
    const uint8_t lead = byte(0);
    if (lead < 0x80)
        return 1;
    // The range of the second byte narrows for the leads whose other values would be
    // overlong (E0, F0), a surrogate (ED) or beyond U+10FFFF (F4).
    size_t length = 0;
    uint8_t low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() - pos < length || byte(1) < low || byte(1) > high)
        return 0;
    for (size_t k = 2; k < length; ++k)
        if (!isContinuation(byte(k)))
            return 0;
    return length;
}

char32_t decodeUtf8(std::string_view text, size_t& pos) noexcept
{
    const size_t length = utf8SequenceLength(text, pos);
    if (length == 0) {
        ++pos;
        return kReplacementCharacter;
    }
    static constexpr uint8_t kLeadBits[5] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t c = uint8_t(text[pos]) & kLeadBits[length];
    for (size_t k = 1; k < length; ++k)
        c = (c << 6) | (uint8_t(text[pos + k]) & 0x3F);
    pos += length;
    return c;
}

char32_t decodeUtf16(std::u16string_view text, size_t& pos) noexcept
{
    const char16_t unit = text[pos++];
    if (!isSurrogate(unit))
        return unit;
    if (isHighSurrogate(unit) && pos < text.size() && isLowSurrogate(text[pos]))
        return joinSurrogates(unit, text[pos++]);
    return kReplacementCharacter;
}

size_t encodeUtf16(char32_t c, char16_t (&out)[2]) noexcept
{
    if (!isScalarValue(c))
        c = kReplacementCharacter;
    if (c < 0x10000) {
        out[0] = char16_t(c);
        return 1;
    }
    c -= 0x10000;
    out[0] = char16_t(0xD800 + (c >> 10));
    out[1] = char16_t(0xDC00 + (c & 0x3FF));
    return 2;
}

void appendUtf16(std::u16string& out, char32_t c)
{
    char16_t units[2];
    out.append(units, encodeUtf16(c, units));
}

void appendUtf8(std::string& out, char32_t c)
{
    if (!isScalarValue(c))
        c = kReplacementCharacter;
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

std::u16string utf8ToUtf16(std::string_view text)
{
    return transcode<std::u16string>(text, decodeUtf8, appendUtf16);
}

std::string utf16ToUtf8(std::u16string_view text)
{
    return transcode<std::string>(text, decodeUtf16, appendUtf8);
}

std::u32string utf16ToUtf32(std::u16string_view text)
{
    return transcode<std::u32string>(text, decodeUtf16, [](std::u32string& out, char32_t c) { out += c; });
}

std::u16string utf32ToUtf16(std::u32string_view text)
{
    return transcode<std::u16string>(text, [](std::u32string_view in, size_t& pos) { return in[pos++]; }, appendUtf16);
}

}  // namespace qp::text
