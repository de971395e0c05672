// qp_stubborn [children]: ignores SIGTERM, SIGHUP and SIGINT, forks `children` (default 2)
// that do the same and keep the terminal open, prints "pids: <own> <child>..." and then
// waits forever. Only SIGKILL ends it.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

int main(int argc, char** argv)
{
    std::signal(SIGTERM, SIG_IGN);
    std::signal(SIGHUP, SIG_IGN);
    std::signal(SIGINT, SIG_IGN);
    const int children = argc > 1 ? std::atoi(argv[1]) : 2;
    std::string pids = "pids: " + std::to_string(getpid());
    for (int i = 0; i < children; ++i) {
        const pid_t pid = fork();
        if (pid == 0) {
            for (;;)
                pause();
        }
        if (pid > 0)
            pids += " " + std::to_string(pid);
    }
    std::printf("%s\n", pids.c_str());
    std::fflush(stdout);
    for (;;)
        pause();
}
