#include "ConsoleProcesses.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <random>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qp {

namespace {

// Reads a small /proc file whole (at most `limit` bytes).
std::string readProcFile(const std::string& path, size_t limit)
{
    std::string data;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return data;
    char buffer[4096];
    while (data.size() < limit) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        data.append(buffer, size_t(n));
    }
    close(fd);
    return data;
}

// The environment of a process may be long; the entry we look for is set by us near the
// end, so read up to this much.
constexpr size_t kEnvironmentLimit = 1 << 20;

std::mutex& reapListMutex()
{
    static std::mutex m;
    return m;
}

std::set<pid_t>& reapList()
{
    static std::set<pid_t> pids;
    return pids;
}

void reapIfAdoptedZombie(pid_t pid)
{
    const auto info = ReadProcessInfo(pid);
    if (info && info->state == 'Z' && info->ppid == getpid())
        waitpid(pid, nullptr, WNOHANG);
}

// The process `pid`, if it still is the one that started at startTime, gets sig. Returns a
// pidfd to wait for its end (or -1 when the kernel has none; the signal is sent anyway),
// and false in `sent` when the pid now names another process or none.
int signalVerified(pid_t pid, uint64_t startTime, int sig, bool& sent)
{
    sent = false;
    const int fd = int(syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0 && errno != ENOSYS && errno != EINVAL)
        return -1;  // gone
    // With a pidfd the pid cannot be reused before the check below is acted on.
    const auto info = ReadProcessInfo(pid);
    if (!info || info->startTime != startTime) {
        if (fd >= 0)
            close(fd);
        return -1;
    }
    if (fd >= 0)
        sent = syscall(SYS_pidfd_send_signal, fd, sig, nullptr, 0) == 0;
    else
        sent = kill(pid, sig) == 0;
    return fd;
}

}  // namespace

std::optional<ProcessInfo> ReadProcessInfo(pid_t pid)
{
    const std::string stat = readProcFile("/proc/" + std::to_string(pid) + "/stat", 4096);
    const size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    // After the command's name: state ppid pgrp session tty tpgid flags minflt cminflt majflt
    // cmajflt utime stime cutime cstime priority nice threads itrealvalue starttime ...
    char state = '?';
    long long ppid = 0, pgrp = 0, session = 0;
    unsigned long long start = 0;
    if (std::sscanf(stat.c_str() + close + 1,
                    " %c %lld %lld %lld %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d %*d %*d %*d %llu", &state,
                    &ppid, &pgrp, &session, &start) != 5)
        return std::nullopt;
    return ProcessInfo{pid, pid_t(ppid), pid_t(pgrp), pid_t(session), state, start};
}

std::vector<ProcessInfo> ListProcesses()
{
    std::vector<ProcessInfo> all;
    DIR* dir = opendir("/proc");
    if (!dir)
        return all;
    while (dirent* entry = readdir(dir)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0')
            continue;
        if (auto info = ReadProcessInfo(pid_t(pid)))
            all.push_back(*info);
    }
    closedir(dir);
    return all;
}

bool ProcessEnvironmentHas(pid_t pid, const std::string& entry)
{
    const std::string env = readProcFile("/proc/" + std::to_string(pid) + "/environ", kEnvironmentLimit);
    for (size_t pos = 0; pos < env.size();) {
        size_t end = env.find('\0', pos);
        if (end == std::string::npos)
            end = env.size();
        if (env.compare(pos, end - pos, entry) == 0)
            return true;
        pos = end + 1;
    }
    return false;
}

bool AdoptOrphans()
{
    static const bool adopted = prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) == 0;
    return adopted;
}

void ReapWhenEnded(pid_t pid)
{
    if (pid <= 0)
        return;
    std::lock_guard lock(reapListMutex());
    reapList().insert(pid);
}

ConsoleProcesses::ConsoleProcesses()
{
    AdoptOrphans();
    static std::atomic<unsigned> serial{0};
    std::random_device random;
    char value[64];
    std::snprintf(value, sizeof value, "%d.%u.%08x%08x", int(getpid()), serial.fetch_add(1) + 1, random(), random());
    m_entry = std::string(EnvironmentName) + "=" + value;
}

void ConsoleProcesses::started(pid_t leader)
{
    const auto info = ReadProcessInfo(leader);
    std::lock_guard lock(m_mutex);
    m_sessions[leader] = info ? info->startTime : 0;
    if (info)
        m_known[leader] = info->startTime;
}

