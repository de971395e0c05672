// qp_trickle COUNT GAP_US: writes COUNT dots one write() each, GAP_US microseconds apart
// (waited for awake, so the machine's timer slack does not stretch the gaps), then "end",
// and waits for its input to close.

#include <chrono>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    const long count = std::atol(argv[1]);
    const auto gap = std::chrono::microseconds(std::atol(argv[2]));
    auto next = std::chrono::steady_clock::now();
    for (long i = 0; i < count; ++i) {
        if (write(1, ".", 1) != 1)
            return 1;
        next += gap;
        while (std::chrono::steady_clock::now() < next) {
        }
    }
    if (write(1, "end", 3) != 3)
        return 1;
    char c;
    while (read(0, &c, 1) > 0) {
    }
    return 0;
}
