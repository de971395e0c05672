#pragma once
// The consoles a headless script starts beside its own: with no second instance to start,
// a RunCommand while a program runs opens another console in this player and returns its
// Console object, so one script can drive a server and a client. Every console, with what
// runs in it, ends when the script ends.

#include "script/ConsoleSession.h"
#include "console/HostedConsole.h"
#include "ProgramEnds.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qp {

class PlayerConsoles {
public:
    // A player holds at most this many consoles besides the first: a script that loops on
    // RunCommand gets an error instead of exhausting the machine.
    static constexpr size_t kMaxConsoles = 16;

    // `first` is the script's own session: its error box, golden screens and timings are
    // shared; `trace` (may be null) gets each console's keys, checks, starts and ends.
    PlayerConsoles(ConsoleOptions options, ScriptTimings timings, std::shared_ptr<ConsoleSession> first,
                   TraceFile* trace = nullptr);
    ~PlayerConsoles();  // kills every program and frees every console
    PlayerConsoles(const PlayerConsoles&) = delete;
    PlayerConsoles& operator=(const PlayerConsoles&) = delete;

    // Installs the runner on a session: its RunCommand while busy comes here.
    void serve(ConsoleSession& session);
    // Starts the command line in a new console and returns its Console object. A command
    // that cannot start is shown in the error box and ends with OperationAborted.
    vbs::ObjectRef run(const std::u16string& cmdLine);
    // The script has ended: the end of every program of the extra consoles is written into
    // the trace (ending those still running).
    void finishTraces();
    // Cuts every wait of the extra consoles short (the time limit).
    void stopWaiting();
    size_t count() const;

private:
    struct Entry {
        SessionScreenListener listener;
        std::unique_ptr<HostedConsole> console;
        std::shared_ptr<ProgramEndTrace> ends;    // ended before its console
        std::shared_ptr<ConsoleSession> session;  // destroyed before its console
    };

    ConsoleOptions m_options;
    ScriptTimings m_timings;
    std::shared_ptr<ConsoleSession> m_first;
    TraceFile* m_trace;
    mutable std::mutex m_mutex;  // guards m_entries
    std::vector<std::unique_ptr<Entry>> m_entries;
};

// The text of the error a RunCommand gets when the player holds its most consoles.
inline constexpr std::string_view TooManyConsoles = "No more consoles can be started in this player";

}  // namespace qp
