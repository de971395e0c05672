#pragma once
// Case mapping and case-insensitive comparison, from the Unicode data utf8proc carries.
//
// Everything maps one code point to one code point (the simple mappings), so a text keeps
// its length: "ß" stays "ß" in upper case, and a character whose folding would expand
// ("ß" to "ss") folds to its lower case instead. Values that are no code point (surrogates,
// beyond U+10FFFF) map to themselves.

#include <string_view>

namespace qp::text {

char32_t toUpper(char32_t c) noexcept;
char32_t toLower(char32_t c) noexcept;
// The form two characters share when they differ only in case ("A", "a"; "Σ", "σ", "ς").
char32_t foldCase(char32_t c) noexcept;

// The same for one UTF-16 code unit: a surrogate, or a character whose mapping lies
// outside the Basic Multilingual Plane, stays as it is.
char16_t toUpper(char16_t c) noexcept;
char16_t toLower(char16_t c) noexcept;
char16_t foldCase(char16_t c) noexcept;

// Equal but for case, unit by unit.
bool equalsNoCase(std::u16string_view a, std::u16string_view b) noexcept;

}  // namespace qp::text
