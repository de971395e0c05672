#pragma once
// Console profiles: ".vdesk" INI files beside the program they belong to, giving the
// console's size and the display font.

#include <cstdint>
#include <string>
#include <string_view>

namespace qp {

// A font as a plain value; the display turns it into a real font.
struct FontSpec {
    std::string name = "Courier New";
    int size = 8;  // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

class TSpaceParams {
public:
    int32_t Height = 0;
    int32_t Width = 0;
    std::string CommandLine;
    FontSpec Font;
    std::string FileName;

    void ResetProfile();
    // True when the file exists; absent or malformed keys keep the current values. A file
    // that cannot be read, or is larger than kMaxProfileBytes, changes nothing.
    bool LoadProfile(const std::string& path);
    // Reads profile text as LoadProfile reads a file (without touching FileName).
    void LoadProfileText(std::string_view text);
    void ParseFontStyle(const std::string& value);

    static constexpr size_t kMaxProfileBytes = 1 << 20;
    static constexpr size_t kMaxValueLength = 2047;
};

// Parses an INI integer: decimal with optional sign, "$" or "0x" hexadecimal.
// False (and value untouched) for anything else, and for values outside 32 bits.
bool ParseProfileInteger(const std::string& text, int32_t& value);

}  // namespace qp
