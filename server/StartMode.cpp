#include "StartMode.h"

#include <algorithm>
#include <array>

namespace qp {

namespace {
struct SwitchRule {
    std::string_view name;
    StartMode mode;
};
// In the order in which the rules are tried.
constexpr std::array<SwitchRule, 4> kSwitchRules = {{
    {"AUTOMATION", StartMode::Automation},
    {"EMBEDDING", StartMode::Automation},
    {"REGSERVER", StartMode::Register},
    {"UNREGSERVER", StartMode::Unregister},
}};
static_assert(kSwitchRules.size() == 4);

char upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
}  // namespace

bool IsSwitch(std::string_view arg, std::string_view name)
{
    if (arg.size() != name.size() + 1 || (arg[0] != '-' && arg[0] != '/'))
        return false;
    return std::equal(name.begin(), name.end(), arg.begin() + 1,
                      [](char a, char b) { return upper(a) == upper(b); });
}

StartMode StartModeOf(const std::vector<std::string>& args)
{
    for (const SwitchRule& rule : kSwitchRules)
        for (const std::string& arg : args)
            if (IsSwitch(arg, rule.name))
                return rule.mode;
    return StartMode::Standalone;
}

}  // namespace qp
