#include "PlayerConsoles.h"

#include "script/ZEBConsole.h"

#include <stdexcept>

namespace qp {

PlayerConsoles::PlayerConsoles(ConsoleOptions options, ScriptTimings timings, std::shared_ptr<ConsoleSession> first,
                               TraceFile* trace)
    : m_options(std::move(options)), m_timings(timings), m_first(std::move(first)), m_trace(trace)
{
}

PlayerConsoles::~PlayerConsoles()
{
    m_first->setRemoteRunner(nullptr);
    std::vector<std::unique_ptr<Entry>> entries;
    {
        std::lock_guard lock(m_mutex);
        entries.swap(m_entries);
    }
    for (auto& e : entries) {
        e->session->clearConsoleObject();
        if (e->ends) {
            e->ends->finish();
            e->session->setTraceListener(nullptr);
        }
        e->console->killProgram();
    }
}

void PlayerConsoles::serve(ConsoleSession& session)
{
    session.setRemoteRunner([this](const std::u16string& cmdLine) { return run(cmdLine); });
}

vbs::ObjectRef PlayerConsoles::run(const std::u16string& cmdLine)
{
    auto entry = std::make_unique<Entry>();
    entry->console = std::make_unique<HostedConsole>(&entry->listener, m_options);
    entry->session = std::make_shared<ConsoleSession>(*entry->console, m_timings);
    entry->listener.attach(entry->session);
    if (m_trace) {
        entry->ends = std::make_shared<ProgramEndTrace>(*entry->console, *m_trace);
        entry->session->setTraceListener(entry->ends);
    }
    entry->session->setGoldenScreens(m_first->goldenScreens());
    entry->session->setErrorBox([first = m_first](const std::string& message) { first->showError(message); });
    serve(*entry->session);
    vbs::ObjectRef object = ZEBConsole::create(entry->session);
    entry->session->setConsoleObject(object);
    ConsoleSession& session = *entry->session;
    {
        std::lock_guard lock(m_mutex);
        if (m_entries.size() >= kMaxConsoles)
            throw std::runtime_error(std::string(TooManyConsoles));
        m_entries.push_back(std::move(entry));  // kept (and cleaned up) even when the start fails
    }
    runInSessionConsole(session, cmdLine);
    return object;
}

void PlayerConsoles::finishTraces()
{
    std::lock_guard lock(m_mutex);
    for (auto& e : m_entries)
        if (e->ends)
            e->ends->finish();
}

void PlayerConsoles::stopWaiting()
{
    std::lock_guard lock(m_mutex);
    for (auto& e : m_entries)
        e->session->stopWaiting();
}

size_t PlayerConsoles::count() const
{
    std::lock_guard lock(m_mutex);
    return m_entries.size();
}

}  // namespace qp
