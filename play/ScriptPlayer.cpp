#include "ScriptPlayer.h"

#include "ActiveScr.h"
#include "Cancellation.h"
#include "Codepage.h"
#include "ConsoleFuncs.h"
#include "ConsoleSession.h"
#include "Errors.h"
#include "HostedConsole.h"
#include "ShellCommand.h"
#include "ZEBConsole.h"

#include <condition_variable>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <thread>

namespace qp {

std::optional<std::vector<std::u16string>> ReadScriptLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0)
        bytes.erase(0, 3);
    const std::u16string text = AnsiToUtf16(bytes);
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
    Watchdog(std::chrono::milliseconds limit, TVBScript& host, ConsoleSession& session) {
        if (limit.count() <= 0)
            return;
        m_thread = std::thread([this, limit, &host, &session] {
            std::unique_lock lock(m_mutex);
            if (m_wake.wait_for(lock, limit, [this] { return m_done; }))
                return;
            m_fired = true;
            host.Interrupt();
            session.stopWaiting();
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

void ScriptPlayer::stop(const std::string& reason) {
    {
        std::lock_guard lock(m_stopMutex);
        if (m_stopReason.empty())
            m_stopReason = reason.empty() ? std::string("The player was stopped") : reason;
    }
    m_stop.request_stop();
}

bool ScriptPlayer::stopped() const {
    std::lock_guard lock(m_stopMutex);
    return !m_stopReason.empty();
}

CaseResult ScriptPlayer::play(const std::string& path, const std::vector<std::u16string>& lines) {
    const auto started = std::chrono::steady_clock::now();
    CaseResult result;
    result.file = path;
    if (m_trace)
        m_trace->beginScript(path);

    ConsoleOptions consoleOptions;
    consoleOptions.columns = int16_t(m_options.columns);
    consoleOptions.rows = int16_t(m_options.rows);
    consoleOptions.settle = m_options.settle;
    SessionScreenListener screenListener;
    HostedConsole console(&screenListener, consoleOptions);
    auto session = std::make_shared<ConsoleSession>(
        console, ScriptTimings{m_options.keyGap, m_options.pollPeriod, m_options.wakeOnOutput});
    screenListener.attach(session);
    session->setConsoleObject(ZEBConsole::create(session));
    session->setTraceListener(m_trace ? std::shared_ptr<ScriptTraceListener>(std::shared_ptr<void>(), m_trace)
                                      : nullptr);
    session->setErrorBox([this](const std::string& message) { m_out << message << std::endl; });

    bool started_ok = true;
    if (!m_options.command.empty()) {
        const std::string command = ShellJoin(m_options.command);
        if (m_trace)
            m_trace->note("start " + command);
        try {
            console.runInConsole(command);
        } catch (const std::exception& e) {
            fail(result, CaseResult::Failed, e.what());
            started_ok = false;
        }
    }

    if (started_ok) {
        TVBScript host;
        host.setLines(lines);
        host.setNamedItems({u"Console"});
        host.setOnGetNamedItem([&session](const std::u16string& name, vbs::ObjectRef& obj) {
            if (name == u"Console")
                obj = session->consoleObject();
        });
        host.setMsgBox([this, &result](std::u16string_view text, int buttons, std::u16string_view) {
            const std::string shown = toOutputText(text) + "\n";
            m_out << shown << std::flush;
            result.output += shown;
            return DefaultMsgBoxResult(buttons);
        });
        Watchdog watchdog(m_options.timeLimit, host, *session);
        {
            StopScope scope(m_stop.get_token());
            if (!m_stop.stop_requested())
                host.RunScript();
        }
        watchdog.finish();

        const auto& errors = host.lastErrors();
        if (errors.empty() && stopped() && host.lastOutcome() != vbs::RunOutcome::Completed) {
            std::lock_guard lock(m_stopMutex);
            fail(result, CaseResult::Failed, m_stopReason);
        } else if (!errors.empty()) {
            const vbs::ScriptError& e = errors.front();
            std::string message = toOutputText(ScriptErrorMessage(e));
            if (e.description.empty())
                message += "(error " + std::to_string(e.number) + " without description)";
            fail(result, e.syntax ? CaseResult::NotParsed : CaseResult::Failed, message);
        } else if (watchdog.fired()) {
            fail(result, CaseResult::Failed,
                 "Time limit of " + std::to_string(m_options.timeLimit.count() / 1000) + " s exceeded");
        } else if (host.lastOutcome() != vbs::RunOutcome::Completed) {
            fail(result, CaseResult::Failed, "The script was interrupted");
        }
    }
    if (result.status != CaseResult::Passed) {
        const SnapshotPtr screen = console.takeSnapshot();
        result.details += "Screen (" + std::to_string(screen->width) + "x" + std::to_string(screen->height) +
                          "), rows numbered from 0:\n" + ScreenReport(*screen);
    }
    session->clearConsoleObject();
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return result;
}

}  // namespace qp
