#include "PtyIo.h"


#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace qp {

int PtyWriter::submit(std::string_view bytes)
{
    std::lock_guard lock(m_mutex);
    if (m_error != 0)
        return m_error;
    m_queue.append(bytes);
    return flushLocked();
}

int PtyWriter::submitAnswer(std::string_view bytes)
{
    std::lock_guard lock(m_mutex);
    if (m_error != 0)
        return m_error;
    if (bytes.empty())
        return flushLocked();
    if (m_answerBytes >= kMaxQueuedAnswers) {
        ++m_answersDropped;
        return flushLocked();
    }
    m_answers.emplace_back(bytes);
    m_answerBytes += bytes.size();
    return flushLocked();
}

void PtyWriter::discardPending()
{
    std::lock_guard lock(m_mutex);
    m_queue.clear();
    m_head = 0;
    m_answers.clear();
    m_answerHead = 0;
    m_answerBytes = 0;
}

int PtyWriter::flush()
{
    std::lock_guard lock(m_mutex);
    return flushLocked();
}

bool PtyWriter::pending() const
{
    std::lock_guard lock(m_mutex);
    return typedWaiting() > 0 || m_answerBytes > 0;
}

PtyWriter::QueueState PtyWriter::queueState() const
{
    std::lock_guard lock(m_mutex);
    return {typedWaiting(), m_answerBytes, m_answersDropped};
}

// Writes from bytes[head] on until done or the pty is full; false when it is full or broken.
bool PtyWriter::writeSome(const std::string& bytes, size_t& head)
{
    while (m_error == 0 && head < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + head, bytes.size() - head);
        if (n > 0) {
            head += size_t(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return false;
        } else {
            m_error = n < 0 ? errno : EIO;
        }
    }
    return m_error == 0;
}

int PtyWriter::flushLocked()
{
    // An answer already begun goes out whole first; then the typed bytes; answers only
    // when nothing typed waits.
    auto writeAnswer = [&] {
        const size_t before = m_answerHead;
        const bool done = writeSome(m_answers.front(), m_answerHead);
        m_answerBytes -= m_answerHead - before;
        if (done) {
            m_answers.pop_front();
            m_answerHead = 0;
        }
        return done;
    };
    bool room = m_answerHead == 0 || writeAnswer();
    if (room)
        room = writeSome(m_queue, m_head);
    while (room && !m_answers.empty())
        room = writeAnswer();
    if (m_head == m_queue.size() || m_error != 0) {
        m_queue.clear();
        m_head = 0;
    } else if (m_head > 64 * 1024) {
        m_queue.erase(0, m_head);
        m_head = 0;
    }
    if (m_error != 0) {
        m_answers.clear();
        m_answerHead = 0;
        m_answerBytes = 0;
    }
    return m_error;
}

int PtyWriter::waitForRoom(size_t limit, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            if (flushLocked() != 0)
                return m_error;
            if (typedWaiting() <= limit)
                return 0;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return EAGAIN;
        pollfd p{m_fd, POLLOUT, 0};
        poll(&p, 1, 50);
    }
}

namespace {

bool SeveralCores()
{
    cpu_set_t cores;
    CPU_ZERO(&cores);
    return sched_getaffinity(0, sizeof cores, &cores) == 0 && CPU_COUNT(&cores) > 1;
}

}  // namespace

PtyReader::PtyReader(int master, PtyWriter& writer, Sink sink, AfterRead afterRead)
    : m_master(master), m_writer(writer), m_sink(std::move(sink)), m_afterRead(std::move(afterRead)),
      m_buffer(std::make_unique<char[]>(kReadBuffer)), m_awaitFlow(SeveralCores())
{
    if (pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0)
        m_wake[0] = m_wake[1] = -1;
    m_reader = std::thread([this] { readLoop(); });
}

PtyReader::~PtyReader()
{
    m_stop.store(true);
    wake();
    if (m_reader.joinable())
        m_reader.join();
    close(m_wake[0]);
    close(m_wake[1]);
}

void PtyReader::wake()
{
    const char c = 1;
    if (m_wake[1] >= 0)
        (void)!::write(m_wake[1], &c, 1);
}

void PtyReader::readLoop()
{
    bool masterOpen = true;
    while (!m_stop.load()) {
        pollfd p[2] = {{m_wake[0], POLLIN, 0}, {m_master, 0, 0}};
        if (masterOpen)
            p[1].events = short(POLLIN | (m_writer.pending() ? POLLOUT : 0));
        // Without a wake pipe, look at the stop flag now and then.
        const int ready = poll(p, masterOpen ? 2 : 1, m_wake[0] < 0 ? 20 : -1);
        if (ready < 0 && errno != EINTR)
            break;
        if (p[0].revents & POLLIN) {
            char drain[64];
            while (::read(m_wake[0], drain, sizeof drain) > 0) {
            }
        }
        if (p[1].revents & POLLOUT)
            m_writer.flush();
        if (masterOpen && (p[1].revents & (POLLIN | POLLHUP | POLLERR)))
            masterOpen = readBurst();
    }
}

bool PtyReader::readBurst()
{
    m_reading.store(true, std::memory_order_release);
    const auto burstEnd = std::chrono::steady_clock::now() + kBurstTime;
    bool open = true;
    size_t burst = 0;
    while (burst < kBurst && !m_stop.load(std::memory_order_relaxed)) {
        const ssize_t n = ::read(m_master, m_buffer.get(), kReadBuffer);
        if (n > 0) {
            m_bytesRead.fetch_add(uint64_t(n), std::memory_order_relaxed);
            for (size_t at = 0; at < size_t(n); at += kChunk)
                m_sink(std::string_view(m_buffer.get() + at, std::min(kChunk, size_t(n) - at)));
            burst += size_t(n);
            if (!keepReading(burstEnd))
                break;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // EIO once the last program's side is closed for good; EAGAIN when the pty is empty.
        open = n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        break;
    }
    if (burst > 0 && m_afterRead)
        m_afterRead();
    m_reading.store(false, std::memory_order_release);
    return open;
}

bool PtyReader::keepReading(std::chrono::steady_clock::time_point burstEnd) const
{
    // FIONREAD, unlike a read of an empty pty, never waits for the kernel's pty worker.
    int waiting = 0;
    auto more = [&] { return ioctl(m_master, FIONREAD, &waiting) != 0 || waiting > 0; };
    if (more())
        return std::chrono::steady_clock::now() < burstEnd;
    if (!m_awaitFlow)
        return false;
    const auto now = std::chrono::steady_clock::now();
    const auto giveUp = std::min(now + kFlowWait, burstEnd);
    while (std::chrono::steady_clock::now() < giveUp && !m_stop.load(std::memory_order_relaxed)) {
        sched_yield();  // the program or the kernel's worker may want this core
        if (more())
            return true;
    }
    return false;
}

}  // namespace qp
