#include "PtyProcess.h"

#include "Errors.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/close_range.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

extern char** environ;

namespace qp {

namespace {

void setCloexec(int fd)
{
    fcntl(fd, F_SETFD, fcntl(fd, F_GETFD) | FD_CLOEXEC);
}

void setNonBlocking(int fd)
{
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

winsize windowSize(int cols, int rows)
{
    winsize ws{};
    ws.ws_col = static_cast<unsigned short>(cols);
    ws.ws_row = static_cast<unsigned short>(rows);
    return ws;
}

termios freshTermios(int fd)
{
    termios t{};
    tcgetattr(fd, &t);
    t.c_iflag = ICRNL | IXON | IUTF8 | BRKINT | IMAXBEL;
    t.c_oflag = OPOST | ONLCR;
    t.c_cflag = (t.c_cflag & ~(CSIZE | PARENB)) | CS8 | CREAD;
    t.c_lflag = ISIG | ICANON | ECHO | ECHOE | ECHOK | ECHOCTL | ECHOKE | IEXTEN;
    t.c_cc[VINTR] = 0x03;
    t.c_cc[VQUIT] = 0x1C;
    t.c_cc[VERASE] = 0x7F;
    t.c_cc[VKILL] = 0x15;
    t.c_cc[VEOF] = 0x04;
    t.c_cc[VSTART] = 0x11;
    t.c_cc[VSTOP] = 0x13;
    t.c_cc[VSUSP] = 0x1A;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    return t;
}

// Everything the child needs, made before fork: after it only async-signal-safe calls.
struct ExecImage {
    std::vector<char*> argv;
    std::vector<char*> shArgv;  // the same through /bin/sh, for a script without "#!"
    std::vector<char*> envp;
    explicit ExecImage(const LaunchSpec& plan)
    {
        for (const std::string& a : plan.args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        shArgv.push_back(const_cast<char*>("sh"));
        shArgv.push_back(const_cast<char*>(plan.path.c_str()));
        for (size_t i = 1; i < plan.args.size(); ++i)
            shArgv.push_back(const_cast<char*>(plan.args[i].c_str()));
        shArgv.push_back(nullptr);
        for (const std::string& e : plan.env)
            envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
    }
};

[[noreturn]] void failChild(int errorPipe, int error)
{
    while (write(errorPipe, &error, sizeof error) < 0 && errno == EINTR) {
    }
    _exit(127);
}

// In the child: default signal handling, the terminal as standard handles, no other
// descriptors, then exec. Returns only by _exit.
[[noreturn]] void execChild(const LaunchSpec& plan, const ExecImage& image, int errorPipe)
{
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig)
        sigaction(sig, &dfl, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    if (plan.terminal >= 0) {
        ioctl(plan.terminal, TIOCSCTTY, 0);  // without it the program still runs, only without job control
        for (int fd = 0; fd < 3; ++fd)
            if (dup2(plan.terminal, fd) < 0)
                failChild(errorPipe, errno);
    }
    syscall(SYS_close_range, 3u, ~0u, CLOSE_RANGE_CLOEXEC);
    execve(plan.path.c_str(), image.argv.data(), image.envp.data());
    if (errno == ENOEXEC)
        execve("/bin/sh", image.shArgv.data(), image.envp.data());
    failChild(errorPipe, errno);
}

int readExecError(int fd)
{
    int error = 0;
    ssize_t n;
    while ((n = read(fd, &error, sizeof error)) < 0 && errno == EINTR) {
    }
    return n == ssize_t(sizeof error) ? error : 0;
}

void waitFor(pid_t pid)
{
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

Pty::Pty(int cols, int rows)
{
    winsize ws = windowSize(cols, rows);
    if (openpty(&m_master, &m_slave, nullptr, nullptr, &ws) != 0)
        throw ConsoleError(errno);
    setCloexec(m_master);
    setCloexec(m_slave);
    setNonBlocking(m_master);
    quiesce();
}

Pty::~Pty()
{
    close(m_master);
    close(m_slave);
}

void Pty::setSize(int cols, int rows)
{
    winsize ws = windowSize(cols, rows);
    ioctl(m_master, TIOCSWINSZ, &ws);
}

void Pty::prepareForProgram()
{
    termios t = freshTermios(m_slave);
    tcsetattr(m_slave, TCSANOW, &t);
    // What the master wrote and the line discipline has not taken in yet (flushing the
    // master's output drops the slave's pending input buffer), then what it holds.
    tcflush(m_master, TCOFLUSH);
    tcflush(m_slave, TCIFLUSH);
}

void Pty::quiesce()
{
    termios t = freshTermios(m_slave);
    t.c_lflag &= ~tcflag_t(ECHO | ECHOE | ECHOK | ECHOCTL | ECHOKE | ICANON);
    tcsetattr(m_slave, TCSANOW, &t);
}

size_t Pty::unreadOutput() const
{
    int n = 0;
    return ioctl(m_master, FIONREAD, &n) == 0 && n > 0 ? size_t(n) : 0;
}

std::vector<std::string> ProgramEnvironment()
{
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("TERM=", 0) == 0 || entry.rfind("COLUMNS=", 0) == 0 || entry.rfind("LINES=", 0) == 0)
            continue;
        env.push_back(entry);
    }
    env.push_back("TERM=xterm-256color");
    return env;
}

LaunchResult Launch(const LaunchSpec& plan)
{
    const ExecImage image(plan);
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return {0, errno};
    const pid_t pid = fork();
    if (pid < 0) {
        const int error = errno;
        close(pipeFds[0]);
        close(pipeFds[1]);
        return {0, error};
    }
    if (pid == 0) {
        close(pipeFds[0]);
        setsid();
        if (plan.detach) {
            // The intermediate process ends at once; the program is adopted by init.
            const pid_t grandchild = fork();
            if (grandchild < 0)
                failChild(pipeFds[1], errno);
            if (grandchild > 0) {
                // Its pid, as a negative number so it is not taken for an error.
                const int tag = -int(grandchild);
                while (write(pipeFds[1], &tag, sizeof tag) < 0 && errno == EINTR) {
                }
                _exit(0);
            }
        }
        execChild(plan, image, pipeFds[1]);
    }
    close(pipeFds[1]);
    // Detached: the intermediate process's report of the program's pid and the program's
    // failed exec may come in either order.
    pid_t detached = 0;
    int error = 0;
    for (int round = 0; round < (plan.detach ? 2 : 1); ++round) {
        const int value = readExecError(pipeFds[0]);
        if (value < 0)
            detached = pid_t(-value);
        else if (value > 0)
            error = value;
    }
    close(pipeFds[0]);
    if (plan.detach || error != 0) {
        waitFor(pid);
        // A program that failed to start was adopted by this process if it reaps orphans.
        if (detached > 0 && error != 0)
            while (waitpid(detached, nullptr, 0) < 0 && errno == EINTR) {
            }
        return {error == 0 ? detached : 0, error};
    }
    return {pid, 0};
}

bool WaitsForInput(pid_t pid)
{
    if (pid <= 0)
        return false;
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", int(pid));
    char state = 0;
    if (FILE* f = std::fopen(path, "re")) {
        char line[512];
        const size_t n = std::fread(line, 1, sizeof line - 1, f);
        std::fclose(f);
        line[n] = 0;
        // The state follows the last ')' (the command name may hold one).
        if (const char* close = std::strrchr(line, ')'); close && close[1] == ' ')
            state = close[2];
    }
    if (state != 'S')
        return false;
    std::snprintf(path, sizeof path, "/proc/%d/syscall", int(pid));
    long number = -1;
    if (FILE* f = std::fopen(path, "re")) {
        if (std::fscanf(f, "%ld", &number) != 1)
            number = -1;  // "running"
        std::fclose(f);
    }
    static const long waiting[] = {
        SYS_read, SYS_readv, SYS_ppoll, SYS_pselect6, SYS_epoll_pwait,
#ifdef SYS_poll
        SYS_poll,
#endif
#ifdef SYS_select
        SYS_select,
#endif
#ifdef SYS_epoll_wait
        SYS_epoll_wait,
#endif
    };
    for (long w : waiting)
        if (number == w)
            return true;
    return false;
}

bool ChildProcess::running()
{
    if (m_pid <= 0 || m_reaped)
        return false;
    int status = 0;
    pid_t r;
    while ((r = waitpid(m_pid, &status, WNOHANG)) < 0 && errno == EINTR) {
    }
    if (r == 0)
        return true;
    m_reaped = true;  // ended (or reaped by someone else: ECHILD)
    if (r == m_pid)
        m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
    return false;
}

void ChildProcess::killGroup()
{
    if (m_pid <= 0 || m_reaped)
        return;
    // The leader is not reaped yet, so its group id still names its own group.
    kill(-m_pid, SIGKILL);
    kill(m_pid, SIGKILL);
}

}  // namespace qp
