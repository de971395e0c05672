// The queue of bytes for the program: it never blocks, keeps order when the other side is
// full, and after a failed write sends nothing more.

#include "console/PtyIo.h"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

using namespace qp;
using namespace std::chrono_literals;

namespace {

struct Pipe {
    int fds[2] = {-1, -1};
    Pipe() { EXPECT_EQ(pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0); }
    ~Pipe()
    {
        close(fds[0]);
        close(fds[1]);
    }
    std::string drain() const
    {
        std::string out;
        char buf[4096];
        for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;)
            out.append(buf, size_t(n));
        return out;
    }
};

}  // namespace

TEST(PtyWriter, QueuesWhatTheOtherSideCannotTakeAndKeepsOrder)
{
    Pipe p;
    fcntl(p.fds[1], F_SETPIPE_SZ, 4096);
    PtyWriter writer(p.fds[1]);
    std::string sent;
    for (int i = 0; sent.size() < 3 * 65536; ++i) {
        const std::string chunk = "chunk" + std::to_string(i) + ";";
        EXPECT_EQ(writer.submit(chunk), 0);
        sent += chunk;
    }
    EXPECT_TRUE(writer.pending());
    EXPECT_EQ(writer.waitForRoom(0, 20ms), EAGAIN);  // nobody reads: no room
    std::string received;
    while (writer.pending() || received.size() < sent.size()) {
        received += p.drain();
        EXPECT_EQ(writer.flush(), 0);
    }
    received += p.drain();
    EXPECT_EQ(received, sent);
    EXPECT_EQ(writer.waitForRoom(0, 20ms), 0);
}

TEST(PtyWriter, AFailedWriteReportsItsErrorAndStopsEverything)
{
    PtyWriter broken(-1);
    EXPECT_EQ(broken.submit("a"), EBADF);
    EXPECT_EQ(broken.submit("b"), EBADF);
    EXPECT_EQ(broken.flush(), EBADF);
    EXPECT_FALSE(broken.pending());
    EXPECT_EQ(broken.submit(""), EBADF);
}

// A program that asks and never reads: answers wait behind typed bytes, in a bounded queue;
// what does not fit is dropped, typed bytes never are, and nothing lands inside an answer.
TEST(PtyWriter, AnswersAreBoundedAndWaitBehindTypedBytes)
{
    Pipe p;
    fcntl(p.fds[1], F_SETPIPE_SZ, 4096);
    PtyWriter writer(p.fds[1]);
    auto answer = [](int i) {
        std::string a = "<answer " + std::to_string(i);
        return a + std::string(100 - a.size() - 1, '.') + ">";
    };
    int submitted = 0;
    while (writer.queueState().answersDropped < 10)
        EXPECT_EQ(writer.submitAnswer(answer(submitted++)), 0);
    PtyWriter::QueueState q = writer.queueState();
    EXPECT_LE(q.answers, PtyWriter::kMaxQueuedAnswers + 100);
    EXPECT_EQ(q.typed, 0u);
    const std::string typed = "KEYS" + std::string(200 * 1024, 'k');
    EXPECT_EQ(writer.submit(typed), 0);
    EXPECT_GT(writer.queueState().typed, typed.size() - 4096);  // kept, whatever the pipe took
    EXPECT_EQ(writer.queueState().answersDropped, 10u);

    std::string received;
    while (writer.pending()) {
        received += p.drain();
        EXPECT_EQ(writer.flush(), 0);
    }
    received += p.drain();
    const size_t keysAt = received.find("KEYS");
    ASSERT_NE(keysAt, std::string::npos);
    EXPECT_LE(keysAt, 4096u + 100u);  // only what the pipe held, and the answer it had begun
    EXPECT_EQ(keysAt % 100, 0u);       // not inside an answer
    std::string answers = received.substr(0, keysAt) + received.substr(keysAt + typed.size());
    EXPECT_EQ(received.substr(keysAt, typed.size()), typed);
    std::string expected;
    for (int i = 0; i < submitted - 10; ++i)
        expected += answer(i);
    EXPECT_EQ(answers, expected);  // the first ones, whole and in order; the last ten dropped
    q = writer.queueState();
    EXPECT_EQ(q.typed + q.answers, 0u);
}
