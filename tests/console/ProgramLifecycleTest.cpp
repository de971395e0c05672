// Starting, watching and ending the program under test: failed starts, stubborn programs
// with children, programs that exit at once or flood their output, the second command
// that goes to a new window, profiles, and nothing left behind.

#include "ConsoleTestUtil.h"
#include "console/Errors.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace qp;
using namespace qp::test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// A fresh folder under the build tree's temp, removed afterwards.
struct TempDir {
    fs::path path;
    TempDir()
    {
        path = fs::temp_directory_path() / ("qp-console-" + std::to_string(getpid()) + "-" + std::to_string(counter()++));
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
    static int& counter()
    {
        static int n = 0;
        return n;
    }
    std::string file(const std::string& name, const std::string& content, fs::perms perms = fs::perms::owner_read | fs::perms::owner_write) const
    {
        const fs::path p = path / name;
        std::ofstream(p, std::ios::binary) << content;
        fs::permissions(p, perms);
        return p.string();
    }
};

std::string readFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

struct FontListener : ConsoleListener {
    std::mutex mutex;
    std::vector<FontSpec> fonts;
    void displayFontChanged(const FontSpec& f) override
    {
        std::lock_guard lock(mutex);
        fonts.push_back(f);
    }
};

constexpr fs::perms kExecutable = fs::perms::owner_all;

}  // namespace

TEST(ProgramLifecycle, CommandsThatCannotStartRaiseCantExecuteAndLeaveTheConsoleUsable)
{
    TempDir dir;
    const std::string notExecutable = dir.file("data.txt", "hello");
    const struct {
        const char* name;
        std::string command;
    } cases[] = {
        {"empty", ""},
        {"blanks", "   \t "},
        {"empty quotes", "\"\" \"\""},
        {"unterminated quote", "\"/bin/echo hi"},
        {"not on PATH", "no-such-program-anywhere --flag"},
        {"missing path", "/no/such/dir/tool"},
        {"not executable", notExecutable},
        {"a directory", dir.path.string()},
    };
    HostedConsole console(nullptr, fastOptions());
    for (const auto& c : cases) {
        try {
            console.runInConsole(c.command);
            ADD_FAILURE() << c.name << ": started";
        } catch (const CantExecuteError& e) {
            const std::string reason = c.command.find('"') != std::string::npos && c.command != "\"\" \"\""
                                           ? "\nSyntax error: Unterminated quoted string"
                                           : "";
            EXPECT_EQ(std::string(e.what()), "Can't execute \"" + c.command + "\"" + reason) << c.name;
        }
        EXPECT_FALSE(console.isProgramActive()) << c.name;
        EXPECT_EQ(console.programPid(), 0) << c.name;
    }
    console.runInConsole("/bin/echo still usable");
    EXPECT_TRUE(screenContains(*waitForText(console, "still usable"), "still usable"));
}

TEST(ProgramLifecycle, ProgramFoundAlongPathWithQuotedArguments)
{
    HostedConsole console(nullptr, fastOptions());
    console.runInConsole("printf \"%s|%s|\\n\" \"two words\" ab\"c d\"e");
    EXPECT_TRUE(screenContains(*waitForText(console, "|"), "two words|abc de|"));
}

TEST(ProgramLifecycle, KillEndsAStubbornProgramAndItsChildrenWithoutZombies)
{
    HostedConsole console(nullptr, fastOptions());
    console.runInConsole(helper("qp_stubborn") + " 3");
    const SnapshotPtr s = waitForText(console, "pids:");
    std::istringstream pidsLine(rowText(*s, 0).substr(5));
    std::vector<pid_t> pids;
    for (pid_t p; pidsLine >> p;)
        pids.push_back(p);
    ASSERT_EQ(pids.size(), 4u);
    EXPECT_EQ(pids[0], console.programPid());
    EXPECT_EQ(getpgid(pids[0]), pids[0]);  // a process group (and session) of its own
    EXPECT_EQ(getsid(pids[0]), pids[0]);
    kill(pids[0], SIGTERM);  // ignored
    kill(pids[0], SIGHUP);
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(console.isProgramActive());

    // The kill waits about a second for the processes at most; far less than this bound.
    const auto start = std::chrono::steady_clock::now();
    console.killProgram();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_FALSE(console.isProgramActive());
    for (pid_t p : pids)
        EXPECT_TRUE(processGone(p)) << p;
    EXPECT_EQ(zombieChildren(), 0);
    EXPECT_EQ(console.updateCaption(), "Quorvia Pallant");
}

TEST(ProgramLifecycle, KillWithNoProgramDoesNothing)
{
    HostedConsole console(nullptr, fastOptions());
    console.killProgram();
    EXPECT_FALSE(console.isProgramActive());
    console.runInConsole("/bin/true");
    ASSERT_TRUE(waitForExit(console));
    console.killProgram();
    EXPECT_FALSE(console.isProgramActive());
}

