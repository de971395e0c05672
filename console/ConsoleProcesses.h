#pragma once
// Every process started in one console, found again when the console ends: the program's
// session and process group, its descendants, and those that left both (a nohup'd child whose
// parent exited, a daemon that called setsid and forked again).
//
// How they are found: the hosting process becomes a child subreaper, so orphans of its
// descendants are re-parented to it instead of to init and stay reachable through the parent
// links; each console's programs carry an environment entry naming the console; and every
// look at /proc remembers the processes found (pid with start time). A process belongs to the
// console when it carries the console's entry, is in a session the console started, descends
// from a process of the console, or was found before with the same start time. Nothing else
// is ever signalled: a pid is checked again (start time, through a pidfd where the kernel has
// them) right before the signal, so a pid reused by an unrelated process is left alone.
//
// A cgroup would hold them too, but needs a writable, delegated cgroup v2 hierarchy, which
// many machines (containers, hybrid v1 set-ups, plain user sessions) do not give; the /proc
// walk works wherever /proc does.

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <sys/types.h>
#include <vector>

namespace qp {

// What /proc/PID/stat tells about a process; startTime tells it apart from a later process
// with the same pid.
struct ProcessInfo {
    pid_t pid = 0;
    pid_t ppid = 0;
    pid_t pgrp = 0;
    pid_t session = 0;
    char state = '?';  // 'Z' for a zombie
    uint64_t startTime = 0;
};

std::optional<ProcessInfo> ReadProcessInfo(pid_t pid);
std::vector<ProcessInfo> ListProcesses();
// True when the process's initial environment holds exactly `entry` ("NAME=value").
bool ProcessEnvironmentHas(pid_t pid, const std::string& entry);

// Makes the hosting process the reaper of its descendants' orphans (once; later calls do
// nothing). False when the kernel refused.
bool AdoptOrphans();

// A process started on purpose outside every console (a new window's instance): when it
// ends after being adopted, it is reaped by the next look at /proc.
void ReapWhenEnded(pid_t pid);

class ConsoleProcesses {
public:
    ConsoleProcesses();
    ConsoleProcesses(const ConsoleProcesses&) = delete;
    ConsoleProcesses& operator=(const ConsoleProcesses&) = delete;

    // The entry to put into the environment of every program started in the console.
    const std::string& environmentEntry() const { return m_entry; }
    static constexpr const char* EnvironmentName = "QUORVIA_PALLANT_CONSOLE";

    // A program was started in the console as the leader of a session of its own.
    void started(pid_t leader);
    // Looks at /proc: remembers the console's processes and reaps those of them that were
    // adopted and have ended. The number of live processes of the console.
    size_t track();
    // Ends every process of the console with SIGKILL (stopping them all first, so none can
    // fork behind the walk), waits until they are gone or the time is up, and reaps the
    // adopted ones. The number of processes signalled.
    size_t endAll(std::chrono::milliseconds timeout);

private:
    struct Member {
        uint64_t startTime;
        pid_t ppid;
        char state;
    };
    // The console's processes among `all` (by pid), remembered for the next look.
    std::map<pid_t, Member> membersLocked(const std::vector<ProcessInfo>& all);
    void reapLocked(const std::map<pid_t, Member>& members);

    std::mutex m_mutex;
    std::string m_entry;
    std::map<pid_t, uint64_t> m_sessions;  // session id -> when its leader started
    std::map<pid_t, uint64_t> m_known;     // pid -> start time
};

}  // namespace qp
