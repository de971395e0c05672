#pragma once
// Plays one script in a fresh hosted console and tells how it went.

#include "script/MsgBoxButtons.h"
#include "PlayOptions.h"
#include "Report.h"

#include <optional>
#include <ostream>
#include <stop_token>
#include <string>
#include <vector>

namespace qp {

// A script file's lines (the file decoded as DecodeScriptBytes says: UTF-8, UTF-16 with a
// byte-order mark, or Windows-1252), lines ended by CR LF, LF or CR. Only a regular file of
// at most 16 MB is read; otherwise nothing, with the reason in `error` when given.
std::optional<std::vector<std::u16string>> ReadScriptLines(const std::string& path, std::string* error = nullptr);

// A script of helpers played before each script (--include).
struct IncludedScript {
    std::string path;
    std::vector<std::u16string> lines;
};

// The text the engine runs: an Option Explicit of any part first, then the included
// scripts, then the script, each line in its place (a moved Option Explicit leaves an
// empty line), so a line of the text maps back to its file and line.
struct CombinedScript {
    std::vector<std::u16string> lines;
    struct Part {
        std::string path;  // empty for the script itself
        int first = 0;     // its first line in `lines`
        int count = 0;
    };
    std::vector<Part> parts;  // the included scripts, then the script
    // The file (empty for the script) and 0-based line of a 0-based line of the text.
    std::pair<std::string, int> locate(int line) const;
};
CombinedScript CombineScript(const std::vector<IncludedScript>& includes, const std::vector<std::u16string>& lines);

class ScriptPlayer {
public:
    ScriptPlayer(const PlayOptions& options, std::vector<IncludedScript> includes = {})
        : m_options(options), m_includes(std::move(includes)) {}

    // Plays one script in a fresh console. out receives what the script shows (MsgBox
    // texts, error boxes); trace may be null. May be called from several threads at once.
    CaseResult play(const std::string& path, const std::vector<std::u16string>& lines, std::ostream& out,
                    TraceFile* trace) const;

    // The player being told to stop (a signal): a script playing then is interrupted at once
    // (its typing and waits too) and fails as interrupted; a script played after it fails
    // at once, not run. Either way its console ends with every process started in it.
    void setStop(std::stop_token stop) { m_stop = std::move(stop); }
    static constexpr const char* InterruptedMessage = "Interrupted: the player was told to stop";
    static constexpr const char* NotRunMessage = "Not run: the player was told to stop";

private:
    const PlayOptions& m_options;
    std::vector<IncludedScript> m_includes;
    std::stop_token m_stop;
};

}  // namespace qp
