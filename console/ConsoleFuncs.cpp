#include "ConsoleFuncs.h"

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace qp {

namespace {

bool isSeparator(char c) { return c != '\0' && static_cast<unsigned char>(c) <= 0x20; }
bool isTokenChar(char c) { return static_cast<unsigned char>(c) > 0x20; }
char at(std::string_view text, size_t pos) { return pos < text.size() ? text[pos] : '\0'; }

void skipSeparators(std::string_view text, size_t& pos)
{
    for (;;) {
        while (isSeparator(at(text, pos)))
            ++pos;
        if (at(text, pos) != '"' || at(text, pos + 1) != '"')
            return;
        pos += 2;  // an empty quoted pair
    }
}

// Walks one token from pos, keeping its first kMaxCmdToken characters. Quotes group and
// are removed; the walk goes on past the cut so the rest never becomes a token of its own.
std::string collectToken(std::string_view text, size_t& pos)
{
    std::string token;
    auto keep = [&](char c) {
        if (token.size() < kMaxCmdToken)
            token += c;
    };
    while (isTokenChar(at(text, pos))) {
        if (text[pos] != '"') {
            keep(text[pos++]);
            continue;
        }
        ++pos;
        while (at(text, pos) != '\0' && at(text, pos) != '"')
            keep(text[pos++]);
        if (at(text, pos) == '"')
            ++pos;
    }
    return token;
}

bool isExecutableFile(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string absolutePath(const std::string& path)
{
    std::error_code ec;
    std::filesystem::path abs = std::filesystem::absolute(path, ec);
    return ec ? path : abs.lexically_normal().string();
}

bool hasExtension(const std::string& name)
{
    const size_t slash = name.find_last_of('/');
    const size_t dot = name.find_last_of('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

std::vector<std::string> splitList(const std::string& list, char sep)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = list.find(sep, start);
        parts.push_back(list.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}


}  // namespace

std::string_view TrimControls(std::string_view text)
{
    auto low = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    while (!text.empty() && low(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && low(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string NextCmdToken(std::string_view text, size_t& pos)
{
    skipSeparators(text, pos);
    return collectToken(text, pos);
}

std::string CmdToken(std::string_view text, int n)
{
    std::string result;
    if (n < 0)
        return result;
    size_t pos = 0;
    do {
        result = NextCmdToken(text, pos);
        --n;
    } while (n >= 0 && !result.empty());
    return result;
}

std::vector<std::string> SplitCmdTokens(std::string_view text)
{
    std::vector<std::string> tokens;
    size_t pos = 0;
    for (std::string t = NextCmdToken(text, pos); !t.empty(); t = NextCmdToken(text, pos))
        tokens.push_back(std::move(t));
    return tokens;
}

bool QuotesBalanced(std::string_view text)
{
    size_t quotes = 0;
    for (char c : text) {
        if (c == '\0')
            break;
        quotes += c == '"';
    }
    return quotes % 2 == 0;
}

std::string JoinCommandArguments(const std::vector<std::string>& args)
{
    std::string joined;
    for (size_t i = 0; i < args.size(); ++i) {
        if (i > 0)
            joined += ' ';
        if (args[i].find(' ') != std::string::npos)
            joined += '"' + args[i] + '"';
        else
            joined += TrimControls(args[i]);
    }
    return std::string(TrimControls(joined));
}

std::string FindProgramOnPath(const std::string& name)
{
    if (name.empty() || name.size() > kMaxSearchPath)
        return {};
    if (name.find('/') != std::string::npos)
        return isExecutableFile(name) ? absolutePath(name) : std::string();
    const char* env = std::getenv("PATH");
    const std::string path = env ? env : "/usr/local/bin:/usr/bin:/bin";
    for (const std::string& dir : splitList(path, ':')) {
        const std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
        if (candidate.size() <= kMaxSearchPath && isExecutableFile(candidate))
            return absolutePath(candidate);
    }
    return {};
}

std::string SearchExecutable(const std::string& name)
{
    const char* env = std::getenv("PATHEXT");
    std::string list = env ? std::string(env).substr(0, kMaxPathExt) : std::string();
    if (list.empty()) {
        const std::string found = FindProgramOnPath(name);
        return found.empty() ? name : found;
    }
    // An extension is appended only to a name without one of its own.
    const bool ownExtension = hasExtension(name);
    for (const std::string& ext : splitList(list, ';')) {
        const std::string found = FindProgramOnPath(ownExtension ? name : name + ext);
        if (!found.empty() && found.size() <= kMaxSearchPath)
            return found;
    }
    return name;
}

std::string ReplaceExtension(const std::string& path, const std::string& extension)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        return path.substr(0, dot) + extension;
    return path + extension;
}

long LocateConsoleWindow()
{
    return kInvalidWindow;
}

}  // namespace qp
