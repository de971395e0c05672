// The layout's key names by scan code.

#include "KeyboardLayout.h"

#include "UsLayout.h"

namespace qp {

namespace {

constexpr uint32_t EXTENDED_BIT = 1u << 24;
constexpr uint32_t EITHER_SIDE_BIT = 1u << 25;

const us::KeyName* namedKey(uint8_t scan, bool extended)
{
    for (const auto& key : us::KeyNames)
        if (key.scan == scan && key.extended == extended)
            return &key;
    return nullptr;
}

// Keys without a name of their own are called by what they type.
std::string characterName(uint8_t scan)
{
    for (const auto& key : us::Keys) {
        if (key.scan != scan || key.extended || key.normal <= 0x20 || key.normal > 0x7E)
            continue;
        char c = char(key.normal);
        if (c >= 'a' && c <= 'z')
            c = char(c - 0x20);
        return std::string(1, c);
    }
    return {};
}

}  // namespace

std::string keyNameText(uint32_t lParam)
{
    uint8_t scan = uint8_t(lParam >> 16);
    bool extended = (lParam & EXTENDED_BIT) != 0;
    if (lParam & EITHER_SIDE_BIT) {
        if (scan == 0x36)
            scan = 0x2A;
        if (scan == 0x1D || scan == 0x38)
            extended = false;
    }
    if (scan == 0)
        return {};
    const us::KeyName* key = namedKey(scan, extended);
    if (!key && extended)
        key = namedKey(scan, false);
    return key ? std::string(key->name) : characterName(scan);
}

int keyNameText(uint32_t lParam, char16_t* buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    const std::string name = keyNameText(lParam);
    const int count = std::min<int>(int(name.size()), size - 1);
    for (int i = 0; i < count; ++i)
        buffer[i] = char16_t(uint8_t(name[size_t(i)]));
    buffer[count] = 0;
    return count;
}

}  // namespace qp
