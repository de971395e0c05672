#pragma once
// Plays one script in a fresh hosted console and tells how it went.

#include "MsgBoxButtons.h"
#include "PlayOptions.h"
#include "Report.h"

#include <mutex>
#include <optional>
#include <stop_token>
#include <ostream>
#include <string>
#include <vector>

namespace qp {

// A script file's lines: 8-bit text in the ANSI code page (a UTF-8 byte-order mark is
// skipped), lines ended by CR LF, LF or CR. Nothing when the file cannot be read.
std::optional<std::vector<std::u16string>> ReadScriptLines(const std::string& path);

class ScriptPlayer {
public:
    // out receives what the scripts show (MsgBox texts, error boxes); trace may be null.
    ScriptPlayer(const PlayOptions& options, std::ostream& out, TraceFile* trace)
        : m_options(options), m_out(out), m_trace(trace) {}

    CaseResult play(const std::string& path, const std::vector<std::u16string>& lines);

    // Told to stop (a signal), from any thread: the running script is interrupted, its waits
    // and typing end at once, and it fails with `reason`; scripts played later fail at once
    // the same way. Their consoles end with every process started in them.
    void stop(const std::string& reason);
    bool stopped() const;

private:
    mutable std::mutex m_stopMutex;
    std::string m_stopReason;  // empty until told to stop
    std::stop_source m_stop;   // the caller stop of every run

    const PlayOptions& m_options;
    std::ostream& m_out;
    TraceFile* m_trace;
};

}  // namespace qp
