#include "ProgramInfo.h"

namespace qp {

namespace {
constexpr const char* kUsage =
    "Usage: pallant [COMMAND [ARGUMENT]...]\n"
    "       pallant -RegServer | -UnregServer\n"
    "       pallant --help | --version\n"
    "\n"
    "Runs COMMAND, a text-mode program, in a console of its own and mirrors its screen\n"
    "in a window: keys typed there go to the program, can be recorded as a script and\n"
    "played back. Without a command the window opens with an empty console; Run... starts\n"
    "one later.\n"
    "\n"
    "  -RegServer     register the automation classes on the session bus, then end\n"
    "  -UnregServer   remove that registration, then end\n"
    "  -Embedding     (given by the bus) start for automation clients\n"
    "  --help         show this text, then end\n"
    "  --version      show the version, then end\n"
    "\n"
    "Every other argument belongs to COMMAND, options included.\n";
}  // namespace

std::optional<int> AnswerInfoRequest(const std::vector<std::string>& args, std::ostream& out)
{
    if (args.empty())
        return std::nullopt;
    if (args.front() == "--help") {
        out << kUsage;
        return 0;
    }
    if (args.front() == "--version") {
        out << kVersionText << '\n';
        return 0;
    }
    return std::nullopt;
}

}  // namespace qp
