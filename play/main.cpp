// pallant-play: plays VBScript test scripts against programs in a hosted console with no
// window, for test runs in CI.

#include "PlayOptions.h"
#include "SuiteRun.h"

#include <clocale>
#include <csignal>
#include <iostream>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// The terminal's width when standard output is one, else 0.
int terminalWidth() {
    if (!isatty(STDOUT_FILENO))
        return 0;
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

int run(const qp::PlayOptions& options) {
    const int width = terminalWidth();
    return qp::RunSuite(options, std::cout, std::cerr, width > 0, width);
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    // A program under test that closes its terminal must not take the player with it.
    std::signal(SIGPIPE, SIG_IGN);
    const auto parsed = qp::ParsePlayOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::cerr << "pallant-play: " << parsed.error << "\n\n" << qp::PlayUsage();
        return 2;
    }
    if (parsed.options->help) {
        std::cout << qp::PlayUsage();
        return 0;
    }
    if (parsed.options->version) {
        std::cout << "pallant-play " << QP_VERSION << "\n";
        return 0;
    }
    try {
        return run(*parsed.options);
    } catch (const std::exception& e) {
        std::cerr << "pallant-play: " << e.what() << "\n";
        return 2;
    }
}
