// The trivial terminal test (start bash, type `echo hello` and Enter, wait until a row
// reads hello, exit), timed as a whole process: pallant-play with the fast timings beside
// the same test in Tcl expect, measured in the same run. pallant-play runs twice: with the
// three timings alone (no key gap, no settle, 10 ms polling), whose waits sleep whole
// periods, and with --fast, which adds waits that end when the screen changes. Prints the
// figures and, last, "ratio <pallant-play --fast time / expect time>" (below 1 is faster).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Sample {
    double seconds = 0;
    long maxRssKb = 0;
    int status = -1;
};

// Runs argv to its end with its output discarded; the time and the peak RSS of the process.
Sample runOnce(const std::vector<std::string>& argv) {
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
    Sample s;
    int status = 0;
    rusage usage{};
    if (pid > 0 && wait4(pid, &status, 0, &usage) == pid) {
        s.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        s.maxRssKb = usage.ru_maxrss;
        s.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return s;
}

struct Figures {
    double median = 0, best = 0;
    long maxRssKb = 0;
    bool ok = true;
};

Figures summarise(std::vector<Sample> samples) {
    Figures f;
    std::vector<double> t;
    for (const Sample& s : samples) {
        t.push_back(s.seconds);
        f.maxRssKb = std::max(f.maxRssKb, s.maxRssKb);
        f.ok = f.ok && s.status == 0;
    }
    std::sort(t.begin(), t.end());
    f.median = t[t.size() / 2];
    f.best = t.front();
    return f;
}

void write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

void print(const char* name, const Figures& f) {
    std::printf("%-28s median %7.1f ms  best %7.1f ms  peak RSS %6.1f MB%s\n", name, f.median * 1000,
                f.best * 1000, f.maxRssKb / 1024.0, f.ok ? "" : "  (some runs FAILED)");
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 20;
    const std::string dir = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
    const std::string vbs = dir + "/qp-bench-echo.vbs", exp = dir + "/qp-bench-echo.exp";
    // Both wait for bash's prompt before typing: keys typed earlier are echoed by the
    // terminal and again by bash, which moves the output down a row.
    write(vbs,
          "If Not Console.WaitString(10, 0, 0, \"bash-\") Then Err.Raise 1, \"\", \"no prompt\"\r\n"
          "Console.PutKeys \"echo hello\"\r\n"
          "Console.PutControl \"<Enter>\"\r\n"
          "If Not Console.WaitString(10, 0, 1, \"hello\") Then Err.Raise 1, \"\", \"no hello\"\r\n"
          "Console.PutKeys \"exit\"\r\n"
          "Console.PutControl \"<Enter>\"\r\n");
    write(exp,
          "set timeout 10\n"
          "log_user 0\n"
          "spawn bash --norc --noprofile\n"
          "expect {\n  -re {bash-[^ ]* } {}\n  timeout { exit 1 }\n}\n"
          "send \"echo hello\\r\"\n"
          // The output row, not the echo of the command: hello after something other than a
          // blank (bash may put control sequences before it).
          "expect {\n  -re {[^ ]hello\\r\\n} {}\n  timeout { exit 1 }\n}\n"
          "send \"exit\\r\"\n"
          "expect eof\n");

    const std::vector<std::string> player = {QP_PLAY_BIN, "--fast", vbs, "--", "bash", "--norc", "--noprofile"};
    const std::vector<std::string> polling = {QP_PLAY_BIN, "--key-gap", "0", "--settle", "0", "--poll", "10",
                                              vbs,         "--",        "bash", "--norc", "--noprofile"};
    const std::vector<std::string> expect = {"expect", exp};
    if (runOnce(expect).status != 0) {
        std::printf("expect is not available or its test failed; install Debian's expect\nratio nan\n");
        return 1;
    }
    std::vector<Sample> playerSamples, pollingSamples, expectSamples;
    for (int i = 0; i < runs; ++i) {  // interleaved, so all see the same machine load
        playerSamples.push_back(runOnce(player));
        pollingSamples.push_back(runOnce(polling));
        expectSamples.push_back(runOnce(expect));
    }
    const Figures p = summarise(playerSamples), q = summarise(pollingSamples), e = summarise(expectSamples);
    std::printf("trivial bash echo test, %d runs each, whole process\n", runs);
    print("pallant-play --fast", p);
    print("pallant-play, timings alone", q);
    print("expect", e);
    std::printf("ratio %.3f\n", p.median / e.median);
    return p.ok && q.ok && e.ok ? 0 : 1;
}
