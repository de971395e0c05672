#pragma once
// The ANSI code page (the locale's character set, UTF-8 on current systems) and the OEM
// code page (437, or PALLANT_OEMCP), converted with iconv.

#include <string>

namespace qp {

// UTF-16 text from ANSI text; invalid bytes become U+FFFD.
std::u16string AnsiToUtf16(const std::string& ansi);
std::string Utf16ToAnsi(const std::u16string& text);
// One UTF-16 code unit to its OEM byte, '?' when the OEM code page has none.
unsigned char Utf16ToOem(char16_t ch);
std::string OemToAnsi(const std::string& oem);
std::string AnsiToOem(const std::string& ansi);
std::string Utf8ToAnsi(const std::string& utf8);
std::string AnsiToUtf8(const std::string& ansi);
// Splits ANSI text into characters (one key each): UTF-8 sequences under a UTF-8 locale,
// single bytes under a single-byte locale.
std::u16string AnsiCharacters(const std::string& ansi);
bool AnsiIsUtf8();

}  // namespace qp
