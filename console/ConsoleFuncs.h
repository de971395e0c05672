#pragma once
// Small routines under the hosted console: the command-line tokenizer, the executable
// search and the (absent) console window.

#include <string>
#include <string_view>
#include <vector>

namespace qp {

inline constexpr size_t kMaxCmdToken = 4096;
inline constexpr size_t kMaxPathExt = 4096;
inline constexpr size_t kMaxSearchPath = 4096;

// The text without its leading and trailing characters of code 0x20 or below (blanks and
// control characters), the trimming rule of command lines, profiles and key notation.
std::string_view TrimControls(std::string_view text);

// NextCmdToken: the token starting at pos (blank-separated, double quotes group and are
// removed; at most 4096 characters). pos is advanced past the token. A NUL ends the text.
// The rest of a token cut at 4096 characters is skipped, so it never becomes a token of
// its own.
std::string NextCmdToken(std::string_view text, size_t& pos);
// CmdToken: token number n (0-based), or empty text.
std::string CmdToken(std::string_view text, int n);
// All tokens of a command line.
std::vector<std::string> SplitCmdTokens(std::string_view text);
// True when every double quote of the command line has its closing partner.
bool QuotesBalanced(std::string_view text);
// ProcessCommandLine's joining: blank-separated, an argument with a blank quoted,
// others trimmed, the whole trimmed.
std::string JoinCommandArguments(const std::vector<std::string>& args);
// SearchExecutable: the full path of name along PATH (with PATHEXT's extensions when
// that variable is set), or name unchanged.
std::string SearchExecutable(const std::string& name);
// The program file that starting `name` would run: a name with a slash as it is, any other
// along PATH. An executable regular file, as an absolute path; empty when there is none.
std::string FindProgramOnPath(const std::string& name);
// The path with the extension of its file-name part replaced (or appended when it has none).
std::string ReplaceExtension(const std::string& path, const std::string& extension);
// LocateConsoleWindow: there is no console window of its own here.
inline constexpr long kInvalidWindow = -1;
long LocateConsoleWindow();

}  // namespace qp
