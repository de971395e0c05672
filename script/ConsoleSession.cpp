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
    {
        std::lock_guard lock(m_sleepMutex);
        m_stopWaiting.store(true);
    }
    m_sleepWake.notify_all();
    m_console.wakeActivityWaiters();
}

void ConsoleSession::screenChanged() {
    {
        std::lock_guard lock(m_sleepMutex);
        m_outputGeneration.fetch_add(1);
    }
    if (m_wakeOnOutput)
        m_sleepWake.notify_all();
}

bool ConsoleSession::sleepUntil(std::chrono::steady_clock::time_point until, uint64_t seen) {
    std::unique_lock lock(m_sleepMutex);
    const auto changed = [&] { return m_wakeOnOutput && m_outputGeneration.load() != seen; };
    m_sleepWake.wait_until(lock, until, [&] { return m_stopWaiting.load() || changed(); });
    return m_stopWaiting.load() || !changed();
}

void ConsoleSession::sleepPeriod() {
    std::unique_lock lock(m_sleepMutex);
    m_sleepWake.wait_for(lock, m_pollPeriod, [this] { return m_stopWaiting.load(); });
}

}  // namespace qp

namespace qp {

bool ConsoleSession::waitQuietUntil(std::chrono::milliseconds quiet, std::chrono::steady_clock::time_point deadline,
                                    bool requireOutputSinceStart) {
    using Clock = std::chrono::steady_clock;
    for (;;) {
        if (waitingStopped())
            return false;
        const ConsoleActivity a = m_console.activity();
        const auto now = Clock::now();
        const bool drawn = !requireOutputSinceStart || a.outputSinceStart;
        const auto quietAt = a.lastActivity() + quiet;
        if (drawn && now >= quietAt)
            return true;
        if (now >= deadline)
            return false;
        // Wakes when quiet would be reached, or on the first output while waiting for
        // some, and at least every polling period to pump.
        auto wakeAt = std::min(deadline, now + std::max(m_pollPeriod, std::chrono::milliseconds(1)));
        if (drawn)
            wakeAt = std::min(wakeAt, quietAt);
        m_console.waitActivity(wakeAt, [&](const ConsoleActivity& current) {
            return waitingStopped() || (!drawn && current.outputSinceStart);
        });
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

bool ConsoleSession::waitQuiet(std::chrono::milliseconds quiet, std::chrono::steady_clock::time_point deadline) {
    return waitQuietUntil(quiet, deadline, false);
}

void ConsoleSession::pauseUntil(std::chrono::steady_clock::time_point until) {
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        if (waitingStopped() || now >= until)
            return;
        const auto wakeAt = std::min(until, now + std::max(m_pollPeriod, std::chrono::milliseconds(1)));
        m_console.waitActivity(wakeAt, [&](const ConsoleActivity&) { return waitingStopped(); });
        pumpIfMainThread();
    }
}

bool ConsoleSession::waitForOutput(uint64_t seen, std::chrono::steady_clock::time_point until) {
    using Clock = std::chrono::steady_clock;
    for (;;) {
        if (m_console.activity().outputVersion != seen)
            return true;
        const auto now = Clock::now();
        if (waitingStopped() || now >= until)
            return false;
        const auto wakeAt = std::min(until, now + std::max(m_pollPeriod, std::chrono::milliseconds(1)));
        m_console.waitActivity(wakeAt, [&](const ConsoleActivity& current) {
            return waitingStopped() || current.outputVersion != seen;
        });
        pumpIfMainThread();
    }
}

}  // namespace qp
