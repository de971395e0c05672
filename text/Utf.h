#pragma once
// UTF-8, UTF-16 and code points: the one place the project converts between them.
//
// Ill-formed input never fails and never stops a conversion; it becomes U+FFFD:
// - UTF-8: a byte that does not begin a well-formed sequence (a stray continuation byte,
//   C0, C1 or F5-FF, the start of an overlong form, of a surrogate or of a value beyond
//   U+10FFFF, a sequence cut short by a byte that does not continue it or by the end of
//   the text) is one U+FFFD, and decoding goes on at the next byte. Every bad byte is
//   accounted for: "\xE2\x82" at the end of a text is two replacements.
// - UTF-16: a surrogate that is not half of a high-low pair is one U+FFFD.
// - Code points: a surrogate or a value beyond U+10FFFF is U+FFFD.
// So every output is well-formed, and well-formed text round-trips unchanged.

#include <cstddef>
#include <string>
#include <string_view>

namespace qp::text {

inline constexpr char32_t kReplacementCharacter = U'\uFFFD';

constexpr bool isHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
constexpr bool isLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
constexpr bool isSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }
// A code point UTF-8 and UTF-16 can carry: not a surrogate, at most U+10FFFF.
constexpr bool isScalarValue(char32_t c) { return c <= 0x10FFFF && !isSurrogate(c); }
// The code point of a high and a low surrogate.
constexpr char32_t joinSurrogates(char16_t high, char16_t low)
{
    return 0x10000 + ((char32_t(high) - 0xD800) << 10) + (char32_t(low) - 0xDC00);
}

// The length in bytes of the well-formed UTF-8 sequence that starts at text[pos], or 0
// when none starts there (pos at or beyond the end included).
size_t utf8SequenceLength(std::string_view text, size_t pos) noexcept;
// Decodes the character at text[pos] and moves pos past it (past one byte for an
// ill-formed sequence, which gives U+FFFD). Requires pos < text.size().
char32_t decodeUtf8(std::string_view text, size_t& pos) noexcept;
// Decodes the character at text[pos], joining a surrogate pair, and moves pos past it.
// Requires pos < text.size().
char32_t decodeUtf16(std::u16string_view text, size_t& pos) noexcept;

// Writes a code point as UTF-16 (one unit, or a surrogate pair) and returns the units
// written.
size_t encodeUtf16(char32_t c, char16_t (&out)[2]) noexcept;
void appendUtf16(std::u16string& out, char32_t c);
void appendUtf8(std::string& out, char32_t c);

std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);
std::u32string utf16ToUtf32(std::u16string_view text);
std::u16string utf32ToUtf16(std::u32string_view text);

}  // namespace qp::text
