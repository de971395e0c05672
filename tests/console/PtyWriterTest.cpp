// The queue of bytes for the program: it never blocks, keeps order when the other side is
// full, and after a failed write sends nothing more.

#include "PtyIo.h"

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
