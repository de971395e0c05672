#include "PlayOptions.h"

#include <charconv>
#include <functional>
#include <map>

namespace qp {

namespace {

bool parseInt(const std::string& text, long long lo, long long hi, long long& out) {
    long long v = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, v);
    if (ec != std::errc() || p != end || text.empty() || v < lo || v > hi)
        return false;
    out = v;
    return true;
}

bool parseSize(const std::string& text, PlayOptions& o) {
    const size_t x = text.find_first_of("xX");
    long long cols = 0, rows = 0;
    if (x == std::string::npos || !parseInt(text.substr(0, x), 2, 1000, cols) ||
        !parseInt(text.substr(x + 1), 2, 1000, rows))
        return false;
    o.columns = int(cols);
    o.rows = int(rows);
    return true;
}

bool parseMillis(const std::string& text, long long lo, std::chrono::milliseconds& out) {
    long long v = 0;
    if (!parseInt(text, lo, 24LL * 3600 * 1000, v))
        return false;
    out = std::chrono::milliseconds(v);
    return true;
}

bool parseSeconds(const std::string& text, std::chrono::milliseconds& out) {
    long long v = 0;
    if (!parseInt(text, 0, 7LL * 24 * 3600, v))
        return false;
    out = std::chrono::seconds(v);
    return true;
}

using Setter = std::function<bool(const std::string&, PlayOptions&)>;

// The options that take a value, with what a wrong value should be.
struct ValueOption {
    Setter set;
    const char* expected;
};

const std::map<std::string, ValueOption>& valueOptions() {
    static const std::map<std::string, ValueOption> table = {
        {"--size", {parseSize, "COLUMNSxROWS, each from 2 to 1000"}},
        {"--time-limit", {[](const std::string& t, PlayOptions& o) { return parseSeconds(t, o.timeLimit); },
                          "whole seconds, 0 for none"}},
        {"--junit", {[](const std::string& t, PlayOptions& o) { o.junitFile = t; return !t.empty(); }, "a file name"}},
        {"--trace", {[](const std::string& t, PlayOptions& o) { o.traceFile = t; return !t.empty(); }, "a file name"}},
        {"--key-gap", {[](const std::string& t, PlayOptions& o) { return parseMillis(t, 0, o.keyGap); },
                       "milliseconds, 0 or more"}},
        {"--settle", {[](const std::string& t, PlayOptions& o) { return parseMillis(t, 0, o.settle); },
                      "milliseconds, 0 or more"}},
        {"--poll", {[](const std::string& t, PlayOptions& o) { return parseMillis(t, 1, o.pollPeriod); },
                    "milliseconds, 1 or more"}},
    };
    return table;
}

}  // namespace

ParsedOptions ParsePlayOptions(const std::vector<std::string>& args) {
    PlayOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (arg == "--") {
            o.command.assign(args.begin() + long(i) + 1, args.end());
            if (o.command.empty())
                return {std::nullopt, "-- must be followed by a command"};
            break;
        }
        if (arg == "-h" || arg == "--help") {
            o.help = true;
            continue;
        }
        if (arg == "--version") {
            o.version = true;
            continue;
        }
        if (arg == "--fast") {
            o.keyGap = std::chrono::milliseconds(0);
            o.settle = std::chrono::milliseconds(0);
            o.pollPeriod = std::chrono::milliseconds(10);
            o.wakeOnOutput = true;
            continue;
        }
        if (arg == "--wake-on-output") {
            o.wakeOnOutput = true;
            continue;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            std::string value;
            bool hasValue = false;
            if (const size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
                value = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
                hasValue = true;
            }
            auto it = valueOptions().find(arg);
            if (it == valueOptions().end())
                return {std::nullopt, "unknown option " + arg};
            if (!hasValue) {
                if (i + 1 >= args.size())
                    return {std::nullopt, arg + " needs a value: " + it->second.expected};
                value = args[++i];
            }
            if (!it->second.set(value, o))
                return {std::nullopt, arg + ": \"" + value + "\" is not " + it->second.expected};
            continue;
        }
        o.scripts.push_back(arg);
    }
    if (o.scripts.empty() && !o.help && !o.version)
        return {std::nullopt, "no script given"};
    return {o, ""};
}

std::string PlayUsage() {
    return "Usage: pallant-play [options] SCRIPT.vbs... [-- COMMAND ARGS...]\n"
           "Plays each script in a fresh hosted console with no window. COMMAND, when given,\n"
           "is started in the console before each script, with ARGS exactly as given; scripts\n"
           "may also start programs with Console.RunCommand, whose command line is read by\n"
           "the shell's rules.\n"
           "\n"
           "Options:\n"
           "  --size COLSxROWS     console size (default 80x25)\n"
           "  --time-limit SECS    time limit per script, 0 for none (default 0)\n"
           "  --junit FILE         write a JUnit XML report\n"
           "  --trace FILE         write every key sent and every check made, with the screen\n"
           "  --key-gap MS         gap between paced keys (default 50)\n"
           "  --settle MS          wait after a program starts (default 200)\n"
           "  --poll MS            polling period of the waiting methods (default 200)\n"
           "  --wake-on-output     waiting methods also check whenever the screen changes\n"
           "  --fast               --key-gap 0 --settle 0 --poll 10 --wake-on-output\n"
           "  -h, --help           this text\n"
           "  --version            the version\n"
           "\n"
           "Exit status: 0 when every script passed, 1 when any failed, 2 for usage errors\n"
           "and scripts that do not parse.\n";
}

}  // namespace qp
