// Nothing started in a console outlives it: processes that stay in the program's session
// after its leader was reaped, daemons in sessions of their own, programs that ignore the
// polite signals; and nothing that was not started in it is touched.

#include "console/ConsoleProcesses.h"
#include "ConsoleTestUtil.h"

#include <csignal>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <sys/wait.h>

using namespace qp;
using namespace qp::test;
using namespace std::chrono_literals;

namespace {

// The pids a qp_leaver prints.
std::vector<pid_t> leftPids(HostedConsole& console)
{
    const SnapshotPtr s = waitForText(console, "left:");
    std::istringstream line(rowText(*s, 0).substr(5));
    std::vector<pid_t> pids;
    for (pid_t p; line >> p;)
        pids.push_back(p);
    return pids;
}

std::string zombieList()
{
    std::string list;
    for (const ProcessInfo& p : ListProcesses())
        if (p.ppid == getpid() && p.state == 'Z')
            list += std::to_string(p.pid) + " ";
    return list;
}

bool alive(pid_t pid)
{
    const auto info = ReadProcessInfo(pid);
    return info && info->state != 'Z';
}

// A process started outside every console, ended and reaped by the guard.
struct Bystander {
    pid_t pid = fork();
    Bystander()
    {
        if (pid == 0) {
            execl("/bin/sleep", "sleep", "300", static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Bystander()
    {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
};

struct LeaverCase {
    const char* name;
    const char* mode;
    size_t left;
    bool byKill;  // KillProcess while the console lives, else the console's end
};

class LeftBehind : public ::testing::TestWithParam<LeaverCase> {};

TEST_P(LeftBehind, EveryProcessOfTheConsoleEndsAndNothingElse)
{
    const LeaverCase& c = GetParam();
    Bystander bystander;
    std::vector<pid_t> pids;
    {
        HostedConsole console(nullptr, fastOptions());
        console.runInConsole(helper("qp_leaver") + " " + c.mode);
        pids = leftPids(console);
        ASSERT_EQ(pids.size(), c.left);
        if (std::string(c.mode) != "stay") {
            ASSERT_TRUE(waitForExit(console)) << "the program's leader is reaped first";
        }
        for (pid_t p : pids)
            ASSERT_TRUE(alive(p)) << p;
        if (c.byKill) {
            const auto start = std::chrono::steady_clock::now();
            console.killProgram();
            EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);  // it waits about a second
            for (pid_t p : pids)
                EXPECT_FALSE(alive(p)) << p;
        }
    }
    for (pid_t p : pids)
        EXPECT_TRUE(processGone(p)) << p;
    EXPECT_TRUE(alive(bystander.pid));
    EXPECT_EQ(zombieChildren(), 0) << zombieList();
}

INSTANTIATE_TEST_SUITE_P(Programs, LeftBehind,
                         ::testing::Values(LeaverCase{"NohupChildAtTheConsolesEnd", "nohup", 1, false},
                                           LeaverCase{"NohupChildByKillProcess", "nohup", 1, true},
                                           LeaverCase{"SetsidDaemonAtTheConsolesEnd", "daemon", 1, false},
                                           LeaverCase{"SetsidDaemonByKillProcess", "daemon", 1, true},
                                           LeaverCase{"AllOfThemWhileTheProgramRuns", "stay", 3, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LeftBehind, AShellLineWithNohupLeavesNothingAfterTheConsole)
{
    pid_t sleeper = 0;
    {
        HostedConsole console(nullptr, fastOptions());
        console.runInConsole("sh -c 'nohup sleep 300 >/dev/null 2>&1 & echo left: $!; sleep 1'");
        const std::vector<pid_t> pids = leftPids(console);
        ASSERT_EQ(pids.size(), 1u);
        sleeper = pids[0];
        ASSERT_TRUE(waitForExit(console));
    }
    EXPECT_TRUE(processGone(sleeper));
}

// Two consoles in one process: ending one leaves the other's processes alone.
TEST(LeftBehind, OnlyTheEndedConsolesProcessesAreKilled)
{
    HostedConsole kept(nullptr, fastOptions());
    kept.runInConsole(helper("qp_leaver") + " stay");
    const std::vector<pid_t> keptPids = leftPids(kept);
    ASSERT_EQ(keptPids.size(), 3u);
    std::vector<pid_t> endedPids;
    {
        HostedConsole ended(nullptr, fastOptions());
        ended.runInConsole(helper("qp_leaver") + " stay");
        endedPids = leftPids(ended);
        ASSERT_EQ(endedPids.size(), 3u);
    }
    for (pid_t p : endedPids)
        EXPECT_TRUE(processGone(p)) << p;
    for (pid_t p : keptPids)
        EXPECT_TRUE(alive(p)) << p;
    kept.killProgram();
    for (pid_t p : keptPids)
        EXPECT_TRUE(processGone(p)) << p;
}

TEST(ConsoleProcesses, ReadsTheProcessesOwnRecordAndFindsItsEnvironmentEntry)
{
    const auto self = ReadProcessInfo(getpid());
    ASSERT_TRUE(self.has_value());
    EXPECT_EQ(self->pid, getpid());
    EXPECT_EQ(self->ppid, getppid());
    EXPECT_EQ(self->session, getsid(0));
    EXPECT_GT(self->startTime, 0u);
    EXPECT_FALSE(ReadProcessInfo(0).has_value());
    EXPECT_TRUE(ProcessEnvironmentHas(getpid(), "PATH=" + std::string(getenv("PATH"))));
    EXPECT_FALSE(ProcessEnvironmentHas(getpid(), "PATH"));

    // A console with nothing started ends nothing.
    ConsoleProcesses none;
    Bystander bystander;
    EXPECT_EQ(none.endAll(500ms), 0u);
    EXPECT_TRUE(alive(bystander.pid));
}

}  // namespace
