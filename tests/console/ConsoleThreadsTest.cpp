// Several threads on one console: snapshots taken while the reader thread parses a flood
// and the size changes, a listener told of output that never pauses, keys sent from many
// threads, polling while another thread kills, two starts at once, and a listener that calls
// back into the console.

#include "console/Codepage.h"
#include "ConsoleTestUtil.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace qp;
using namespace qp::test;
using namespace std::chrono_literals;

namespace {

// Everything a reader relies on: sizes agree, the spare cell is zero, OEM cells match.
::testing::AssertionResult consistent(const ScreenSnapshot& s)
{
    const size_t n = size_t(s.width) * size_t(s.height);
    if (s.wideCells.size() != n + 1 || s.oemCells.size() != n + 1 || s.rowVersions.size() != size_t(s.height))
        return ::testing::AssertionFailure() << "sizes " << s.width << "x" << s.height;
    if (!(s.wideCells[n] == ScreenCell{}) || !(s.oemCells[n] == ScreenCell{}))
        return ::testing::AssertionFailure() << "spare cell not zero";
    if (s.cursorX < 0 || s.cursorX >= s.width || s.cursorY < 0 || s.cursorY >= s.height)
        return ::testing::AssertionFailure() << "cursor outside";
    for (size_t i = 0; i < n; ++i)
        if (s.oemCells[i].ch != Utf16ToOem(char16_t(s.wideCells[i].ch)) || s.oemCells[i].attr != s.wideCells[i].attr)
            return ::testing::AssertionFailure() << "OEM cell " << i << " differs";
    return ::testing::AssertionSuccess();
}

struct ReentrantListener : ConsoleListener {
    HostedConsole* console = nullptr;
    std::atomic<int> calls{0};
    void screenChanged() override
    {
        if (console) {
            console->takeSnapshot();
            console->screenInfo();
        }
        ++calls;
    }
    void titleChanged(const std::string&) override
    {
        if (console)
            console->title();
    }
};

}  // namespace

TEST(ConsoleThreads, SnapshotsStayConsistentWhileFloodingAndResizing)
{
    ReentrantListener listener;
    HostedConsole console(&listener, fastOptions());
    listener.console = &console;
    console.runInConsole("/bin/sh -c \"while :; do printf '\\033]0;t\\007\\033[31mcaf\\303\\251 \\342\\224\\200 \\346\\274\\242 %s\\n' $$; done\"");
    std::atomic<bool> stop{false};
    std::atomic<int> snapshots{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 3; ++i)
        threads.emplace_back([&] {
            while (!stop) {
                const SnapshotPtr s = console.takeSnapshot();
                EXPECT_TRUE(consistent(*s));
                ++snapshots;
            }
        });
    threads.emplace_back([&] {
        for (int i = 0; !stop; ++i) {
            console.setBufferSize(60 + (i % 3) * 20, 20 + (i % 4) * 5);
            std::this_thread::sleep_for(3ms);
        }
    });
    threads.emplace_back([&] {
        while (!stop) {
            console.updateCaption();
            console.isProgramActive();
            std::this_thread::sleep_for(1ms);
        }
    });
    // At least 400 ms of it, and until the program's output and the readers have met
    // (however slowly a loaded machine gets there; a minute at most).
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < 60s
           && (std::chrono::steady_clock::now() - start < 400ms || snapshots.load() <= 10 || listener.calls.load() == 0))
        std::this_thread::sleep_for(10ms);
    stop = true;
    for (auto& t : threads)
        t.join();
    EXPECT_GT(snapshots.load(), 10);
    EXPECT_GT(listener.calls.load(), 0);
    console.killProgram();
    EXPECT_FALSE(console.isProgramActive());
}

TEST(ConsoleThreads, TheListenerHearsOfOutputThatTricklesWithoutAPause)
{
    // 12000 one-byte writes 40 us apart, at least 480 ms in all: the reader takes them without
    // sleeping in between, and still tells the listener every few milliseconds, not only once
    // the output stops.
    ReentrantListener listener;
    HostedConsole console(&listener, fastOptions());
    console.runInConsole(helper("qp_trickle") + " 12000 40");
    waitForText(console, ".");
    const int atFirstDot = listener.calls.load();
    ASSERT_TRUE(screenContains(*waitForText(console, "end"), "end"));
    ASSERT_TRUE(console.drainOutput(kWaitDeadline));
    EXPECT_GE(listener.calls.load() - atFirstDot, 20);
    console.killProgram();
}

TEST(ConsoleThreads, KeysFromManyThreadsAllArrive)
{
    HostedConsole console(nullptr, fastOptions(80, 50));
    // Keys that come before stty are echoed, as many as the timing allows: the answer goes on
    // a line of its own, never wrapped behind them.
    console.runInConsole("/bin/sh -c \"stty -echo -icanon; head -c 400 > /dev/null; echo; echo all-arrived\"");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            KeyEventRecord r;
            r.virtualKeyCode = 0x41;
            r.unicodeChar = 'k';
            for (int i = 0; i < 100; ++i)
                console.writeInput(r);
        });
    for (auto& t : threads)
        t.join();
    EXPECT_TRUE(screenContains(*waitForText(console, "all-arrived"), "all-arrived"));
    EXPECT_EQ(console.inputLog().size(), 400u);
}

TEST(ConsoleThreads, PollingWhileAnotherThreadKills)
{
    HostedConsole console(nullptr, fastOptions());
    for (int round = 0; round < 3; ++round) {
        console.runInConsole(helper("qp_stubborn") + " 2");
        waitForText(console, "pids:");
        std::atomic<bool> stop{false};
        std::thread poller([&] {
            while (!stop) {
                console.isProgramActive();
                console.updateCaption();
            }
        });
        console.killProgram();
        stop = true;
        poller.join();
        EXPECT_FALSE(console.isProgramActive());
    }
    EXPECT_EQ(zombieChildren(), 0);
}

TEST(ConsoleThreads, TwoStartsAtOnceGiveOneProgramAndOneNewWindow)
{
    const std::string record = std::filesystem::temp_directory_path() / ("qp-two-starts-" + std::to_string(getpid()));
    std::filesystem::remove(record);
    setenv("QP_RECORD_FILE", record.c_str(), 1);
    ConsoleOptions options = fastOptions();
    options.newWindowProgram = helper("qp_recordargs");
    HostedConsole console(nullptr, options);
    std::atomic<int> started{0}, newWindows{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 2; ++i)
        threads.emplace_back([&] {
            if (console.runInConsole("sleep 30") == HostedConsole::RunResult::Started)
                ++started;
            else
                ++newWindows;
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(started.load(), 1);
    EXPECT_EQ(newWindows.load(), 1);
    console.killProgram();
    std::filesystem::remove(record);
    unsetenv("QP_RECORD_FILE");
}
