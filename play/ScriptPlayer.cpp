#include "ScriptPlayer.h"

#include "script/ActiveScr.h"
#include "console/Cancellation.h"
#include "script/AutomationError.h"
#include "console/Codepage.h"
#include "console/ConsoleFuncs.h"
#include "script/ConsoleSession.h"
#include "console/Errors.h"
#include "script/GoldenScreen.h"
#include "console/HostedConsole.h"
#include "PlayerConsoles.h"
#include "ProgramEnds.h"
#include "ScreenRender.h"
#include "display/ScreenText.h"
#include "vbs/ScriptFile.h"
#include "console/ShellCommand.h"
#include "vbs/Text.h"
#include "script/ZEBConsole.h"

#include <algorithm>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <thread>

namespace qp {

std::optional<std::vector<std::u16string>> ReadScriptLines(const std::string& path, std::string* error) {
    std::string why;
    std::optional<std::string> read = vbs::ReadScriptFile(path, why);
    if (!read) {
        if (error)
            *error = why;
        return std::nullopt;
    }
    const std::u16string text = vbs::DecodeScriptBytes(*read).text;
    std::vector<std::u16string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

namespace {

std::u16string u16(std::string_view ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

std::string toOutputText(std::u16string_view text) {
    std::string utf8 = AnsiToUtf8(Utf16ToAnsi(std::u16string(text)));
    std::string out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\r') {
            out += '\n';
            if (i + 1 < utf8.size() && utf8[i + 1] == '\n')
                ++i;
        } else {
            out += utf8[i];
        }
    }
    return out;
}

// Interrupts the script and cuts its waits short when the time limit passes.
class Watchdog {
public:
    Watchdog(std::chrono::milliseconds limit, TVBScript& host, std::function<void()> stopWaits) {
        if (limit.count() <= 0)
            return;
        m_thread = std::thread([this, limit, &host, stopWaits = std::move(stopWaits)] {
            std::unique_lock lock(m_mutex);
            if (m_wake.wait_for(lock, limit, [this] { return m_done; }))
                return;
            m_fired = true;
            host.Interrupt();
            stopWaits();
        });
    }
    ~Watchdog() { finish(); }
    void finish() {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }
    bool fired() {
        std::lock_guard lock(m_mutex);
        return m_fired;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    bool m_fired = false;
    std::thread m_thread;
};

void fail(CaseResult& result, CaseResult::Status status, const std::string& message) {
    result.status = status;
    result.message = message;
    result.details = message + "\n";
}

}  // namespace

namespace {

bool isOptionExplicit(const std::u16string& line) {
    std::string ascii;
    for (char16_t c : line) {
        if (c == u'\'')
            break;
        if (c == u' ' || c == u'\t')
            continue;
        ascii += c < 0x80 ? char(std::tolower(int(c))) : '?';
    }
    return ascii == "optionexplicit";
}

// The 0-based line of a file's first statement line (not blank, not a comment), or -1.
int firstStatementLine(const std::vector<std::u16string>& lines) {
    for (size_t i = 0; i < lines.size(); ++i) {
        const size_t at = lines[i].find_first_not_of(u" \t");
        if (at == std::u16string::npos || lines[i][at] == u'\'')
            continue;
        return int(i);
    }
    return -1;
}

}  // namespace

CombinedScript CombineScript(const std::vector<IncludedScript>& includes, const std::vector<std::u16string>& lines) {
    CombinedScript c;
    std::vector<std::pair<std::string, std::vector<std::u16string>>> parts;
    for (const IncludedScript& inc : includes)
        parts.emplace_back(inc.path, inc.lines);
    parts.emplace_back("", lines);
    // Option Explicit must come before any statement: one at the head of any part moves to
    // the head of the whole text.
    bool explicitOption = false;
    for (auto& [path, text] : parts) {
        const int first = firstStatementLine(text);
        if (first >= 0 && isOptionExplicit(text[size_t(first)]) && (parts.size() > 1)) {
            text[size_t(first)].clear();
            explicitOption = true;
        }
    }
    if (explicitOption)
        c.lines.push_back(u"Option Explicit");
    for (auto& [path, text] : parts) {
        c.parts.push_back({path, int(c.lines.size()), int(text.size())});
        c.lines.insert(c.lines.end(), text.begin(), text.end());
    }
    return c;
}

std::pair<std::string, int> CombinedScript::locate(int line) const {
    for (const Part& p : parts)
        if (line >= p.first && line < p.first + p.count)
            return {p.path, line - p.first};
    if (!parts.empty() && line >= parts.back().first)
        return {parts.back().path, line - parts.back().first};  // the end of the text
    return {parts.empty() ? "" : parts.front().path, 0};
}

namespace {

// The chain of calls of a run-time error, innermost first, each with its file when it is
// not the script; nothing when the error happened in the script's own global code.
std::string callChain(const std::vector<vbs::CallFrame>& calls, const CombinedScript& text) {
    if (calls.size() < 2)
        return "";
    std::string chain = "Calls, innermost first:\n";
    for (const vbs::CallFrame& frame : calls) {
        const auto [file, line] = text.locate(frame.line);
        chain += "  " + (frame.procedure.empty() ? std::string("global code") : vbs::toUtf8(frame.procedure)) +
                 ": " + (file.empty() ? "" : file + ", ") + "Line: " + std::to_string(line + 1) +
                 " Position: " + std::to_string(frame.position + 1) + "\n";
    }
    return chain;
}

}  // namespace

CaseResult ScriptPlayer::play(const std::string& path, const std::vector<std::u16string>& lines, std::ostream& out,
                              TraceFile* trace) const {
    const auto started = std::chrono::steady_clock::now();
    CaseResult result;
    result.file = path;
    if (trace)
        trace->beginScript(path);
    if (m_stop.stop_requested()) {
        fail(result, CaseResult::Failed, NotRunMessage);
        return result;
    }

    ConsoleOptions consoleOptions;
    consoleOptions.columns = int16_t(m_options.columns);
    consoleOptions.rows = int16_t(m_options.rows);
    consoleOptions.settle = m_options.settle;
    SessionScreenListener screenListener;
    // The recorder outlives the console, whose reader thread calls it.
    const bool recording = !m_options.castDir.empty() || !m_options.artifactsDir.empty();
    CastRecorder recorder(&screenListener);
    HostedConsole console(recording ? static_cast<ConsoleListener*>(&recorder) : &screenListener, consoleOptions);
    if (recording)
        recorder.start(console);
    auto session = std::make_shared<ConsoleSession>(
        console, ScriptTimings{m_options.keyGap, m_options.pollPeriod, m_options.wakeOnOutput, m_options.readSettle});
    session->setFailedStatementChecksRaise(!m_options.lenient);
    screenListener.attach(session);
    session->setConsoleObject(ZEBConsole::create(session));
    // The trace, with the ends of the programs of this console; it ends before the console.
    const auto programEnds = trace ? std::make_shared<ProgramEndTrace>(console, *trace) : nullptr;
    session->setTraceListener(programEnds);
    // What the error box showed (a program that cannot start) is the cause of the error
    // that follows it.
    std::string shownError;
    session->setErrorBox([&out, &shownError](const std::string& message) {
        out << message << std::endl;
        shownError = message;
    });

    // Console.MatchScreen's golden screens are kept beside the script.
    session->setGoldenScreens({GoldenFolderOf(path), m_options.updateGolden,
                               [&out, trace](const std::string& file, bool created) {
                                   const std::string line =
                                       std::string("Golden screen ") + (created ? "written: " : "updated: ") + file;
                                   out << line << std::endl;
                                   if (trace)
                                       trace->note(line);
                               }});

    // RunCommand while a program runs opens another console here; all end with the script.
    PlayerConsoles consoles(consoleOptions, ScriptTimings{m_options.keyGap, m_options.pollPeriod, m_options.wakeOnOutput},
                            session, trace);
    consoles.serve(*session);

    bool started_ok = true;
    if (!m_options.command.empty()) {
        const std::string command = ShellJoin(m_options.command);
        if (trace)
            trace->note("start " + ArgumentVectorText(command));
        try {
            console.runInConsole(command);
            if (programEnds)
                programEnds->watch(command);
        } catch (const std::exception& e) {
            fail(result, CaseResult::Failed, e.what());
            started_ok = false;
        }
    }

    if (started_ok) {
        const CombinedScript text = CombineScript(m_includes, lines);
        TVBScript host;
        vbs::EngineLimits limits;
        limits.maxMemoryBytes = m_options.memoryLimitMB << 20;
        host.setLimits(limits);
        host.setLines(text.lines);
        host.setNamedItems({u"Console"});
        host.setOnGetNamedItem([&session](const std::u16string& name, vbs::ObjectRef& obj) {
            if (name == u"Console")
                obj = session->consoleObject();
        });
        host.setMsgBox([&out, &result](std::u16string_view text, int buttons, std::u16string_view) {
            const std::string shown = toOutputText(text) + "\n";
            out << shown << std::flush;
            result.output += shown;
            return DefaultMsgBoxResult(buttons);
        });
        if (trace)
            trace->setLineNames([&text](int line) {
                const auto [file, at] = text.locate(line);
                return (file.empty() ? std::string("line ") : file + " line ") + std::to_string(at + 1);
            });
        Watchdog watchdog(m_options.timeLimit, host, [&] {
            session->stopWaiting();
            consoles.stopWaiting();
        });
        {
            // A stop of the player interrupts the run (see TVBScript::RunScript).
            StopScope scope(m_stop);
            host.RunScript();
        }
        watchdog.finish();
        if (trace)
            trace->setLineNames(nullptr);

        const auto& errors = host.lastErrors();
        if (errors.empty() && m_stop.stop_requested() && host.lastOutcome() != vbs::RunOutcome::Completed) {
            fail(result, CaseResult::Failed, InterruptedMessage);
        } else if (!errors.empty()) {
            vbs::ScriptError e = errors.front();
            const auto [file, line] = text.locate(e.line);
            e.line = line;
            std::string message = (file.empty() ? "" : file + ", ") + toOutputText(ScriptErrorMessage(e));
            if (e.description.empty())
                message += "(error " + std::to_string(e.number) + " without description)";
            if (!shownError.empty() && e.description == u16(OperationAborted().what()))
                message = message.substr(0, message.find('\n') + 1) + shownError;
            fail(result, e.syntax ? CaseResult::NotParsed : CaseResult::Failed, message);
            result.details += callChain(e.calls, text);
        } else if (watchdog.fired()) {
            fail(result, CaseResult::Failed,
                 "Time limit of " + std::to_string(m_options.timeLimit.count() / 1000) + " s exceeded");
        } else if (host.lastOutcome() != vbs::RunOutcome::Completed) {
            fail(result, CaseResult::Failed, "The script was interrupted");
        }
    }
    if (result.status != CaseResult::Passed) {
        // A check that failed last is most likely what failed the script: its screen is the
        // one to show, as the check read it, not the screen at the end.
        const auto check = session->lastCheck();
        if (check && !check->result && check->screen) {
            result.screen = check->screen;
            result.area = CheckArea(check->call);
            result.details += "Check: " + check->call + " -> False\n";
            if (result.area) {
                std::u16string found = ReadRectText(*check->screen, *result.area, kCheckSeparator);
                std::replace(found.begin(), found.end(), u'\0', u' ');
                result.details += "Found there: '" + toOutputText(found) + "'\n";
            }
            result.details += "Screen as the check saw it";
        } else {
            result.screen = console.takeSnapshot();
            result.details += "Screen";
        }
        const ScreenSnapshot& screen = *result.screen;
        result.details += " (" + std::to_string(screen.width) + "x" + std::to_string(screen.height) +
                          "), rows numbered from 0:\n" + ScreenReport(screen);
    }
    if (recording)
        result.cast = recorder.stop();
    if (programEnds) {
        // The other consoles' programs first, so an end the script waited for there comes
        // before the ends the player makes here.
        consoles.finishTraces();
        programEnds->finish();
        session->setTraceListener(nullptr);
    }
    session->clearConsoleObject();
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return result;
}

}  // namespace qp
