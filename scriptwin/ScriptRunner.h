#pragma once
// The desktop program's script host: the engine host m_scriptHost, the console object scripts
// see as Console, and the worker thread of the current run. Boxes a script shows (MsgBox,
// InputBox, its errors) appear on the GUI thread on top of the main window; the worker waits
// for the answer.

#include "script/ActiveScr.h"
#include "script/MsgBoxButtons.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace qp {

class ConsoleSession;
class HostedConsole;
class ScriptThread;

class ScriptRunner : public QObject {
    Q_OBJECT
public:
    // The console must outlive the runner; boxParent is the main window.
    ScriptRunner(HostedConsole& console, QWidget* boxParent);
    ~ScriptRunner() override;

    // Not the engine's idle state: a script is being prepared or run.
    bool ScriptRunning() const { return !m_scriptHost.Idle(); }
    // A run's thread exists (from Play until the thread has ended).
    bool busy() const;
    // StartScriptThread: a thread with its own copy of lines. Nothing happens while a run's
    // thread exists, also before its engine is open.
    bool StartScriptThread(std::vector<std::u16string> lines);
    // Asks the running script to stop at its next statement.
    void Interrupt() { m_scriptHost.Interrupt(); }

    TVBScript& host() { return m_scriptHost; }
    ConsoleSession& session() { return *m_session; }

signals:
    void runFinished();

private:
    void installBoxes();
    template <typename F>
    auto onGuiThread(F&& f, decltype(f()) fallback) -> decltype(f());

    TVBScript m_scriptHost;
    std::shared_ptr<ConsoleSession> m_session;
    QPointer<QWidget> m_boxParent;
    QPointer<ScriptThread> m_thread;
    std::atomic<bool> m_closing{false};
};

}  // namespace qp
