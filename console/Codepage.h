#pragma once
// The ANSI code page (the locale's character set, UTF-8 on current systems) and the OEM
// code page (437, or PALLANT_OEMCP), converted with iconv.

#include <array>
#include <cstdint>
#include <string>

namespace qp {

// UTF-16 text from ANSI text; invalid bytes become U+FFFD.
std::u16string AnsiToUtf16(const std::string& ansi);
// Characters the ANSI code page lacks become '?'.
std::string Utf16ToAnsi(const std::u16string& text);
// One UTF-16 code unit to its OEM byte, '?' when the OEM code page has none.
unsigned char Utf16ToOem(char16_t ch);
std::string OemToAnsi(const std::string& oem);
std::string AnsiToOem(const std::string& ansi);
std::string Utf8ToAnsi(const std::string& utf8);
std::string AnsiToUtf8(const std::string& ansi);
// Splits ANSI text into characters (one key each): UTF-8 sequences under a UTF-8 locale,
// single bytes under a single-byte locale. A character outside the BMP comes out as its
// surrogate pair, which the console's input joins again.
std::u16string AnsiCharacters(const std::string& ansi);
bool AnsiIsUtf8();

// The iconv name of the ANSI code page: the locale's character set, with the C/POSIX
// locale's ASCII counted as UTF-8.
std::string AnsiCharset();
// The iconv name of the OEM code page: "CP437", or "CP" + PALLANT_OEMCP when that names
// a code page iconv knows.
std::string OemCharset();

// Converts between any two iconv character sets. Invalid input becomes U+FFFD on the way
// in; characters the target lacks become `replacement`.
std::string ConvertCharset(const std::string& text, const std::string& from, const std::string& to,
                           const std::string& replacement = "?");

// A single-byte code page as a table from UTF-16 to its bytes, built once from iconv's
// decoding of the 256 bytes. Thread-safe after construction.
class OemCodepage {
public:
    explicit OemCodepage(const std::string& charset);
    unsigned char fromUtf16(char16_t ch) const { return m_table[ch]; }
    const std::string& charset() const { return m_charset; }
    // The process-wide OEM code page of OemCharset().
    static const OemCodepage& system();
private:
    std::string m_charset;
    std::array<unsigned char, 65536> m_table{};
};

}  // namespace qp
