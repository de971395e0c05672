#pragma once
// Small routines under the hosted console: the command-line tokenizer, the executable
// search and the (absent) console window.

#include <string>
#include <string_view>
#include <vector>

namespace qp {

inline constexpr size_t kMaxCmdToken = 4096;

// NextCmdToken: the token starting at pos (blank-separated, double quotes group and are
// removed; at most 4096 characters). pos is advanced past the token.
std::string NextCmdToken(std::string_view text, size_t& pos);
// CmdToken: token number n (0-based), or empty text.
std::string CmdToken(std::string_view text, int n);
// All tokens of a command line.
std::vector<std::string> SplitCmdTokens(std::string_view text);
// ProcessCommandLine's joining: blank-separated, an argument with a blank quoted,
// others trimmed, the whole trimmed.
std::string JoinCommandArguments(const std::vector<std::string>& args);
// SearchExecutable: the full path of name along PATH (with PATHEXT's extensions when
// that variable is set), or name unchanged.
std::string SearchExecutable(const std::string& name);
// LocateConsoleWindow: there is no console window of its own here.
inline constexpr long kInvalidWindow = -1;
long LocateConsoleWindow();

}  // namespace qp
