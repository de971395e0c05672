#pragma once
// Runs the player program as a user does and collects what it printed.

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace qp::test {

struct PlayRun {
    int status = -1;
    std::string output;
};

// Runs a shell command line; stdout and stderr together.
inline PlayRun runCommand(const std::string& command) {
    PlayRun run;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.output.append(buffer.data(), n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// The player with the fast timings and the given arguments (a shell command line's words).
inline PlayRun playFast(const std::string& args) {
    return runCommand(std::string(QP_PLAY_BIN) + " --fast " + args);
}

inline std::string sourcePath(const std::string& relative) {
    return std::string(QP_SOURCE_DIR) + "/" + relative;
}

inline std::string readWholeFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

inline bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace qp::test
