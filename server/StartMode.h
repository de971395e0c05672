#pragma once
// How a start is classified by its command line, once, before any window exists.

#include <string>
#include <string_view>
#include <vector>

namespace qp {

enum class StartMode { Standalone, Automation, Register, Unregister };

// A switch is an argument that begins with "-" or "/" and whose remainder equals the
// switch's name without regard to case; the first rule that matches any argument decides:
// AUTOMATION or EMBEDDING, then REGSERVER, then UNREGSERVER, else a standalone start.
StartMode StartModeOf(const std::vector<std::string>& args);

// True when `arg` is the switch `name` ("-name" or "/name", any letter case).
bool IsSwitch(std::string_view arg, std::string_view name);

}  // namespace qp
