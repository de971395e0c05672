#pragma once
// Walking UTF-8 text one character at a time: every key-sending path takes text in the
// ANSI code page, which is UTF-8 here, and sends one key per character.

#include <cstddef>
#include <string_view>

namespace qp {

inline constexpr char32_t REPLACEMENT_CHARACTER = 0xFFFD;

// Decodes the character at text[pos] and moves pos past it. A byte that does not begin a
// well-formed sequence (stray continuation, overlong form, surrogate, beyond U+10FFFF,
// truncated) is one character of its own, U+FFFD. Requires pos < text.size().
char32_t nextUtf8Character(std::string_view text, size_t& pos);

}  // namespace qp
