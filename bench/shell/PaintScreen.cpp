// A program under test for the benchmark: repaints its whole screen in changing colours
// ten times a second until its terminal goes away.
#include <chrono>
#include <cstdio>
#include <string>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

int main()
{
    winsize ws{};
    int cols = 200, rows = 60;
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0 && ws.ws_row > 0) {
        cols = ws.ws_col;
        rows = ws.ws_row;
    }
    std::string frame;
    for (unsigned n = 0;; ++n) {
        frame.assign("\x1b[H");
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < cols; c += 10) {
                const unsigned colour = (n + unsigned(r) + unsigned(c / 10)) % 16;
                frame += "\x1b[" + std::to_string(colour < 8 ? 30 + colour : 90 + colour - 8) + ";"
                    + std::to_string(40 + (colour + 3) % 8) + "m";
                for (int k = 0; k < 10 && c + k < cols; ++k)
                    frame += char('A' + (n + unsigned(r + c + k)) % 26);
            }
            if (r + 1 < rows)
                frame += "\r\n";
        }
        frame += "\x1b[0m";
        if (write(STDOUT_FILENO, frame.data(), frame.size()) < 0)
            return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}
