#include "KeysText.h"

namespace qp {

uint16_t KeyTextToVKey(std::string_view name)
{
    for (const auto& key : KeysText)
        if (key.Name == name)
            return uint16_t(key.VKey);
    return 0;
}

std::string CanonicalKeyText(std::string_view text)
{
    for (size_t i = 0; i < KeysText.size(); ++i) {
        if (KeysText[i].Name != text)
            continue;
        for (size_t j = 0; j < i; ++j)
            if (KeysText[j].VKey == KeysText[i].VKey)
                return std::string(KeysText[j].Name);
        break;
    }
    return std::string(text);
}

}  // namespace qp
