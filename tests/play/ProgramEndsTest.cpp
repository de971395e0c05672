// The trace's program ends against real programs in the real pty: written as the program
// ends with nobody asking the console, with the exit status (128 + signal), once, before
// the next start, and for a program still running when the script ends.

#include "play/ProgramEnds.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <sstream>

using namespace qp;
using namespace std::chrono_literals;

namespace {

// The trace's text, and a wake-up whenever the trace flushes a line (it does after each).
class WatchedBuffer : public std::stringbuf {
public:
    bool waitFor(const std::string& part) {
        std::unique_lock lock(m_mutex);
        // Generous: a program's end takes milliseconds.
        return m_flushed.wait_for(lock, 20s, [&] { return m_text.find(part) != std::string::npos; });
    }
    std::string text() {
        std::lock_guard lock(m_mutex);
        return m_text;
    }

protected:
    int sync() override {
        {
            std::lock_guard lock(m_mutex);
            m_text = str();
        }
        m_flushed.notify_all();
        return 0;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_flushed;
    std::string m_text;
};

size_t count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

class ProgramEnds : public ::testing::Test {
protected:
    ConsoleOptions options() {
        ConsoleOptions o;
        o.settle = 0ms;
        return o;
    }
    WatchedBuffer buffer;
    std::ostream out{&buffer};
    TraceFile trace{out};
    HostedConsole console{nullptr, options()};
    ProgramEndTrace ends{console, trace};

    void start(const std::string& command) {
        console.runInConsole(command);
        ends.watch(command);
    }
};

struct EndCase {
    const char* name;
    const char* command;
    const char* end;
};

class ProgramEndsTable : public ProgramEnds, public ::testing::WithParamInterface<EndCase> {};

TEST_P(ProgramEndsTable, AreWrittenWhenTheProgramEndsWithNobodyAsking) {
    start(GetParam().command);
    EXPECT_TRUE(buffer.waitFor(GetParam().end)) << buffer.text();
    ends.finish();
    EXPECT_EQ(count(buffer.text(), "] end "), 1u) << buffer.text();
}

INSTANTIATE_TEST_SUITE_P(
    Programs, ProgramEndsTable,
    ::testing::Values(EndCase{"Success", "true", "] end [\"true\"] exit status 0\n"},
                      EndCase{"ExitCode", "sh -c 'exit 5'", "] end [\"sh\", \"-c\", \"exit 5\"] exit status 5\n"},
                      EndCase{"Signal", "sh -c 'kill -TERM $$'",
                              "] end [\"sh\", \"-c\", \"kill -TERM $$\"] exit status 143\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgramEnds, AnEndIsWrittenBeforeTheNextStartAndOnlyOnce) {
    start("true");
    ASSERT_TRUE(buffer.waitFor("] end [\"true\"]")) << buffer.text();
    // The script learns of the end too (WaitExit, IsProcessActive), then starts the next.
    EXPECT_EQ(console.exitStatus(), 0);
    ends.programStarting();
    EXPECT_EQ(count(buffer.text(), "] end [\"true\"] exit status 0\n"), 1u) << buffer.text();
    start("sh -c 'exit 2'");
    EXPECT_TRUE(buffer.waitFor("] end [\"sh\", \"-c\", \"exit 2\"] exit status 2\n")) << buffer.text();
    ends.finish();
    EXPECT_EQ(count(buffer.text(), "] end "), 2u) << buffer.text();
}

TEST_F(ProgramEnds, AProgramStillRunningIsEndedWithTheScript) {
    start("sleep 30");
    ends.finish();
    EXPECT_EQ(count(buffer.text(), "] end [\"sleep\", \"30\"] exit status 137 when the script ended\n"), 1u)
        << buffer.text();
    EXPECT_FALSE(console.isProgramActive());
    ends.finish();  // once only
    EXPECT_EQ(count(buffer.text(), "] end "), 1u) << buffer.text();
}

}  // namespace
