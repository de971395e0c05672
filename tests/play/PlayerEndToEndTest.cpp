// pallant-play as a user runs it: scripts played against real programs in the real pty.

#include <gtest/gtest.h>
#include <iterator>
#include <filesystem>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <fstream>
#include <sstream>
#include <string>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#include <thread>
#include <vector>

namespace {

struct PlayRun {
    int status = -1;
    std::string output;
};

std::string script(const char* name) {
    return std::string(QP_SOURCE_DIR) + "/tests/play/scripts/" + name;
}

std::string helper(const char* name) {
    return std::string(QP_TEST_HELPERS_DIR) + "/" + name;
}

// Runs the player with the fast timings unless told otherwise; stdout and stderr together.
PlayRun play(const std::string& args, bool fast = true) {
    const std::string command =
        std::string(QP_PLAY_BIN) + (fast ? " --fast " : " ") + args + " 2>&1";
    PlayRun run;
    FILE* pipe = popen(command.c_str(), "r");
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

std::string readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

struct PassingCase {
    const char* name;
    const char* script;
    std::string command;  // after --
    const char* shown;    // expected in the output
};

class PassingScripts : public ::testing::TestWithParam<PassingCase> {};

TEST_P(PassingScripts, PassAndExitZero) {
    const PassingCase& c = GetParam();
    const PlayRun r = play(script(c.script) + (c.command.empty() ? "" : " -- " + c.command));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(contains(r.output, std::string("PASS ") + script(c.script))) << r.output;
    EXPECT_TRUE(contains(r.output, "1 passed, 0 failed")) << r.output;
    EXPECT_TRUE(contains(r.output, c.shown)) << r.output;
}

INSTANTIATE_TEST_SUITE_P(
    Programs, PassingScripts,
    ::testing::Values(
        PassingCase{"TypingIntoBash", "bash_echo.vbs", "env PS1='$ ' bash --norc --noprofile", "PASS"},
        PassingCase{"DelayedOutput", "delayed_output.vbs", "", "PASS"},
        PassingCase{"ReadTextIntoAVariable", "read_text.vbs", "", "read Quorvia\n"},
        PassingCase{"KillAProgramThatIgnoresSignals", "kill_ignoring.vbs", helper("qp_stubborn"), "PASS"},
        PassingCase{"IsProcessActiveAfterExit", "process_exit.vbs", "", "ended\n"},
        PassingCase{"DialogBoxFoundByCheckWindow", "dialog_box.vbs", "", "PASS"},
        PassingCase{"OverlongParameterListsAreDropped", "overlong_parameters.vbs", "", "shown abc done\n"},
        PassingCase{"CommandLinesByTheShellsRules", "shell_quoting.vbs", "", "shown a b|c\"d|\n"},
        PassingCase{"TwoConsolesInOneScript", "two_consoles.vbs", "", "two consoles True True\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Player, AFailingGeneratedCheckIsReportedWithLinePositionAndScreen) {
    const PlayRun r = play(script("failing_check.vbs"));
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_TRUE(contains(r.output, "FAIL " + script("failing_check.vbs"))) << r.output;
    EXPECT_TRUE(contains(r.output, "Line: 5 Position: ")) << r.output;
    EXPECT_TRUE(contains(r.output, "\nNot found string 'expected text'\n")) << r.output;
    EXPECT_TRUE(contains(r.output, "0|something else\n")) << r.output;
    EXPECT_FALSE(contains(r.output, "not reached")) << r.output;
}

TEST(Player, AScriptThatDoesNotParseExitsTwoAndRunsNothing) {
    const PlayRun r = play(script("syntax_error.vbs"));
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_TRUE(contains(r.output, "Line: 2 Position: ")) << r.output;
    EXPECT_FALSE(contains(r.output, "never shown")) << r.output;
}

TEST(Player, UsageErrorsExitTwo) {
    EXPECT_EQ(play("").status, 2);
    EXPECT_EQ(play("--size 80 " + script("read_text.vbs")).status, 2);
    const PlayRun missing = play("/nonexistent/script.vbs");
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(contains(missing.output, "/nonexistent/script.vbs")) << missing.output;
    EXPECT_EQ(play("--help").status, 0);
}

TEST(Player, TheTimeLimitEndsAScriptThatWaits) {
    const auto start = std::chrono::steady_clock::now();
    const PlayRun r = play("--time-limit 1 " + script("time_limit.vbs"));
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_TRUE(contains(r.output, "pausing\n")) << r.output;
    EXPECT_TRUE(contains(r.output, "Time limit of 1 s exceeded")) << r.output;
    EXPECT_FALSE(contains(r.output, "not reached")) << r.output;
    EXPECT_LT(took, 30.0);
}

TEST(Player, TheTimeLimitEndsLongTypingAtOnce) {
    // 100 000 keys at the designed 50 ms gap would take 80 minutes.
    const auto start = std::chrono::steady_clock::now();
    const PlayRun r = play("--time-limit 3 " + script("long_typing.vbs") + " -- cat", false);
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_TRUE(contains(r.output, "Time limit of 3 s exceeded")) << r.output;
    EXPECT_FALSE(contains(r.output, "not reached")) << r.output;
    EXPECT_GT(took, 2.9);
    EXPECT_LT(took, 30.0);
}

bool processAlive(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return false;
    const size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
}

// Told to stop mid-script (a cancelled CI job), the player ends the script at once, writes
// its report with the script failed as interrupted, leaves no process behind and exits
// non-zero.
struct StopSignalCase {
    const char* name;
    int signal;
};

class StoppedPlayer : public ::testing::TestWithParam<StopSignalCase> {};

TEST_P(StoppedPlayer, WritesItsReportAndLeavesNothingBehind) {
    const std::string dir = ::testing::TempDir();
    const std::string name = GetParam().name;
    const std::string first = dir + "/stopped-" + name + "-a.vbs", second = dir + "/stopped-" + name + "-b.vbs";
    const std::string junit = dir + "/stopped-" + name + ".xml", pidFile = dir + "/stopped-" + name + ".pids";
    for (const std::string& path : {first, second}) {
        std::ofstream f(path, std::ios::binary);
        f << "Console.Pause 3600\r\nMsgBox \"not reached\"\r\n";
    }
    std::remove(pidFile.c_str());
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const std::string leaver = helper("qp_leaver");
    const pid_t player = fork();
    if (player == 0) {
        setenv("QP_LEAVER_FILE", pidFile.c_str(), 1);
        dup2(out[1], 1);
        dup2(out[1], 2);
        close(out[0]);
        close(out[1]);
        execl(QP_PLAY_BIN, QP_PLAY_BIN, "--fast", "--time-limit", "0", "--junit", junit.c_str(), first.c_str(),
              second.c_str(), "--", leaver.c_str(), "stay", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    // The program in the first script's console tells what it left behind.
    std::string left;
    for (int i = 0; i < 6000 && left.empty(); ++i) {  // a minute at most
        left = readFile(pidFile);
        if (left.empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::vector<pid_t> pids;
    std::istringstream line(left.substr(std::min(left.size(), size_t(5))));
    for (pid_t p; line >> p;)
        pids.push_back(p);
    ASSERT_EQ(pids.size(), 3u) << left;
    for (pid_t p : pids)
        EXPECT_TRUE(processAlive(p)) << p;

    const auto start = std::chrono::steady_clock::now();
    kill(player, GetParam().signal);
    int status = 0;
    // Bounded: a player that does not stop fails the test instead of hanging it.
    while (waitpid(player, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(30)) {
            kill(player, SIGKILL);
            waitpid(player, &status, 0);
            for (pid_t p : pids)
                kill(p, SIGKILL);
            FAIL() << "the player did not stop";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::string rest;
    char c;
    while (read(out[0], &c, 1) == 1)
        rest += c;
    close(out[0]);
    EXPECT_LT(took, 25.0);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 128 + GetParam().signal) << rest;
    EXPECT_FALSE(contains(rest, "not reached")) << rest;
    EXPECT_TRUE(contains(rest, "pallant-play: stopped by SIG" + name)) << rest;
    EXPECT_TRUE(contains(rest, "0 passed, 2 failed")) << rest;
    const std::string xml = readFile(junit);
    EXPECT_TRUE(contains(xml, "tests=\"2\" failures=\"2\"")) << xml;
    EXPECT_TRUE(contains(xml, "Interrupted: the player was told to stop")) << xml;
    EXPECT_TRUE(contains(xml, "Not run: the player was told to stop")) << xml;
    for (pid_t p : pids)
        EXPECT_FALSE(processAlive(p)) << p;
}

INSTANTIATE_TEST_SUITE_P(Signals, StoppedPlayer,
                         ::testing::Values(StopSignalCase{"TERM", SIGTERM}, StopSignalCase{"INT", SIGINT},
                                           StopSignalCase{"HUP", SIGHUP}),
                         [](const auto& info) { return std::string(info.param.name); });

// Processes whose command line is exactly `argv` (NUL-separated).
int processesRunning(const std::string& argv) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream in(entry.path() / "cmdline", std::ios::binary);
        std::string cmdline((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        count += cmdline == argv;
    }
    return count;
}

TEST(Player, TheSecondConsoleEndsWithTheScript) {
    const std::string sleeper("sleep\0" "9876.5\0", 13);
    const PlayRun r = play(script("two_consoles.vbs"));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(processesRunning(sleeper), 0);
}

// Script files as Windows editors write them: UTF-16 with a byte-order mark, and 8-bit
// Windows-1252 text.
TEST(Player, ScriptFilesInUtf16AndWindows1252) {
    const std::string dir = std::filesystem::temp_directory_path() / ("qp-encodings-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::u16string text = u"Console.RunCommand \"printf '\u65E5\u672C'\"\r\n"
                                u"If Not Console.WaitString(5, 0, 0, \"\u65E5\u672C\") Then Err.Raise 1\r\n"
                                u"MsgBox \"read \u00E9\"\r\n";
    std::string le = "\xFF\xFE";
    for (char16_t u : text) {
        le += char(u & 0xFF);
        le += char(u >> 8);
    }
    std::ofstream(dir + "/utf16.vbs", std::ios::binary) << le;
    std::ofstream(dir + "/cp1252.vbs", std::ios::binary) << "MsgBox \"read \xE9\"\r\n";
    for (const char* name : {"/utf16.vbs", "/cp1252.vbs"}) {
        const PlayRun r = play(dir + name);
        EXPECT_EQ(r.status, 0) << r.output;
        EXPECT_TRUE(contains(r.output, "read \xC3\xA9\n")) << r.output;
    }
    std::filesystem::remove_all(dir);
}

TEST(Player, ACommandThatCannotStartFailsTheScript) {
    const PlayRun r = play(script("read_text.vbs") + " -- /nonexistent/program");
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_TRUE(contains(r.output, "Can't execute \"/nonexistent/program\"")) << r.output;
}

TEST(Player, SeveralScriptsWriteTheCountJUnitAndTrace) {
    const std::string dir = ::testing::TempDir();
    const std::string junit = dir + "/play-report.xml", trace = dir + "/play-trace.txt";
    const PlayRun r = play("--junit " + junit + " --trace " + trace + " " + script("read_text.vbs") + " " +
                       script("failing_check.vbs") + " " + script("delayed_output.vbs"));
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_TRUE(contains(r.output, "2 passed, 1 failed\n")) << r.output;

    const std::string xml = readFile(junit);
    EXPECT_TRUE(contains(xml, "tests=\"3\" failures=\"1\" errors=\"0\"")) << xml;
    EXPECT_TRUE(contains(xml, "<failure message=\"Line: 5 Position: 3&#10;Not found string &apos;expected text&apos;\">"))
        << xml;
    EXPECT_TRUE(contains(xml, "<system-out>read Quorvia\n</system-out>")) << xml;

    const std::string t = readFile(trace);
    EXPECT_TRUE(contains(t, "== " + script("failing_check.vbs"))) << t;
    EXPECT_TRUE(contains(t, "check CheckString(0, 0, \"expected text\") -> False")) << t;
    EXPECT_TRUE(contains(t, "|something else")) << t;
}

// A report that does not reach its file fails the run (exit 2, a message naming it); the
// scripts' own results are still printed.
TEST(Player, ReportsThatCannotBeWrittenExitTwo) {
    const std::string dir = ::testing::TempDir();
    struct Case {
        const char* name;
        std::string args;
        std::string shown;
    };
    const Case cases[] = {
        {"JUnit on a full device", "--junit /dev/full", "cannot write the JUnit report /dev/full: No space left on device"},
        {"trace on a full device", "--trace /dev/full", "cannot write the trace file /dev/full: No space left on device"},
        {"JUnit as a folder", "--junit " + dir, "cannot write the JUnit report " + dir},
        {"JUnit in a missing folder", "--junit /nonexistent/r.xml", "cannot write the JUnit report /nonexistent/r.xml"},
    };
    for (const Case& c : cases) {
        const PlayRun r = play(c.args + " " + script("read_text.vbs"));
        EXPECT_EQ(r.status, 2) << c.name << "\n" << r.output;
        EXPECT_TRUE(contains(r.output, c.shown)) << c.name << "\n" << r.output;
    }
}

// A tmpfs filled to the last byte: the report cannot be written, the run exits 2 and the
// previous report is left whole, with no temporary file beside it.
TEST(Player, AReportOnAFullDiskKeepsThePreviousOne) {
    const std::string dir = ::testing::TempDir() + "/play-full-" + std::to_string(getpid());
    ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
    if (mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=256k") != 0) {
        rmdir(dir.c_str());
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    }
    struct Unmount {
        std::string dir;
        ~Unmount() {
            umount2(dir.c_str(), MNT_DETACH);
            rmdir(dir.c_str());
        }
    } unmount{dir};
    const std::string previous = "<previous report/>\n";
    std::ofstream(dir + "/report.xml") << previous;
    {
        std::ofstream filler(dir + "/filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), block.size()) && filler.flush()) {
        }
    }
    const PlayRun r = play("--junit " + dir + "/report.xml " + script("read_text.vbs"));
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_TRUE(contains(r.output, "PASS ")) << r.output;
    EXPECT_TRUE(contains(r.output, "cannot write the JUnit report " + dir + "/report.xml: No space left on device")) << r.output;
    EXPECT_EQ(readFile(dir + "/report.xml"), previous);
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"filler", "report.xml"}));
}

// What is not a script file is refused before anything plays: exit 2 and the reason.
TEST(Player, FilesThatAreNotScriptsAreRefused) {
    const std::string dir = ::testing::TempDir() + "/play-not-scripts-" + std::to_string(getpid());
    std::filesystem::create_directories(dir);
    ASSERT_EQ(mkfifo((dir + "/fifo.vbs").c_str(), 0600), 0);
    std::ofstream(dir + "/big.vbs") << "MsgBox 1\n";
    std::filesystem::resize_file(dir + "/big.vbs", (16u << 20) + 1);
    const std::pair<std::string, std::string> cases[] = {
        {"/dev/zero", "cannot read the script /dev/zero: it is not a regular file"},
        {dir + "/fifo.vbs", "cannot read the script " + dir + "/fifo.vbs: it is not a regular file"},
        {dir + "/big.vbs", "cannot read the script " + dir + "/big.vbs: it is larger than 16 MB"},
    };
    for (const auto& [path, shown] : cases) {
        const PlayRun r = play(path + " " + script("read_text.vbs"));
        EXPECT_EQ(r.status, 2) << path << "\n" << r.output;
        EXPECT_TRUE(contains(r.output, shown)) << path << "\n" << r.output;
        EXPECT_FALSE(contains(r.output, "PASS")) << path << "\n" << r.output;
    }
    std::filesystem::remove_all(dir);
}

// A script whose arrays pass the memory limit fails with "Out of memory"; the next plays.
TEST(Player, TheMemoryLimitFailsAScriptThatBuildsHugeArrays) {
    const std::string dir = ::testing::TempDir() + "/play-memory-" + std::to_string(getpid());
    std::filesystem::create_directories(dir);
    std::ofstream(dir + "/arrays.vbs") << "Dim all(100)\nFor i = 0 To 100\n  ReDim a(10000000)\n  all(i) = a\nNext\n";
    const PlayRun r = play("--memory-limit 300 " + dir + "/arrays.vbs " + script("read_text.vbs"));
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_TRUE(contains(r.output, "Line: 3 Position: 3\nOut of memory\n")) << r.output;
    EXPECT_TRUE(contains(r.output, "1 passed, 1 failed")) << r.output;
    std::filesystem::remove_all(dir);
}

TEST(Player, KeysAreTracedOneByOne) {
    const std::string trace = ::testing::TempDir() + "/play-keys.txt";
    const PlayRun r = play("--trace " + trace + " " + script("bash_echo.vbs") + " -- env PS1='$ ' bash --norc --noprofile");
    EXPECT_EQ(r.status, 0) << r.output;
    const std::string t = readFile(trace);
    EXPECT_TRUE(contains(t, "key PutKeys e\n")) << t;
    EXPECT_TRUE(contains(t, "key PutControl <Enter>\n")) << t;
    EXPECT_TRUE(contains(t, "check WaitString(5, 0, 1, \"hello\") -> True")) << t;
}

std::string examples(std::initializer_list<const char*> names) {
    std::string list;
    for (const char* name : names)
        list += " " + std::string(QP_SOURCE_DIR) + "/examples/" + name;
    return list;
}

TEST(Player, TheExamplesPassWithTheDesignedTimings) {
    const PlayRun r =
        play(examples({"demo.vbs", "shell_session.vbs", "dialog_menu.vbs", "recorded.vbs", "finding.vbs",
                          "golden_screen.vbs"}), false);
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(contains(r.output, "bc says 2^10 = 1024\n")) << r.output;
    EXPECT_TRUE(contains(r.output, "exit status 3 on a 80x25 screen\n")) << r.output;
    EXPECT_TRUE(contains(r.output, "6 passed, 0 failed\n")) << r.output;
}

TEST(Player, TheExamplesPassWithTheFastTimings) {
    // demo.vbs and recorded.vbs type into bc, which shows no prompt: their first keys wait
    // until bc reads, with no settle after the start.
    const PlayRun r =
        play(examples({"demo.vbs", "shell_session.vbs", "dialog_menu.vbs", "recorded.vbs", "finding.vbs",
                          "golden_screen.vbs"}));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(contains(r.output, "6 passed, 0 failed\n")) << r.output;
}

TEST(Player, DesignedTimingsByDefault) {
    // Ten keys with the designed 50 ms gap take at least 450 ms.
    const std::string path = ::testing::TempDir() + "/paced.vbs";
    {
        std::ofstream f(path, std::ios::binary);
        f << "Console.PutKeys \"x\"\r\nt = Timer\r\nConsole.PutKeys \"0123456789\"\r\n"
             "If Timer - t < 0.45 Then Err.Raise 1, \"\", \"too fast: \" & (Timer - t)\r\n";
    }
    const PlayRun r = play(path, false);
    EXPECT_EQ(r.status, 0) << r.output;
}

}  // namespace