std::map<pid_t, ConsoleProcesses::Member> ConsoleProcesses::membersLocked(const std::vector<ProcessInfo>& all)
{
    const pid_t self = getpid();
    std::map<pid_t, Member> members;
    std::map<pid_t, std::vector<const ProcessInfo*>> children;
    std::set<pid_t> liveSessions;
    for (const ProcessInfo& p : all) {
        liveSessions.insert(p.session);
        if (p.pid == self)
            continue;
        children[p.ppid].push_back(&p);
        bool member = false;
        if (auto k = m_known.find(p.pid); k != m_known.end() && k->second == p.startTime)
            member = true;
        else if (auto s = m_sessions.find(p.session); s != m_sessions.end() && p.startTime >= s->second)
            member = true;
        else if (p.state != 'Z' && ProcessEnvironmentHas(p.pid, m_entry))
            member = true;
        if (member)
            members[p.pid] = Member{p.startTime, p.ppid, p.state};
    }
    // Descendants of members are members.
    std::vector<pid_t> pending;
    for (const auto& [pid, m] : members)
        pending.push_back(pid);
    while (!pending.empty()) {
        const pid_t parent = pending.back();
        pending.pop_back();
        for (const ProcessInfo* child : children[parent])
            if (members.emplace(child->pid, Member{child->startTime, child->ppid, child->state}).second)
                pending.push_back(child->pid);
    }
    m_known.clear();
    for (const auto& [pid, m] : members)
        m_known[pid] = m.startTime;
    // A session with no process left is over: its number may name an unrelated one later.
    for (auto it = m_sessions.begin(); it != m_sessions.end();)
        it = liveSessions.count(it->first) ? std::next(it) : m_sessions.erase(it);
    return members;
}

void ConsoleProcesses::reapLocked(const std::map<pid_t, Member>& members)
{
    const pid_t self = getpid();
    for (const auto& [pid, m] : members)
        if (m.state == 'Z' && m.ppid == self)
            waitpid(pid, nullptr, WNOHANG);
    std::set<pid_t> others;
    {
        std::lock_guard lock(reapListMutex());
        others.swap(reapList());
    }
    std::set<pid_t> stillThere;
    for (pid_t pid : others) {
        reapIfAdoptedZombie(pid);
        if (kill(pid, 0) == 0 || errno == EPERM)
            stillThere.insert(pid);
    }
    std::lock_guard lock(reapListMutex());
    reapList().insert(stillThere.begin(), stillThere.end());
}

size_t ConsoleProcesses::track()
{
    std::lock_guard lock(m_mutex);
    const auto members = membersLocked(ListProcesses());
    reapLocked(members);
    size_t live = 0;
    for (const auto& [pid, m] : members)
        live += m.state != 'Z';
    return live;
}

size_t ConsoleProcesses::endAll(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::lock_guard lock(m_mutex);
    std::set<pid_t> signalled;
    // First stop them all, looking again until no new process shows up, so that none forks
    // a child the walk has not seen yet while the others are being killed.
    for (int round = 0; round < 32 && std::chrono::steady_clock::now() < deadline; ++round) {
        bool fresh = false;
        for (const auto& [pid, m] : membersLocked(ListProcesses())) {
            if (m.state == 'Z' || signalled.count(pid))
                continue;
            bool sent = false;
            const int fd = signalVerified(pid, m.startTime, SIGSTOP, sent);
            if (fd >= 0)
                close(fd);
            if (sent) {
                signalled.insert(pid);
                fresh = true;
            }
        }
        if (!fresh)
            break;
    }
    // Then kill whatever belongs to the console, until nothing of it lives.
    size_t killed = 0;
    for (;;) {
        auto members = membersLocked(ListProcesses());
        reapLocked(members);
        std::vector<pollfd> waits;
        for (const auto& [pid, m] : members) {
            if (m.state == 'Z')
                continue;
            bool sent = false;
            const int fd = signalVerified(pid, m.startTime, SIGKILL, sent);
            killed += sent;
            if (fd >= 0)
                waits.push_back(pollfd{fd, POLLIN, 0});
        }
        if (waits.empty() && std::none_of(members.begin(), members.end(),
                                          [](const auto& m) { return m.second.state != 'Z'; }))
            break;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            for (const pollfd& w : waits)
                close(w.fd);
            break;
        }
        // A pidfd becomes readable when its process has ended; wait for all, then look again.
        for (pollfd& w : waits) {
            const auto remaining =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (remaining.count() > 0)
                while (poll(&w, 1, int(std::min<int64_t>(remaining.count(), 100))) < 0 && errno == EINTR) {
                }
            close(w.fd);
        }
        if (waits.empty())
            poll(nullptr, 0, 2);  // no pidfds on this kernel: look again shortly
    }
    return std::max(killed, signalled.size());
}

}  // namespace qp
