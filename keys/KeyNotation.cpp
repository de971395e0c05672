#include "KeyNotation.h"

#include "console/ConsoleFuncs.h"
#include "console/KeyEventRecord.h"
#include "KeysText.h"
#include "text/Utf.h"
#include "VirtualKeys.h"

#include <algorithm>

namespace qp {

namespace {

uint32_t modifierFlag(uint16_t vkey)
{
    switch (vkey) {
    case VK_SHIFT: return SHIFT_PRESSED;
    case VK_CONTROL: return LEFT_CTRL_PRESSED;
    case VK_MENU: return LEFT_ALT_PRESSED;
    default: return 0;
    }
}

// The final part is "one character" when it is exactly one UTF-8 character (one key per
// character, as typed text is walked).
std::optional<char32_t> singleCharacter(std::string_view part)
{
    size_t pos = 0;
    const char32_t c = text::decodeUtf8(part, pos);
    if (pos != part.size())
        return std::nullopt;
    return c;
}

// The layout names the space bar "Space" (the recorder writes <Ctrl+Space>); a blank
// itself cannot stand in a combination, whose text is trimmed.
bool isSpaceName(std::string_view part)
{
    constexpr std::string_view name = "space";
    return part.size() == name.size() &&
           std::equal(part.begin(), part.end(), name.begin(), [](char a, char b) { return (a | 0x20) == b; });
}

void parseFinalPart(std::string_view part, KeyCombo& combo)
{
    if (part.empty())
        return;
    if (isSpaceName(part)) {
        combo.kind = FinalKeyKind::Character;
        combo.character = U' ';
        return;
    }
    if (auto c = singleCharacter(part)) {
        combo.kind = FinalKeyKind::Character;
        combo.character = *c;
        return;
    }
    const uint16_t vkey = KeyTextToVKey(part);
    if (vkey == 0)
        return;
    combo.kind = FinalKeyKind::VirtualKey;
    combo.vkey = vkey;
    combo.state |= modifierFlag(vkey);
}

}  // namespace

std::string_view TrimKeyText(std::string_view text)
{
    return TrimControls(text);
}

KeyCombo ParseKeyCombo(std::string_view text)
{
    KeyCombo combo;
    std::string_view rest = TrimKeyText(text);
    for (size_t plus = rest.find('+'); plus != std::string_view::npos; plus = rest.find('+')) {
        combo.state |= modifierFlag(KeyTextToVKey(rest.substr(0, plus)));
        rest.remove_prefix(plus + 1);
    }
    parseFinalPart(rest, combo);
    return combo;
}

ControlTextReader::ControlTextReader(std::string_view controlText)
    : m_rest(TrimKeyText(controlText))
{
}

std::optional<std::string_view> ControlTextReader::next()
{
    if (m_rest.empty() || m_rest.front() != '<')
        return std::nullopt;
    const size_t close = m_rest.find('>', 1);
    if (close == std::string_view::npos) {
        m_rest = {};
        return std::nullopt;
    }
    const std::string_view combination = m_rest.substr(1, close - 1);
    m_rest.remove_prefix(close + 1);
    return combination;
}

}  // namespace qp
