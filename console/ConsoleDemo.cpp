// pallant-console-demo: starts a command in the hosted console, waits for it to end and
// prints the final screen as text.
//   pallant-console-demo [command words...]
// Without arguments it runs a short colourful shell script.

#include "ConsoleFuncs.h"
#include "Errors.h"
#include "HostedConsole.h"
#include "ShellCommand.h"
#include "SnapshotBuilder.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const char* kDefaultCommand =
    "/bin/sh -c \""
    "tput bold; tput setaf 2; echo 'Quorvia Pallant - hosted console demo'; tput sgr0; "
    "printf '\\033[31mred \\033[32mgreen \\033[34mblue \\033[7mreverse\\033[0m\\n'; "
    "printf 'box: \\342\\224\\214\\342\\224\\200\\342\\224\\220 caf\\303\\251 \\346\\274\\242\\345\\255\\227\\n'; "
    "echo terminal: $TERM, $(tput cols) x $(tput lines); "
    "uname -s\"";

std::string commandFromArguments(int argc, char** argv)
{
    if (argc < 2)
        return kDefaultCommand;
    return qp::ShellJoin(std::vector<std::string>(argv + 1, argv + argc));
}

}  // namespace

int main(int argc, char** argv)
{
    qp::ConsoleOptions options;
    options.settle = std::chrono::milliseconds(0);
    qp::HostedConsole console(nullptr, options);
    const std::string command = commandFromArguments(argc, argv);
    try {
        console.runInConsole(command);
    } catch (const qp::CantExecuteError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (console.isProgramActive() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    console.killProgram();
    console.drainOutput(std::chrono::milliseconds(500));
    const qp::SnapshotPtr screen = console.takeSnapshot();
    std::printf("%s", qp::SnapshotText(*screen).c_str());
    return 0;
}
