// Console profile text through the INI reader, the integer and the style parsers.

#include "console/SpaceParams.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    qp::TSpaceParams profile;
    profile.ResetProfile();
    profile.LoadProfileText(text);
    if (profile.Font.name.size() > qp::TSpaceParams::kMaxValueLength ||
        profile.CommandLine.size() > qp::TSpaceParams::kMaxValueLength)
        __builtin_trap();
    profile.ParseFontStyle(text);
    int32_t value = 0;
    qp::ParseProfileInteger(text, value);
    return 0;
}
