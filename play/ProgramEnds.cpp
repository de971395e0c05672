#include "ProgramEnds.h"

#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qp {

namespace {

// True when the process has ended (a zombie not reaped yet, or gone), without reaping it.
bool processEnded(int pid) {
    siginfo_t info{};
    if (::waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
        return errno == ECHILD;
    return info.si_pid == pid;
}

// Waits until the process ends (true) or the wake descriptor is written (false).
bool waitForEnd(int pid, int wakeFd) {
#ifdef SYS_pidfd_open
    const int pidfd = int(::syscall(SYS_pidfd_open, pid, 0));
#else
    const int pidfd = -1;
    errno = ENOSYS;
#endif
    if (pidfd < 0 && errno == ESRCH)
        return true;
    pollfd fds[2] = {{wakeFd, POLLIN, 0}, {pidfd, POLLIN, 0}};
    bool ended = false;
    for (;;) {
        const int r = ::poll(fds, pidfd >= 0 ? 2 : 1, pidfd >= 0 ? -1 : 20);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 || fds[0].revents != 0)
            break;
        if (pidfd >= 0 ? fds[1].revents != 0 : processEnded(pid)) {
            ended = true;
            break;
        }
    }
    if (pidfd >= 0)
        ::close(pidfd);
    return ended;
}

}  // namespace

ProgramEndTrace::ProgramEndTrace(HostedConsole& console, TraceFile& trace)
    : m_console(console), m_trace(trace), m_wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    m_thread = std::thread([this] { run(); });
}

ProgramEndTrace::~ProgramEndTrace() {
    finish();
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

void ProgramEndTrace::wakeThread() {
    const uint64_t one = 1;
    if (m_wakeFd >= 0)
        [[maybe_unused]] auto written = ::write(m_wakeFd, &one, sizeof one);
    m_changed.notify_all();
}

bool ProgramEndTrace::reportIfEnded(std::unique_lock<std::mutex>&) {
    if (!m_command)
        return false;
    const std::optional<int> status = m_console.exitStatus();
    if (!status)
        return false;
    m_trace.programEnded(*m_command, *status, m_endNote);
    m_command.reset();
    m_pid = 0;
    return true;
}

void ProgramEndTrace::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&] { return m_stopping || (m_command && m_pid > 0); });
        if (m_stopping)
            return;
        const int pid = m_pid;
        const uint64_t serial = m_serial;
        lock.unlock();
        // Without an eventfd there is nothing to wake the wait but the process's end: the
        // fallback then looks at it every 20 ms.
        const bool ended = waitForEnd(pid, m_wakeFd);
        lock.lock();
        if (!ended || serial != m_serial || !m_command)
            continue;
        if (!reportIfEnded(lock)) {
            // Ended, yet the console holds another program or none: its status is lost.
            m_trace.programEnded(*m_command, -1, m_endNote);
            m_command.reset();
            m_pid = 0;
        }
    }
}

void ProgramEndTrace::programStarting() {
    std::unique_lock lock(m_mutex);
    reportIfEnded(lock);
}

void ProgramEndTrace::programStarted(std::string_view commandLine) {
    m_trace.programStarted(commandLine);
    watch(std::string(commandLine));
}

void ProgramEndTrace::watch(const std::string& commandLine) {
    std::unique_lock lock(m_mutex);
    if (m_finished)
        return;
    const int pid = m_console.programPid();
    // The program watched still runs: the command went to another window, not this console.
    if (m_command && pid != 0 && pid == m_pid)
        return;
    reportIfEnded(lock);
    m_command = commandLine;
    m_pid = pid;
    ++m_serial;
    if (pid == 0)
        reportIfEnded(lock);  // ended and reaped already
    m_changed.notify_all();
}

void ProgramEndTrace::finish() {
    {
        std::unique_lock lock(m_mutex);
        if (m_finished)
            return;
        m_finished = true;
        if (m_command && !reportIfEnded(lock)) {
            // Whoever writes the end now (this thread or the watching one) says why it came.
            m_endNote = "when the script ended";
            lock.unlock();
            m_console.killProgram();
            lock.lock();
            if (m_command && !reportIfEnded(lock)) {
                m_trace.programEnded(*m_command, -1, m_endNote);
                m_command.reset();
            }
        }
        m_stopping = true;
    }
    wakeThread();
    if (m_thread.joinable())
        m_thread.join();
}

}  // namespace qp
