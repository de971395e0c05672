#pragma once
// What the player writes: the screen as text for a failed script, the JUnit XML report and
// the trace of keys and checks.

#include "script/ConsoleSession.h"
#include "console/ScreenTypes.h"

#include <chrono>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace qp {

// The screen's rows as UTF-8 text, each right-trimmed and led by its 0-based row number,
// down to the last row that holds text or the cursor.
std::string ScreenReport(const ScreenSnapshot& screen, std::string_view indent = "");

// The screen's rows as UTF-8 text, each right-trimmed, every row of the screen.
std::string ScreenRows(const ScreenSnapshot& screen);

// Text made safe for XML 1.0: markup characters escaped, characters XML cannot carry
// (controls other than tab and line ends, invalid UTF-8) replaced by U+FFFD. In an
// attribute, tabs and line ends are written as character references, which parsers keep
// (a literal line end in an attribute becomes a blank).
std::string XmlEscape(std::string_view utf8, bool attribute = false);

// The cells a check looked at, read from the call as the trace writes it
// (CheckString(x, y, "text"), WaitString(secs, x, y, "text"), CheckRect(l, t, r, b, ...),
// CheckAttr(l, t, r, b, ...), CheckWindow(l, t, r, b) with its 1-based cells), 0-based;
// none for other calls.
std::optional<CellRect> CheckArea(std::string_view call);

struct CaseResult {
    std::string file;       // the path played
    std::string name;       // the test's name (relative to the folder given); empty: file's name
    std::string className;  // its folder; empty: the file's folder
    double seconds = 0;
    enum Status { Passed, Failed, NotParsed } status = Passed;
    std::string message;  // the error as the host shows it (one line per line)
    std::string details;  // message, then the screen
    std::string output;   // what the script showed with MsgBox
    // The screen the failure is shown with (the failing check's, else the last one) and
    // the cells the failing check looked at.
    SnapshotPtr screen;
    std::optional<CellRect> area;
    std::string cast;  // the recording of the run (asciicast v2), when one was made
    // The failed tries before this one, when the script was played again (--retries).
    std::vector<CaseResult> earlierTries;
    bool flaky() const { return status == Passed && !earlierTries.empty(); }
};

// Where and when a run happened, for the report's suite element.
struct SuiteInfo {
    std::string timestamp;  // ISO 8601, local time, whole seconds
    std::string hostname;
};
SuiteInfo CurrentSuiteInfo();

// The JUnit XML report. A script that passed only on a retry carries its failed tries as
// flakyFailure elements, one that never passed its first failure and then rerunFailure
// elements, the way Maven Surefire writes them.
std::string JUnitXml(const std::vector<CaseResult>& cases, double totalSeconds, const SuiteInfo& suite = {});

// A report file written so that a failure is never taken for success and never leaves a
// truncated file where a good one was: the text goes to a temporary file in the same
// folder, which is flushed, synced, checked and then renamed over the target (through a
// symbolic link, to the file it names; an existing file's permissions are kept). A target
// that exists and is not a regular file (a device such as /dev/full, a pipe) is written
// directly, and its flush and close are checked.
class ReportFile {
public:
    explicit ReportFile(std::string path);
    ~ReportFile();  // an unfinished temporary file is removed
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    // False, with the reason in error(), when the file cannot be opened.
    bool open();
    std::ostream& stream() { return m_stream; }
    // Flushes, closes and puts the file in place. False, with the reason in error(), on any
    // failure; the target is then left as it was (for a regular file).
    bool commit();
    const std::string& error() const { return m_error; }

private:
    bool fail(const std::string& what, int error);

    std::string m_path;    // as given
    std::string m_target;  // the file to replace (a link resolved)
    std::string m_temp;    // empty when writing directly
    std::ofstream m_stream;
    std::string m_error;
    int m_mode = -1;  // permissions to give the new file, -1 for the default
};
// An argument vector as the trace writes it: ["sh", "-c", "..."]; a line the shell cannot
// read as it is.
std::string ArgumentVectorText(std::string_view commandLine);

// Writes every key sent and every check made, with the screen at the moment of the check,
// and every program's start and end.
class TraceFile final : public ScriptTraceListener {
public:
    explicit TraceFile(std::ostream& out) : m_out(out) {}
    // Names the script line (0-based, of the text the engine runs) an event came from: keys
    // and checks are written after it.
    void setLineNames(std::function<std::string(int line)> names) { m_lineNames = std::move(names); }
    void beginScript(const std::string& file);
    void note(std::string_view text);
    void keySent(std::string_view method, std::string_view key) override;
    void checkMade(std::string_view call, bool result, const ScreenSnapshot& screen) override;
    void programStarted(std::string_view commandLine) override;
    // The end of a program started with that command line: its exit status (128 + the
    // signal that ended it; -1 when it could not be learnt), and how it came when the
    // player ended it.
    void programEnded(std::string_view commandLine, int status, std::string_view how = "");

private:
    void stamp();
    std::string where() const;
    std::function<std::string(int line)> m_lineNames;
    std::mutex m_mutex;
    std::ostream& m_out;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

}  // namespace qp
