// A suite of 40 trivial bash echo tests played as one folder, with -j 1 and -j 2: scripts
// per second, the speed-up of the second job, and the time per script against the same
// trivial test run alone in Tcl expect, measured in the same run. Prints the figures and,
// last, "ratio <pallant-play -j 1 time per script / expect time>" (below 1: the player's
// whole cost per script, console and bash included, is below one expect run).
//   build/bin/play_suite_bench [ROUNDS]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kScripts = 40;

// Runs argv to its end with its output discarded; the wall time and whether it exited 0.
std::pair<double, bool> runOnce(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return {0, false};
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            WIFEXITED(status) && WEXITSTATUS(status) == 0};
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::string tmp = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
    const std::string dir = tmp + "/qp-suite-bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string script =
        "If Not Console.WaitString(10, 0, 0, \"bash-\") Then Err.Raise 1, \"\", \"no prompt\"\r\n"
        "Console.PutKeys \"echo hello\"\r\n"
        "Console.PutControl \"<Enter>\"\r\n"
        "If Not Console.WaitString(10, 0, 1, \"hello\") Then Err.Raise 1, \"\", \"no hello\"\r\n"
        "Console.PutKeys \"exit\"\r\n"
        "Console.PutControl \"<Enter>\"\r\n";
    for (int i = 0; i < kScripts; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/echo%02d.vbs", i);
        std::ofstream(dir + name, std::ios::binary) << script;
    }
    const std::string exp = dir + "/echo.exp";
    std::ofstream(exp) << "set timeout 10\n"
                          "log_user 0\n"
                          "spawn bash --norc --noprofile\n"
                          "expect {\n  -re {bash-[^ ]* } {}\n  timeout { exit 1 }\n}\n"
                          "send \"echo hello\\r\"\n"
                          "expect {\n  -re {[^ ]hello\\r\\n} {}\n  timeout { exit 1 }\n}\n"
                          "send \"exit\\r\"\n"
                          "expect eof\n";
    const std::vector<std::string> expect = {"expect", exp};
    if (!runOnce(expect).second) {
        std::printf("expect is not available or its test failed; install Debian's expect\nratio nan\n");
        return 1;
    }
    auto suite = [&](const char* jobs) {
        return std::vector<std::string>{QP_PLAY_BIN, "--fast", "-j", jobs, dir, "--", "bash", "--norc", "--noprofile"};
    };
    std::vector<double> one, two, alone;
    bool ok = true;
    for (int r = 0; r < rounds; ++r) {  // interleaved, so all see the same machine load
        const auto a = runOnce(suite("1"));
        const auto b = runOnce(suite("2"));
        ok = ok && a.second && b.second;
        one.push_back(a.first);
        two.push_back(b.first);
        for (int i = 0; i < 5; ++i) {
            const auto e = runOnce(expect);
            ok = ok && e.second;
            alone.push_back(e.first);
        }
    }
    const double j1 = median(one), j2 = median(two), e = median(alone);
    std::printf("suite of %d trivial bash echo tests, %d rounds, medians\n", kScripts, rounds);
    std::printf("pallant-play -j 1     %7.2f s  %6.1f scripts/s  %6.1f ms per script\n", j1, kScripts / j1,
                j1 * 1000 / kScripts);
    std::printf("pallant-play -j 2     %7.2f s  %6.1f scripts/s  speed-up %.2f\n", j2, kScripts / j2, j1 / j2);
    std::printf("expect, one test      %7.1f ms\n", e * 1000);
    if (!ok)
        std::printf("some runs FAILED\n");
    std::printf("ratio %.3f\n", (j1 / kScripts) / e);
    return ok ? 0 : 1;
}
