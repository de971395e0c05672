#pragma once
// The pseudo-terminal and the processes started in it. A program under test runs in a
// session of its own whose controlling terminal is the pty; failures of exec reach the
// parent through a close-on-exec pipe.

#include <string>
#include <sys/types.h>
#include <vector>

namespace qp {

// The pty pair, alive for the whole console. The console keeps the slave open too, so the
// master never reports a hang-up between programs and input typed meanwhile waits.
class Pty {
public:
    Pty(int cols, int rows);  // throws ConsoleError
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    int master() const { return m_master; }
    int slave() const { return m_slave; }
    void setSize(int cols, int rows);
    // The line discipline as a fresh terminal has it (canonical, echo, UTF-8), all stale
    // input dropped (in the kernel's buffers on both sides): set just before a program starts.
    void prepareForProgram();
    // No echo while no program runs, so keys sent then do not show on the screen.
    void quiesce();
    // Bytes the program wrote that nobody has read yet.
    size_t unreadOutput() const;

private:
    int m_master = -1;
    int m_slave = -1;
};

struct LaunchSpec {
    std::string path;                // the program file
    std::vector<std::string> args;   // argv, args[0] included
    std::vector<std::string> env;    // NAME=value
    int terminal = -1;               // the pty slave; -1 keeps the caller's standard handles
    bool detach = false;             // nobody waits for it: started through an intermediate process
};

struct LaunchResult {
    pid_t pid = 0;  // 0 when failed; when detached, the program's (not our child)
    int error = 0;  // errno of the failed start, 0 on success
};

LaunchResult Launch(const LaunchSpec& plan);

// True when the process sleeps in a call that waits for input (read, or the poll and
// select family): a program that has set itself up and waits for keys. False when it runs,
// waits for anything else, or its state cannot be read.
bool WaitsForInput(pid_t pid);

// The caller's environment with TERM set for the emulator and stale size variables dropped.
std::vector<std::string> ProgramEnvironment();

// The program under test: its process and its process group.
class ChildProcess {
public:
    ChildProcess() = default;
    explicit ChildProcess(pid_t pid) : m_pid(pid) {}
    pid_t pid() const { return m_pid; }
    bool held() const { return m_pid > 0; }
    // Reaps without blocking; true while the process runs.
    bool running();
    // SIGKILL to the whole process group (the caller then waits with running()).
    void killGroup();
    void forget() { m_pid = 0; m_reaped = false; m_exitCode = -1; }
    // Once reaped: the exit code, or 128 + the number of the signal that ended it; -1
    // before, or when someone else reaped it.
    int exitCode() const { return m_exitCode; }

private:
    pid_t m_pid = 0;
    bool m_reaped = false;
    int m_exitCode = -1;
};

}  // namespace qp
