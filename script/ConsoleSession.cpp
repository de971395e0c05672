#include "ConsoleSession.h"

#include "AutomationError.h"

#include <algorithm>
#include <cstdio>

namespace qp {

ConsoleSession::ConsoleSession(HostedConsole& console, ScriptTimings timings)
    : m_console(console),
      m_pacer(timings.keyGap),
      m_pollPeriod(timings.pollPeriod),
      m_wakeOnOutput(timings.wakeOnOutput),
      m_readSettleMs(std::max<int64_t>(timings.readSettle.count(), 0)) {}

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

void ConsoleSession::setGoldenScreens(GoldenScreenSettings settings) {
    std::lock_guard lock(m_mutex);
    m_golden = std::move(settings);
}

GoldenScreenSettings ConsoleSession::goldenScreens() const {
    std::lock_guard lock(m_mutex);
    return m_golden;
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

namespace qp {

namespace {
constexpr std::chrono::milliseconds kInputWaitLook{10};
}

bool ConsoleSession::waitActivity(SteadyTime until, const std::function<bool(const ConsoleActivity&)>& done) {
    // The caller's stop and the session's both end the wait on the console's activity.
    std::stop_source any;
    StopLink fromCaller(CurrentStop(), any);
    StopLink fromSession(sessionStop(), any);
    return m_console.waitActivity(until, any.get_token(), done);
}

bool ConsoleSession::waitQuietUntil(std::chrono::milliseconds quiet, SteadyTime deadline,
                                    bool requireOutputSinceStart) {
    using Clock = std::chrono::steady_clock;
    for (;;) {
        if (waitingStopped())
            return false;
        const ConsoleActivity a = m_console.activity();
        const auto now = Clock::now();
        // A program that draws nothing before it reads (bc -q, cat) is ready once it
        // waits for input.
        const bool drawn =
            !requireOutputSinceStart || a.outputSinceStart || m_console.programWaitsForInput();
        const auto quietAt = a.lastActivity() + quiet;
        if (drawn && now >= quietAt)
            return true;
        if (now >= deadline)
            return false;
        // Wakes when quiet would be reached, or on the first output while waiting for
        // some, and at least every polling period to pump. Whether the program waits for
        // input makes no event: it is looked at every few milliseconds meanwhile.
        auto wakeAt = std::min(deadline, now + std::max(m_pollPeriod, std::chrono::milliseconds(1)));
        if (drawn)
            wakeAt = std::min(wakeAt, quietAt);
        else
            wakeAt = std::min(wakeAt, now + kInputWaitLook);
        waitActivity(wakeAt, [&](const ConsoleActivity& current) { return !drawn && current.outputSinceStart; });
        pumpIfMainThread();
    }
}

void ConsoleSession::settleForRead() {
    const auto settle = readSettle();
    if (settle.count() <= 0)
        return;
    // A program that has just started and not drawn anything yet is waited for as the
    // first keys wait for it.
    const ConsoleActivity a = m_console.activity();
    const bool undrawn = a.programStarts > 0 && !a.outputSinceStart && m_console.isProgramActive();
    auto deadline = std::chrono::steady_clock::now() + kSettleBound;
    if (undrawn)
        deadline = std::min(deadline, a.programStart + kSettleBound);
    waitQuietUntil(settle, deadline, undrawn);
}

void ConsoleSession::settleBeforeFirstKeys() {
    const auto settle = readSettle();
    if (settle.count() <= 0)
        return;
    const ConsoleActivity a = m_console.activity();
    if (a.programStarts == 0 || a.inputSinceStart || !m_console.isProgramActive())
        return;
    waitQuietUntil(settle, a.programStart + kSettleBound, true);
}

bool ConsoleSession::waitQuiet(std::chrono::milliseconds quiet, SteadyTime deadline) {
    return waitQuietUntil(quiet, deadline, false);
}

void ConsoleSession::pauseUntil(SteadyTime until) {
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        if (waitingStopped() || now >= until)
            return;
        m_wait.sleepUntil(std::min(until, now + std::max(m_pollPeriod, std::chrono::milliseconds(1))),
                          {sessionStop()});
        pumpIfMainThread();
    }
}

bool ConsoleSession::waitForOutput(uint64_t seen, SteadyTime until) {
    for (;;) {
        if (m_console.activity().outputVersion != seen)
            return true;
        const auto now = std::chrono::steady_clock::now();
        if (waitingStopped() || now >= until)
            return false;
        const auto wakeAt = std::min(until, now + std::max(m_pollPeriod, std::chrono::milliseconds(1)));
        waitActivity(wakeAt, [&](const ConsoleActivity& current) { return current.outputVersion != seen; });
        pumpIfMainThread();
    }
}

}  // namespace qp
