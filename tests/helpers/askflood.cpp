// qp_askflood COUNT [read]: a program that asks its terminal for status and never reads
// the answers. Puts the terminal in raw mode, writes COUNT requests (device attributes and
// cursor position, in turn), then prints "flooded" and waits for a signal. With "read", on
// SIGUSR1 it reads its input until "KEYS" arrives and prints how many bytes came first:
// "keys after N bytes".

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <termios.h>
#include <unistd.h>

static bool writeAll(const std::string& bytes)
{
    for (size_t at = 0; at < bytes.size();) {
        const ssize_t n = write(1, bytes.data() + at, bytes.size() - at);
        if (n <= 0)
            return false;
        at += size_t(n);
    }
    return true;
}

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const long count = std::strtol(argv[1], nullptr, 10);
    const bool thenRead = argc > 2 && std::string(argv[2]) == "read";
    sigset_t usr1;
    sigemptyset(&usr1);
    sigaddset(&usr1, SIGUSR1);
    sigprocmask(SIG_BLOCK, &usr1, nullptr);
    termios raw{};
    if (tcgetattr(0, &raw) == 0) {
        cfmakeraw(&raw);
        tcsetattr(0, TCSANOW, &raw);
    }
    auto requests = [](long n) {
        std::string out;
        for (long i = 0; i < n; ++i)
            out += i % 2 ? "\x1b[6n" : "\x1b[c";
        return out;
    };
    const std::string block = requests(4096);
    for (long i = 0; i < count / 4096; ++i)
        if (!writeAll(block))
            return 1;
    if (!writeAll(requests(count % 4096)))
        return 1;
    writeAll("flooded\r\n");
    if (!thenRead) {
        for (;;)
            pause();
    }
    int signal = 0;
    sigwait(&usr1, &signal);
    std::string seen;
    char buf[65536];
    for (;;) {
        const ssize_t n = read(0, buf, sizeof buf);
        if (n <= 0)
            return 1;
        seen.append(buf, size_t(n));
        const size_t at = seen.find("KEYS");
        if (at != std::string::npos) {
            writeAll("keys after " + std::to_string(at) + " bytes\r\n");
            for (;;)
                pause();
        }
    }
}
