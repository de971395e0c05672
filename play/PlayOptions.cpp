#include "PlayOptions.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <map>
#include <thread>

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

bool parseJobs(const std::string& text, PlayOptions& o) {
    if (text == "auto") {
        o.jobs = std::max(1, int(std::thread::hardware_concurrency()));
        return true;
    }
    long long v = 0;
    if (!parseInt(text, 1, 256, v))
        return false;
    o.jobs = int(v);
    return true;
}

bool parseShard(const std::string& text, PlayOptions& o) {
    const size_t slash = text.find('/');
    long long index = 0, count = 0;
    if (slash == std::string::npos || !parseInt(text.substr(slash + 1), 1, 100000, count) ||
        !parseInt(text.substr(0, slash), 1, count, index))
        return false;
    o.shardIndex = int(index);
    o.shardCount = int(count);
    return true;
}

bool append(std::vector<std::string>& list, const std::string& value) {
    if (value.empty())
        return false;
    list.push_back(value);
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
        {"--memory-limit", {[](const std::string& t, PlayOptions& o) {
                                long long mb = 0;
                                if (!parseInt(t, 0, 1LL << 30, mb))
                                    return false;
                                o.memoryLimitMB = size_t(mb);
                                return true;
                            },
                            "a number of MB, 0 for none"}},
        {"--time-limit", {[](const std::string& t, PlayOptions& o) { return parseSeconds(t, o.timeLimit); },
                          "whole seconds, 0 for none"}},
        {"--junit", {[](const std::string& t, PlayOptions& o) { o.junitFile = t; return !t.empty(); }, "a file name"}},
        {"--trace", {[](const std::string& t, PlayOptions& o) { o.traceFile = t; return !t.empty(); }, "a file name"}},
        {"--filter", {[](const std::string& t, PlayOptions& o) { return append(o.filters, t); }, "a pattern"}},
        {"-j", {parseJobs, "a number of jobs from 1 to 256, or auto"}},
        {"--jobs", {parseJobs, "a number of jobs from 1 to 256, or auto"}},
        {"--shard", {parseShard, "I/N with 1 <= I <= N"}},
        {"--retries", {[](const std::string& t, PlayOptions& o) {
                           long long v = 0;
                           if (!parseInt(t, 0, 100, v))
                               return false;
                           o.retries = int(v);
                           return true;
                       },
                       "a number of retries from 0 to 100"}},
        {"--include", {[](const std::string& t, PlayOptions& o) { return append(o.includes, t); }, "a file name"}},
        {"--artifacts", {[](const std::string& t, PlayOptions& o) { o.artifactsDir = t; return !t.empty(); },
                         "a folder"}},
        {"--cast", {[](const std::string& t, PlayOptions& o) { o.castDir = t; return !t.empty(); }, "a folder"}},
        {"--key-gap", {[](const std::string& t, PlayOptions& o) { return parseMillis(t, 0, o.keyGap); },
                       "milliseconds, 0 or more"}},
        {"--settle", {[](const std::string& t, PlayOptions& o) { return parseMillis(t, 0, o.settle); },
                      "milliseconds, 0 or more"}},
        {"--read-settle", {[](const std::string& t, PlayOptions& o) { return parseMillis(t, 0, o.readSettle); },
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
        if (arg == "--lenient") {
            o.lenient = true;
            continue;
        }
        if (arg == "--update-golden") {
            o.updateGolden = true;
            continue;
        }
        if (arg == "--list") {
            o.list = true;
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
    return "Usage: pallant-play [options] SCRIPT.vbs|FOLDER... [-- COMMAND ARGS...]\n"
           "Plays each script in a fresh hosted console with no window. A FOLDER stands for\n"
           "every *.vbs below it, in sorted order. COMMAND, when given,\n"
           "is started in the console before each script, with ARGS exactly as given; scripts\n"
           "may also start programs with Console.RunCommand, whose command line is read by\n"
           "the shell's rules.\n"
           "\n"
           "Options:\n"
           "  --size COLSxROWS     console size (default 80x25)\n"
           "  --time-limit SECS    time limit per script, 0 for none (default 120)\n"
           "  --memory-limit MB    what a script's arrays and strings may hold at once; beyond\n"
           "                       it error 7, Out of memory (default 2048, 0 for none)\n"
           "  --filter GLOB        play only the scripts whose path relative to the folder\n"
           "                       given matches (* also matches /); may be repeated\n"
           "  --list               print the scripts that would be played, play none\n"
           "  -j, --jobs N         play N scripts at once, each in its own console; auto =\n"
           "                       the number of processors (default 1)\n"
           "  --shard I/N          play only the I-th of N slices of the scripts (the same\n"
           "                       slice on every machine)\n"
           "  --retries N          play a failed script again up to N times; one that then\n"
           "                       passes counts as passed, and as flaky\n"
           "  --include FILE       a script of helper Subs and Functions played before each\n"
           "                       script, in the same engine; may be repeated\n"
           "  --junit FILE         write a JUnit XML report\n"
           "  --artifacts DIR      for each failed script, write into DIR/NAME/ its report, its\n"
           "                       screen as text and as an HTML page, its trace and a\n"
           "                       recording of its run (asciicast v2, run.cast)\n"
           "  --cast DIR           write a recording of every script's run as DIR/NAME.cast\n"
           "  --trace FILE         write every key sent, every check made (with the screen),\n"
           "                       every program's start and end (with its exit status)\n"
           "  --update-golden      Console.MatchScreen writes the golden screens that are\n"
           "                       missing or differ (and says which) instead of failing\n"
           "  --key-gap MS         gap between paced keys (default 50)\n"
           "  --settle MS          wait after a program starts (default 200)\n"
           "  --poll MS            polling period of the waiting methods (default 200)\n"
           "  --read-settle MS     reads of the screen first wait until the program has been\n"
           "                       quiet this long, at most 2 s; 0 reads at once (default 50)\n"
           "  --lenient            a failed check called as a statement returns False instead\n"
           "                       of failing the script\n"
           "  --wake-on-output     waiting methods also check whenever the screen changes\n"
           "  --fast               --key-gap 0 --settle 0 --poll 10 --wake-on-output (reads\n"
           "                       still settle)\n"
           "  -h, --help           this text\n"
           "  --version            the version\n"
           "\n"
           "Exit status: 0 when every script passed, 1 when any failed, 2 for usage errors\n"
           "and scripts that do not parse.\n";
}

}  // namespace qp
