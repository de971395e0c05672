// A program under test that will not stop when asked: it ignores every signal a terminal or
// a polite kill sends, says so, and waits forever.
#include <csignal>
#include <cstdio>
#include <unistd.h>

int main() {
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGTSTP, SIGTTIN, SIGTTOU, SIGUSR1, SIGUSR2})
        std::signal(sig, SIG_IGN);
    std::printf("ignoring signals\n");
    std::fflush(stdout);
    for (;;)
        pause();
}
