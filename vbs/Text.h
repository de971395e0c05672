#pragma once
// Text helpers shared by the engine and its hosts: UTF-8 <-> UTF-16 and VBScript's
// case-insensitive comparison of names and texts.

#include <string>
#include <string_view>

namespace qp::vbs {

// Invalid sequences become U+FFFD.
std::u16string fromUtf8(std::string_view text);
// Unpaired surrogates become U+FFFD.
std::string toUtf8(std::u16string_view text);

// Simple case folding of one UTF-16 code unit (ASCII, Latin-1, Latin Extended-A, Greek,
// Cyrillic), as used by names, vbTextCompare, UCase and LCase.
char16_t foldCase(char16_t c) noexcept;
char16_t toUpper(char16_t c) noexcept;
char16_t toLower(char16_t c) noexcept;

// Names and keywords compare without regard to case.
bool equalsNoCase(std::u16string_view a, std::u16string_view b) noexcept;

}  // namespace qp::vbs
