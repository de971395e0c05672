// Reports every byte its terminal sends it, for the end-to-end key tests.
//   keybytes OUTFILE [--app-cursor]
// Puts the terminal in raw mode (no echo, no line editing, no signals, no CR/NL mapping),
// optionally switches the terminal to application cursor keys, shows READY, and only then
// creates OUTFILE. Every byte read is appended to it as two hex digits and a blank.

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <termios.h>
#include <unistd.h>

static void writeAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        data += n;
        size -= size_t(n);
    }
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: keybytes OUTFILE [--app-cursor]\n");
        return 2;
    }
    termios raw{};
    if (tcgetattr(STDIN_FILENO, &raw) != 0) {
        std::perror("tcgetattr");
        return 1;
    }
    cfmakeraw(&raw);
    if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) {
        std::perror("tcsetattr");
        return 1;
    }
    const bool appCursor = argc > 2 && std::strcmp(argv[2], "--app-cursor") == 0;
    const std::string banner = std::string(appCursor ? "\x1b[?1h" : "\x1b[?1l") + "READY\r\n";
    writeAll(STDOUT_FILENO, banner.data(), banner.size());

    const int out = open(argv[1], O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0644);
    if (out < 0) {
        std::perror("open");
        return 1;
    }
    char buffer[256];
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        std::string hex;
        for (ssize_t i = 0; i < n; ++i) {
            char pair[4];
            std::snprintf(pair, sizeof pair, "%02x ", unsigned(uint8_t(buffer[i])));
            hex += pair;
        }
        writeAll(out, hex.data(), hex.size());
    }
    close(out);
    return 0;
}
