// qp_splitwrite TEXT...: writes each argument with a separate write() and a pause of
// 150 ms between them, so one character can be split across two reads of the terminal.
// Arguments may hold \xHH escapes.

#include <cstdlib>
#include <string>
#include <unistd.h>

static std::string unescape(const char* s)
{
    std::string out;
    for (; *s; ++s) {
        if (s[0] == '\\' && s[1] == 'x' && s[2] && s[3]) {
            const char hex[3] = {s[2], s[3], 0};
            out += char(std::strtol(hex, nullptr, 16));
            s += 3;
        } else {
            out += *s;
        }
    }
    return out;
}

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string bytes = unescape(argv[i]);
        if (write(1, bytes.data(), bytes.size()) < 0)
            return 1;
        usleep(150 * 1000);
    }
    return 0;
}
