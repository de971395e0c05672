#pragma once
// The hosted console as the automation objects see it: the console itself, the pacing of
// keys, the waiting periods, and the hooks through which the desktop program, the headless
// player and (later) the automation server plug into the objects. One per hosted console;
// every console object of the process acts on it.
//
// Threads: the objects' methods may run on any thread (a script's worker thread, a thread
// of the automation server for each outside call, several at once). Configure the hooks before objects are used; all of them
// are read under one lock and called outside it.

#include "console/Cancellation.h"
#include "console/HostedConsole.h"
#include "keys/KeyPacer.h"
#include "vbs/Object.h"
#include "console/ScreenTypes.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace qp {

struct ScriptTimings {
    // Between two paced keys.
    std::chrono::milliseconds keyGap{50};
    // Between two attempts of the waiting methods; the number of attempts follows from the
    // time each method is given, so WaitString 3 waits about three seconds whatever it is.
    std::chrono::milliseconds pollPeriod{200};
    // Also check at once whenever the program's output changes the screen while a waiting
    // method sleeps, so a wait ends as soon as its condition holds. The attempts at the
    // periods' ends and the time budget stay as they are. Off by default: the waiting
    // methods then sleep whole periods, as scripts written for them expect.
    bool wakeOnOutput = false;
    // Reads of the screen first wait until the program has been quiet this long (no output
    // and no keys sent to it), so a check made right after a key sees the program's answer.
    // Zero reads at once. The first keys sent to a program that has just started wait the
    // same way until it has drawn something.
    std::chrono::milliseconds readSettle{50};
};

// The longest a settle before a read or before the first keys waits, however busy the
// program is (one that redraws a clock forever still gets read).
inline constexpr std::chrono::milliseconds kSettleBound{2000};

// What the objects report as they work, for a trace of a run. Called on the calling thread.
class ScriptTraceListener {
public:
    virtual ~ScriptTraceListener() = default;
    // One key as sent: the method and the key (a character or a key combination), UTF-8.
    virtual void keySent(std::string_view method, std::string_view key) {}
    // One check: the call as a script writes it, its result and the screen it read.
    virtual void checkMade(std::string_view call, bool result, const ScreenSnapshot& screen) {}
    // Just before a script starts a program in the console (RunCommand): the program
    // started before, if any, has ended by now.
    virtual void programStarting() {}
    // A program started in the console by a script (RunCommand), its command line as given.
    virtual void programStarted(std::string_view commandLine) {}
};

// Where Console.MatchScreen keeps its golden screens, and whether it writes them.
struct GoldenScreenSettings {
    std::string folder;   // the script's golden folder (see GoldenFolderOf); empty: no script file
    bool update = false;  // write missing and changed golden files instead of failing
    // Told of each file written: its path and whether it is new (else it changed).
    std::function<void(const std::string& path, bool created)> written;
};

class ConsoleSession {
public:
    // The console must outlive the session and every object made for it.
    explicit ConsoleSession(HostedConsole& console, ScriptTimings timings = {});
    ~ConsoleSession();
    ConsoleSession(const ConsoleSession&) = delete;
    ConsoleSession& operator=(const ConsoleSession&) = delete;

    HostedConsole& console() { return m_console; }
    KeyPacer& pacer() { return m_pacer; }
    std::chrono::milliseconds pollPeriod() const { return m_pollPeriod; }

    // PumpIfMainThread: on the thread registered as the main thread, runs its pump (which
    // processes the pending events once); on any other thread does nothing.
    void setMainThreadPump(std::thread::id mainThread, std::function<void()> pump);
    void pumpIfMainThread();

    // The application's error box (a program that cannot be started). Without one the
    // message goes to standard error.
    void setErrorBox(std::function<void(const std::string& message)> box);
    void showError(const std::string& message);

    void setTraceListener(std::shared_ptr<ScriptTraceListener> listener);
    std::shared_ptr<ScriptTraceListener> traceListener() const;

    // The last check a console method made: the call as a script writes it, its result and
    // the screen exactly as the check read it (for a failure report after the script).
    struct CheckRecord {
        std::string call;
        bool result = false;
        SnapshotPtr screen;
    };
    void recordCheck(CheckRecord check);
    std::optional<CheckRecord> lastCheck() const;

    // Runs a command line in a console of another instance and returns that console's
    // object; used when a program is already active here. Without a runner such a call
    // fails with RemoteConsoleUnavailable's message.
    using RemoteRunner = std::function<vbs::ObjectRef(const std::u16string& cmdLine)>;
    void setRemoteRunner(RemoteRunner runner);
    vbs::ObjectRef runInAnotherInstance(const std::u16string& cmdLine);

    // The process's own console object, the one scripts see as Console. The session holds
    // a counted reference until it is cleared or the session goes away.
    void setConsoleObject(vbs::ObjectRef object);
    vbs::ObjectRef consoleObject() const;
    void clearConsoleObject();

    // MatchScreen's golden folder and mode; none until the host sets them.
    void setGoldenScreens(GoldenScreenSettings settings);
    GoldenScreenSettings goldenScreens() const;

    // Whether a failed check whose result the script throws away (a call statement) raises
    // an error; on unless the host is lenient.
    void setFailedStatementChecksRaise(bool raise) { m_statementChecksRaise.store(raise); }
    bool failedStatementChecksRaise() const { return m_statementChecksRaise.load(); }