TEST(ProgramLifecycle, ProgramThatExitsAtOnceKeepsItsScreenAndLeavesNothing)
{
    const int fdsBefore = openDescriptors();
    {
        HostedConsole console(nullptr, fastOptions());
        for (int i = 0; i < 5; ++i) {
            console.runInConsole("/bin/echo run" + std::to_string(i));
            ASSERT_TRUE(waitForExit(console));
            EXPECT_TRUE(screenContains(*waitForText(console, "run" + std::to_string(i)), "run" + std::to_string(i)));
        }
        EXPECT_EQ(zombieChildren(), 0);
        const int fdsWithConsole = openDescriptors();
        console.runInConsole("/bin/true");
        ASSERT_TRUE(waitForExit(console));
        EXPECT_EQ(openDescriptors(), fdsWithConsole);
    }
    EXPECT_EQ(openDescriptors(), fdsBefore);
    EXPECT_EQ(zombieChildren(), 0);
}

TEST(ProgramLifecycle, DestroyingTheConsoleEndsTheProgram)
{
    pid_t pid = 0;
    {
        HostedConsole console(nullptr, fastOptions());
        console.runInConsole(helper("qp_stubborn") + " 1");
        waitForText(console, "pids:");
        pid = console.programPid();
        ASSERT_GT(pid, 0);
    }
    EXPECT_TRUE(processGone(pid));
    EXPECT_EQ(zombieChildren(), 0);
}

TEST(ProgramLifecycle, FloodingProgramNeverBlocksAndCanBeKilled)
{
    HostedConsole console(nullptr, fastOptions());
    console.runInConsole("yes flood-line");
    const SnapshotPtr s = waitForScreen(console, [](const ScreenSnapshot& s) {
        return rowText(s, 0) == "flood-line" && rowText(s, 23) == "flood-line";
    });
    EXPECT_EQ(rowText(*s, 12), "flood-line");
    // The screen keeps up: snapshots keep changing while the flood goes on.
    const uint64_t generation = console.takeSnapshot()->generation;
    EXPECT_NE(waitForScreen(console, [&](const ScreenSnapshot& s) { return s.generation != generation; })->generation,
              generation);
    console.killProgram();
    EXPECT_FALSE(console.isProgramActive());
    EXPECT_TRUE(console.drainOutput(2s));
}

