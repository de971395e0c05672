#include "Case.h"

#include "Utf.h"

#include <utf8proc.h>

namespace qp::text {

namespace {

template <typename Map>
char16_t unitMapped(char16_t c, Map map) noexcept
{
    if (isSurrogate(c))
        return c;
    const char32_t mapped = map(char32_t(c));
    return mapped <= 0xFFFF ? char16_t(mapped) : c;
}

}  // namespace

char32_t toUpper(char32_t c) noexcept
{
    if (c < 0x80)
        return c >= 'a' && c <= 'z' ? c - 32 : c;
    // utf8proc gives the capital sharp s; Unicode's simple mapping, and VBScript's UCase,
    // leave "ß" as it is.
    if (c == U'\u00DF')
        return c;
    return isScalarValue(c) ? char32_t(utf8proc_toupper(utf8proc_int32_t(c))) : c;
}

char32_t toLower(char32_t c) noexcept
{
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? c + 32 : c;
    return isScalarValue(c) ? char32_t(utf8proc_tolower(utf8proc_int32_t(c))) : c;
}

char32_t foldCase(char32_t c) noexcept
{
    if (c < 0x80 || !isScalarValue(c))
        return toLower(c);
    utf8proc_int32_t folded[4];
    int boundary = 0;
    const utf8proc_ssize_t n =
        utf8proc_decompose_char(utf8proc_int32_t(c), folded, 4, UTF8PROC_CASEFOLD, &boundary);
    return n == 1 ? char32_t(folded[0]) : toLower(c);
}

char16_t toUpper(char16_t c) noexcept { return unitMapped(c, [](char32_t x) { return toUpper(x); }); }
char16_t toLower(char16_t c) noexcept { return unitMapped(c, [](char32_t x) { return toLower(x); }); }
char16_t foldCase(char16_t c) noexcept { return unitMapped(c, [](char32_t x) { return foldCase(x); }); }

bool equalsNoCase(std::u16string_view a, std::u16string_view b) noexcept
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && foldCase(a[i]) != foldCase(b[i]))
            return false;
    return true;
}

}  // namespace qp::text
