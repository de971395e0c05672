// qp_keyecho [app]: puts its terminal in raw mode and shows every chunk of bytes it
// receives as one line of hex, "[1b 5b 41]". With "app" it first switches the terminal to
// application cursor mode. Prints "ready" when it listens; ends on the byte 0x1D (Ctrl+]).

#include <cstdio>
#include <cstring>
#include <termios.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    termios t{};
    tcgetattr(0, &t);
    cfmakeraw(&t);
    t.c_oflag |= OPOST | ONLCR;
    tcsetattr(0, TCSANOW, &t);
    if (argc > 1 && std::strcmp(argv[1], "app") == 0)
        std::printf("\033[?1h");
    std::printf("ready\n");
    std::fflush(stdout);
    unsigned char buf[256];
    for (;;) {
        const ssize_t n = read(0, buf, sizeof buf);
        if (n <= 0)
            return 0;
        std::printf("[");
        for (ssize_t i = 0; i < n; ++i)
            std::printf(i ? " %02x" : "%02x", buf[i]);
        std::printf("]\n");
        std::fflush(stdout);
        if (std::memchr(buf, 0x1D, size_t(n)))
            return 0;
    }
}
