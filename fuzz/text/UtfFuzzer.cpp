// Decodes arbitrary bytes as UTF-8 and as UTF-16 and checks what the text library promises:
// the result is well-formed, converting it again changes nothing, the character walk
// always advances and agrees with the whole-text conversion, and case folding is stable.

#include "text/Case.h"
#include "text/Utf.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace qp::text;

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

void checkWellFormed(std::u16string_view text)
{
    for (size_t pos = 0; pos < text.size(); ++pos) {
        if (isHighSurrogate(text[pos]))
            check(pos + 1 < text.size() && isLowSurrogate(text[++pos]));
        else
            check(!isLowSurrogate(text[pos]));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::u16string utf16 = utf8ToUtf16(bytes);
    checkWellFormed(utf16);
    const std::string utf8 = utf16ToUtf8(utf16);
    check(utf8ToUtf16(utf8) == utf16);
    check(utf16ToUtf8(utf8ToUtf16(utf8)) == utf8);

    std::u16string walked;
    for (size_t pos = 0; pos < bytes.size();) {
        const size_t before = pos;
        const size_t length = utf8SequenceLength(bytes, pos);
        const char32_t c = decodeUtf8(bytes, pos);
        check(pos == before + (length ? length : 1) && isScalarValue(c));
        appendUtf16(walked, c);
    }
    check(walked == utf16);

    // The same bytes as UTF-16 units, lone surrogates and all.
    std::u16string units;
    for (size_t i = 0; i + 1 < size; i += 2)
        units += char16_t(data[i] | (data[i + 1] << 8));
    const std::u16string repaired = utf32ToUtf16(utf16ToUtf32(units));
    checkWellFormed(repaired);
    check(utf8ToUtf16(utf16ToUtf8(units)) == repaired);
    check(units.size() == repaired.size());  // a lone surrogate is replaced by one unit
    for (char16_t u : units)
        check(foldCase(foldCase(u)) == foldCase(u) && equalsNoCase(std::u16string(1, u), std::u16string(1, u)));
    return 0;
}
