#pragma once
// The headless player's command line:
//   pallant-play [options] SCRIPT.vbs... [-- COMMAND ARGS...]

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace qp {

struct PlayOptions {
    int columns = 80;
    int rows = 25;
    std::chrono::milliseconds timeLimit{std::chrono::seconds(120)};  // per script; 0 = none
    size_t memoryLimitMB = 2048;        // what a script's arrays and strings may hold; 0 = none
    std::string junitFile;
    std::string traceFile;
    std::vector<std::string> filters;   // globs over the path relative to the folder given
    bool list = false;                  // print what would run, run nothing
    int jobs = 1;                       // scripts played at once, each in its own console
    int shardIndex = 1, shardCount = 1; // --shard I/N: this run plays the I-th of N slices
    int retries = 0;                    // more tries for a failed script
    std::vector<std::string> includes;  // helper scripts played before each script
    std::string artifactsDir;           // the failed scripts' screens, traces and recordings
    std::string castDir;                // recordings of every script
    std::chrono::milliseconds keyGap{50};
    std::chrono::milliseconds settle{200};
    std::chrono::milliseconds pollPeriod{200};
    bool wakeOnOutput = false;
    std::chrono::milliseconds readSettle{50};  // 0 = reads do not wait for quiet
    bool updateGolden = false;  // MatchScreen writes missing and changed golden screens
    bool lenient = false;  // a failed check used as a statement does not fail the script
    std::vector<std::string> scripts;  // files and folders, as given
    std::vector<std::string> command;  // after "--"; started in each script's console first
    bool help = false;
    bool version = false;
};

// The options, or the error message of a usage error.
struct ParsedOptions {
    std::optional<PlayOptions> options;
    std::string error;
};
ParsedOptions ParsePlayOptions(const std::vector<std::string>& args);

std::string PlayUsage();

}  // namespace qp