TEST(ProgramLifecycle, SecondCommandWhileRunningStartsANewWindowAndLeavesThisOne)
{
    TempDir dir;
    const std::string record = (dir.path / "args.txt").string();
    setenv("QP_RECORD_FILE", record.c_str(), 1);
    ConsoleOptions options = fastOptions();
    options.newWindowProgram = helper("qp_recordargs");
    HostedConsole console(nullptr, options);
    console.runInConsole("sleep 30");
    const int pid = console.programPid();
    EXPECT_EQ(console.runInConsole("/bin/echo two words"), HostedConsole::RunResult::NewWindow);
    // qp_recordargs puts its whole record in place at once.
    const auto deadline = std::chrono::steady_clock::now() + kWaitDeadline;
    while (readFile(record).empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(readFile(record), "argc 4\n/bin/echo\ntwo\nwords\n");
    EXPECT_EQ(console.programPid(), pid);
    EXPECT_TRUE(console.isProgramActive());
    // The new window ends on its own once its record is written; ending the console's
    // processes reaps it only if it has ended by then (else at a later look), so wait for
    // that (a look since may have reaped it already).
    if (const pid_t newWindow = childNamed("qp_recordargs")) {
        EXPECT_TRUE(processGone(newWindow));
    }
    console.killProgram();
    EXPECT_EQ(zombieChildren(), 0);
    unsetenv("QP_RECORD_FILE");
}

TEST(ProgramLifecycle, NewWindowThatCannotStartNamesTheCommand)
{
    ConsoleOptions options = fastOptions();
    options.newWindowProgram = "/no/such/pallant";
    HostedConsole console(nullptr, options);
    try {
        console.runInNewWindow("tool -x");
        ADD_FAILURE() << "started";
    } catch (const CantExecuteError& e) {
        EXPECT_STREQ(e.what(), "Can't execute \"tool -x\"");
    }
    EXPECT_EQ(zombieChildren(), 0);
}

TEST(ProgramLifecycle, SettleTimeFollowsAStart)
{
    // A settle far longer than a start takes, even on a loaded machine, so that a start
    // without one is told apart.
    ConsoleOptions options = fastOptions();
    options.settle = 5s;
    HostedConsole console(nullptr, options);
    auto start = std::chrono::steady_clock::now();
    console.runInConsole("/bin/true");
    EXPECT_GE(std::chrono::steady_clock::now() - start, 5s);
    console.setSettle(0ms);
    start = std::chrono::steady_clock::now();
    console.runInConsole("/bin/true");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

TEST(ProgramLifecycle, TypedKeysWithoutAProgramDoNotShowAndDoNotReachTheNext)
{
    HostedConsole console(nullptr, fastOptions());
    console.writeBytes("stale-input\r");
    console.drainOutput(500ms);
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(screenContains(*console.takeSnapshot(), "stale"));
    console.runInConsole("/bin/bash -c 'read -t 0.3 line; echo got=[$line]'");
    EXPECT_TRUE(screenContains(*waitForText(console, "got="), "got=[]"));
}

// A program that never reads leaves a backlog of 100 000 keys (in our queue and in the
// kernel's buffers): none of them reaches the next program, whose first byte read is the
// first key sent to it.
TEST(ProgramLifecycle, KeysTheLastProgramNeverReadDoNotReachTheNext)
{
    HostedConsole console(nullptr, fastOptions());
    console.runInConsole("sleep 30");
    KeyEventRecord key;
    key.virtualKeyCode = 'X';
    key.unicodeChar = 'x';
    for (int i = 0; i < 100000; ++i)
        console.writeInput(key);
    console.killProgram();
    ASSERT_FALSE(console.isProgramActive());
    console.runInConsole("stty -icanon -echo; echo ready; printf 'first=[%s]' \"$(head -c 1)\"");
    ASSERT_TRUE(screenContains(*waitForText(console, "ready"), "ready"));
    key.virtualKeyCode = 'Z';
    key.unicodeChar = 'z';
    console.writeInput(key);
    const SnapshotPtr s = waitForText(console, "first=");
    EXPECT_TRUE(screenContains(*s, "first=[z]")) << SnapshotText(*s);
}

TEST(ProgramLifecycle, ProfileBesideTheProgramSetsSizeAndFont)
{
    TempDir dir;
    const std::string tool = dir.file("viewer", "#!/bin/sh\nstty size\n", kExecutable);
    dir.file("viewer.vdesk", "[Console]\nWidth=100\nHeight=$1E\nFont.Name=Lucida Console\nFont.Size=12\nFont.Style=bold, italic\n");
    FontListener listener;
    HostedConsole console(&listener, fastOptions());
    console.runInConsole(tool + " /q");
    EXPECT_TRUE(screenContains(*waitForText(console, "30 100"), "30 100"));
    EXPECT_EQ(console.screenInfo().width, 100);
    EXPECT_EQ(console.profile().FileName, dir.path.string() + "/viewer.vdesk");
    FontSpec expected{"Lucida Console", 12, true, true, false, false};
    EXPECT_EQ(console.displayFont(), expected);
    std::lock_guard lock(listener.mutex);
    ASSERT_EQ(listener.fonts.size(), 1u);
    EXPECT_EQ(listener.fonts[0], expected);
}

TEST(ProgramLifecycle, ProfileFoundAlongPathAndPartialProfileKeepsTheRest)
{
    TempDir dir;
    dir.file("lister", "#!/bin/sh\nstty size\n", kExecutable);
    dir.file("lister.vdesk", "[console]\n  width = 0x5A \n");
    const std::string oldPath = getenv("PATH");
    setenv("PATH", (dir.path.string() + ":" + oldPath).c_str(), 1);
    FontListener listener;
    HostedConsole console(&listener, fastOptions(80, 30));
    FontSpec font{"DejaVu Sans Mono", 11, false, true, false, false};
    console.setDisplayFont(font);
    console.runInConsole("lister");
    EXPECT_TRUE(screenContains(*waitForText(console, "30 90"), "30 90"));
    setenv("PATH", oldPath.c_str(), 1);
    EXPECT_EQ(console.displayFont(), font);
    std::lock_guard lock(listener.mutex);
    ASSERT_EQ(listener.fonts.size(), 1u);  // set again to its current value
    EXPECT_EQ(listener.fonts[0], font);
}

TEST(ProgramLifecycle, ProfileSizesTheConsoleRefusesLeaveTheBuffer)
{
    TempDir dir;
    const std::string tool = dir.file("tool", "#!/bin/sh\nstty size\n", kExecutable);
    HostedConsole console(nullptr, fastOptions());
    for (const char* size : {"Width=0", "Width=-5", "Width=100000\nHeight=100000", "Height=65561", "Width=wide"}) {
        dir.file("tool.vdesk", std::string("[Console]\n") + size + "\n");
        console.runInConsole(tool);
        ASSERT_TRUE(waitForExit(console));
        EXPECT_EQ(console.screenInfo().width, 80) << size;
        EXPECT_EQ(console.screenInfo().height, 25) << size;
    }
}

TEST(ProgramLifecycle, CommandNamingAProfileLoadsItThenCannotExecute)
{
    TempDir dir;
    const std::string profile = dir.file("viewer.vdesk", "[Console]\nWidth=90\n[Process]\nCommandLine=/bin/echo no\n");
    HostedConsole console(nullptr, fastOptions());
    EXPECT_THROW(console.runInConsole(profile), CantExecuteError);
    EXPECT_EQ(console.screenInfo().width, 90);
    EXPECT_EQ(console.profile().CommandLine, "/bin/echo no");
    EXPECT_FALSE(console.isProgramActive());
}
