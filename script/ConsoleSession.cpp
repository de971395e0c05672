#include "ConsoleSession.h"

#include "AutomationError.h"

#include <cstdio>

namespace qp {

ConsoleSession::ConsoleSession(HostedConsole& console, ScriptTimings timings)
    : m_console(console),
      m_pacer(timings.keyGap),
      m_pollPeriod(timings.pollPeriod),
      m_wakeOnOutput(timings.wakeOnOutput) {}

ConsoleSession::~ConsoleSession() = default;

void ConsoleSession::setMainThreadPump(std::thread::id mainThread, std::function<void()> pump) {
    std::lock_guard lock(m_mutex);
    m_mainThread = mainThread;
    m_pump = std::move(pump);
}

void ConsoleSession::pumpIfMainThread() {
    std::function<void()> pump;
    {
        std::lock_guard lock(m_mutex);
        if (!m_pump || std::this_thread::get_id() != m_mainThread)
            return;
        pump = m_pump;
    }
    pump();
}

namespace {
thread_local int t_outsideCalls = 0;
}

OutsideCallScope::OutsideCallScope() { ++t_outsideCalls; }
OutsideCallScope::~OutsideCallScope() { --t_outsideCalls; }
bool OutsideCallScope::active() { return t_outsideCalls > 0; }

void ConsoleSession::setErrorBox(std::function<void(const std::string&)> box) {
    std::lock_guard lock(m_mutex);
    m_errorBox = std::move(box);
}

void ConsoleSession::showError(const std::string& message) {
    std::function<void(const std::string&)> box;
    {
        std::lock_guard lock(m_mutex);
        box = m_errorBox;
    }
    if (box)
        box(message);
    else
        std::fprintf(stderr, "%s\n", message.c_str());
}

void ConsoleSession::setTraceListener(std::shared_ptr<ScriptTraceListener> listener) {
    std::lock_guard lock(m_mutex);
    m_trace = std::move(listener);
}

void ConsoleSession::recordCheck(CheckRecord check) {
    std::lock_guard lock(m_mutex);
    m_lastCheck = std::move(check);
}

std::optional<ConsoleSession::CheckRecord> ConsoleSession::lastCheck() const {
    std::lock_guard lock(m_mutex);
    return m_lastCheck;
}

std::shared_ptr<ScriptTraceListener> ConsoleSession::traceListener() const {
    std::lock_guard lock(m_mutex);
    return m_trace;
}

void ConsoleSession::setRemoteRunner(RemoteRunner runner) {
    std::lock_guard lock(m_mutex);
    m_remoteRunner = std::move(runner);
}

vbs::ObjectRef ConsoleSession::runInAnotherInstance(const std::u16string& cmdLine) {
    RemoteRunner runner;
    {
        std::lock_guard lock(m_mutex);
        runner = m_remoteRunner;
    }
    if (!runner)
        throw std::runtime_error(std::string(RemoteConsoleUnavailable));
    return runner(cmdLine);
}

void ConsoleSession::setConsoleObject(vbs::ObjectRef object) {
    vbs::ObjectRef old;
    std::lock_guard lock(m_mutex);
    old = std::exchange(m_consoleObject, std::move(object));
}

vbs::ObjectRef ConsoleSession::consoleObject() const {
    std::lock_guard lock(m_mutex);
    return m_consoleObject;
}

void ConsoleSession::clearConsoleObject() {
    setConsoleObject(nullptr);
}

void ConsoleSession::stopWaiting() {
    std::stop_source stop;
    {
        std::lock_guard lock(m_stopMutex);
        stop = m_stop;
    }
    stop.request_stop();
}

void ConsoleSession::resumeWaiting() {
    std::lock_guard lock(m_stopMutex);
    if (m_stop.stop_requested())
        m_stop = std::stop_source();
}

std::stop_token ConsoleSession::sessionStop() const {
    std::lock_guard lock(m_stopMutex);
    return m_stop.get_token();
}

void ConsoleSession::screenChanged() {
    m_outputGeneration.fetch_add(1);
    m_wait.notify();
}

bool ConsoleSession::sleepUntil(std::chrono::steady_clock::time_point until, uint64_t seen) {
    const WaitEnd end =
        waitFor(until, [&] { return m_wakeOnOutput && m_outputGeneration.load() != seen; });
    return end != WaitEnd::Ready;
}

}  // namespace qp
