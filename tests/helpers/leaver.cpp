// qp_leaver MODE: leaves processes behind the way careless or hostile programs do, prints
// "left: <pid>..." (the processes meant to outlive it) and then, unless told to stay, exits.
//   nohup    a child that ignores SIGHUP and SIGTERM stays in the session; the program exits
//   daemon   a grandchild in a session of its own (fork, setsid, fork), ignoring SIGHUP and
//            SIGTERM; the program exits
//   stay     both of the above, and the program itself ignores SIGHUP and SIGTERM and stays
// The processes left behind wait forever: only SIGKILL ends them. With QP_LEAVER_FILE set,
// the line is also written to that file.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

[[noreturn]] void waitForever()
{
    std::signal(SIGHUP, SIG_IGN);
    std::signal(SIGTERM, SIG_IGN);
    std::signal(SIGINT, SIG_IGN);
    for (;;)
        pause();
}

pid_t nohupChild()
{
    const pid_t pid = fork();
    if (pid == 0)
        waitForever();
    return pid;
}

// The daemon's pid comes back through a pipe from the intermediate process.
pid_t daemonGrandchild()
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    const pid_t middle = fork();
    if (middle == 0) {
        close(fds[0]);
        setsid();
        const pid_t daemon = fork();
        if (daemon == 0) {
            close(fds[1]);
            close(0);
            close(1);
            close(2);
            waitForever();
        }
        write(fds[1], &daemon, sizeof daemon);
        _exit(0);
    }
    close(fds[1]);
    pid_t daemon = -1;
    read(fds[0], &daemon, sizeof daemon);
    close(fds[0]);
    waitpid(middle, nullptr, 0);
    return daemon;
}

}  // namespace

int main(int argc, char** argv)
{
    // Before any fork: a child must not be hung up on before it ignores it.
    std::signal(SIGHUP, SIG_IGN);
    std::signal(SIGTERM, SIG_IGN);
    const std::string mode = argc > 1 ? argv[1] : "";
    std::string left = "left:";
    if (mode == "nohup" || mode == "stay")
        left += " " + std::to_string(nohupChild());
    if (mode == "daemon" || mode == "stay")
        left += " " + std::to_string(daemonGrandchild());
    if (mode == "stay")
        left += " " + std::to_string(getpid());
    std::printf("%s\n", left.c_str());
    std::fflush(stdout);
    if (const char* path = std::getenv("QP_LEAVER_FILE")) {
        // Written whole under another name, then renamed: a reader never sees half of it.
        const std::string temp = std::string(path) + ".part";
        if (FILE* f = std::fopen(temp.c_str(), "w")) {
            std::fprintf(f, "%s\n", left.c_str());
            std::fclose(f);
            std::rename(temp.c_str(), path);
        }
    }
    if (mode == "stay")
        waitForever();
    return 0;
}