    std::chrono::milliseconds readSettle() const { return std::chrono::milliseconds(m_readSettleMs.load()); }
    void setReadSettle(std::chrono::milliseconds settle) { m_readSettleMs.store(settle.count()); }
    // Before a read of the screen: waits until the program has been quiet for the read
    // settle time, at most kSettleBound; a program that has just started and drawn
    // nothing yet is first waited for, at most until kSettleBound after its start.
    void settleForRead();
    // Before keys are sent: when nothing was sent yet to the program started last, waits
    // until it has written something and then been quiet for the settle time, at most
    // until kSettleBound after its start.
    void settleBeforeFirstKeys();
    // Waits until the program has been quiet for `quiet` (nothing written by it and
    // nothing sent to it), until `deadline`, or until waiting is stopped. True when quiet.
    // Wakes on the console's activity, pumps between polling periods.
    bool waitQuiet(std::chrono::milliseconds quiet, SteadyTime deadline);
    // Waits until `until` or until waiting is stopped, pumping between polling periods.
    void pauseUntil(SteadyTime until);
    // Waits until the program writes something after output version `seen`, until `until`
    // or until waiting is stopped. True when output came.
    bool waitForOutput(uint64_t seen, SteadyTime until);

    // --- waiting and stopping -------------------------------------------------------------
    // Every wait of the console's methods (pacing keys, Pause, WaitString, CheckWindow, and
    // any new waiting method) ends at once on a stop: the caller's (CurrentStop: the script
    // run's interrupt, which the player's time limit and the desktop's Stop use, or a bus
    // client's call when the client leaves) or the session's own (stopWaiting).

    // The one way to wait: until ready() holds (checked at once, then whenever the program's
    // output changes the screen or notifyWaiters is called), the deadline passes, or a stop.
    // ready() runs under the session's wait lock: keep it quick and free of other locks
    // that a notifier might hold (taking a snapshot is fine).
    template <typename Ready>
    WaitEnd waitFor(SteadyTime deadline, Ready ready) {
        return m_wait.waitUntil(deadline, {sessionStop()}, ready);
    }
    // Sleeps until the deadline; false when a stop came first.
    bool sleepFor(std::chrono::milliseconds time) {
        return m_wait.sleepUntil(std::chrono::steady_clock::now() + time, {sessionStop()});
    }
    // Wakes every waiter to check its condition again.
    void notifyWaiters() { m_wait.notify(); }
    // Paces one key with the session's pacer: false, at once, on a stop (send nothing then).
    bool paceKey() { return m_pacer.PaceKeys({sessionStop()}); }

    // Stops every wait of every caller of this session, now and later, until resumeWaiting
    // (the player being told to stop).
    void stopWaiting();
    void resumeWaiting();
    // A stop of the current caller or of the session.
    bool waitingStopped() const { return StopRequested({sessionStop()}); }
    std::stop_token sessionStop() const;

    // Sleeps one polling period, or less on a stop.
    void sleepPeriod() { sleepFor(m_pollPeriod); }
    // The program's output changed the screen (called from the console's reader thread).
    void screenChanged();
    uint64_t outputGeneration() const { return m_outputGeneration.load(); }
    // Sleeps until `until`: true when that time has come or on a stop; false when waking on
    // output and the screen changed since generation `seen`.
    bool sleepUntil(std::chrono::steady_clock::time_point until, uint64_t seen);

private:
    // Waits on the console's activity until done() holds or `until`; ends on a stop.
    bool waitActivity(SteadyTime until, const std::function<bool(const ConsoleActivity&)>& done);
    bool waitQuietUntil(std::chrono::milliseconds quiet, SteadyTime deadline, bool requireOutputSinceStart);

    HostedConsole& m_console;
    KeyPacer m_pacer;
    std::chrono::milliseconds m_pollPeriod;
    bool m_wakeOnOutput;
    std::atomic<bool> m_statementChecksRaise{true};
    std::atomic<int64_t> m_readSettleMs;
    std::atomic<uint64_t> m_outputGeneration{0};
    WaitPoint m_wait;
    mutable std::mutex m_stopMutex;  // guards m_stop (replaced by resumeWaiting)
    std::stop_source m_stop;

    mutable std::mutex m_mutex;  // guards everything below
    std::thread::id m_mainThread;
    std::function<void()> m_pump;
    std::function<void(const std::string&)> m_errorBox;
    std::shared_ptr<ScriptTraceListener> m_trace;
    std::optional<CheckRecord> m_lastCheck;
    GoldenScreenSettings m_golden;
    RemoteRunner m_remoteRunner;
    vbs::ObjectRef m_consoleObject;
};

// Marks a call an outside client makes through the automation server, for as long as it
// runs on this thread: no person waits at the other end, so a failure goes back to the
// caller at once instead of into a box someone would have to close.
class OutsideCallScope {
public:
    OutsideCallScope();
    ~OutsideCallScope();
    OutsideCallScope(const OutsideCallScope&) = delete;
    OutsideCallScope& operator=(const OutsideCallScope&) = delete;
    static bool active();
};

// Forwards the console's screen changes to a session made after the console: pass it to
// the console as its listener, then attach the session.
class SessionScreenListener final : public ConsoleListener {
public:
    void attach(const std::shared_ptr<ConsoleSession>& session) {
        std::lock_guard lock(m_mutex);
        m_session = session;
    }
    void screenChanged() override {
        std::shared_ptr<ConsoleSession> session;
        {
            std::lock_guard lock(m_mutex);
            session = m_session.lock();
        }
        if (session)
            session->screenChanged();
    }

private:
    std::mutex m_mutex;
    std::weak_ptr<ConsoleSession> m_session;
};

// The message of a command that would have to run in another instance while the automation
// server is not there to start one.
inline constexpr std::string_view RemoteConsoleUnavailable =
    "A program is already running in this console, and no other instance is available to "
    "run the command in";

}  // namespace qp
