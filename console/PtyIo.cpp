#include "PtyIo.h"


#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
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

PtyReader::PtyReader(int master, PtyWriter& writer, Sink sink, AfterRead afterRead)
    : m_master(master), m_writer(writer), m_sink(std::move(sink)), m_afterRead(std::move(afterRead))
{
    if (pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0)
        m_wake[0] = m_wake[1] = -1;
    for (size_t i = 0; i < kBuffers; ++i) {
        m_buffers[i].bytes = std::make_unique<char[]>(kReadBuffer);
        m_free.push_back(i);
    }
    m_parser = std::thread([this] { parseLoop(); });
    m_reader = std::thread([this] { readLoop(); });
}

PtyReader::~PtyReader()
{
    m_stop.store(true);
    wake();
    {
        std::lock_guard lock(m_queueMutex);
    }
    m_filledCv.notify_all();
    if (m_reader.joinable())
        m_reader.join();
    if (m_parser.joinable())
        m_parser.join();
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
    bool quiet = false;
    std::chrono::steady_clock::time_point heldSince;  // when the held bytes began
    size_t current = kBuffers;  // the buffer being filled; kept across polls while the parser is busy
    while (!m_stop.load()) {
        bool handOver = false;
        {
            std::lock_guard lock(m_queueMutex);
            if (current == kBuffers && !m_free.empty()) {
                current = m_free.front();
                m_free.pop_front();
                m_buffers[current].length = 0;
            }
            m_readerWaits = current == kBuffers;
            // What was read goes over once there is a good piece of it, when the pty stayed
            // quiet for a moment, or when no more will come; in between the reader goes on
            // filling the buffer, so the parser gets larger pieces and fewer hand-overs.
            const size_t length = current < kBuffers ? m_buffers[current].length : 0;
            const bool old = length > 0 && std::chrono::steady_clock::now() - heldSince >= kMaxHold;
            if (length > 0 && (length >= kHandOver || quiet || old || !masterOpen)) {
                m_filled.push_back(current);
                m_unparsed.fetch_add(1, std::memory_order_acq_rel);
                current = kBuffers;
                handOver = true;
            }
        }
        if (handOver) {
            m_reading.store(false, std::memory_order_release);
            m_filledCv.notify_one();
            continue;
        }
        const bool room = current < kBuffers && m_buffers[current].length < kReadBuffer;
        pollfd p[2] = {{m_wake[0], POLLIN, 0}, {m_master, 0, 0}};
        if (masterOpen)
            p[1].events = short((room ? POLLIN : 0) | (m_writer.pending() ? POLLOUT : 0));
        // Holding bytes, wait a moment for more before handing them over. Without a wake
        // pipe, look at the stop flag and the free buffers now and then.
        const bool holding = current < kBuffers && m_buffers[current].length > 0;
        const int ready = poll(p, masterOpen ? 2 : 1, holding ? kQuietMs : m_wake[0] < 0 ? 20 : -1);
        if (ready < 0 && errno != EINTR)
            break;
        quiet = ready == 0 && holding;
        if (p[0].revents & POLLIN) {
            char drain[64];
            while (::read(m_wake[0], drain, sizeof drain) > 0) {
            }
        }
        if (p[1].revents & POLLOUT)
            m_writer.flush();
        if (room && (p[1].revents & (POLLIN | POLLHUP | POLLERR))) {
            if (m_buffers[current].length == 0)
                heldSince = std::chrono::steady_clock::now();
            masterOpen = readAvailable(m_buffers[current]);
        }
    }
}

bool PtyReader::readAvailable(Buffer& buffer)
{
    m_reading.store(true, std::memory_order_release);
    bool open = true;
    while (buffer.length < kReadBuffer) {
        const ssize_t n = ::read(m_master, buffer.bytes.get() + buffer.length, kReadBuffer - buffer.length);
        if (n > 0) {
            buffer.length += size_t(n);
            m_bytesRead.fetch_add(uint64_t(n), std::memory_order_relaxed);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        open = n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        break;
    }
    if (buffer.length == 0)
        m_reading.store(false, std::memory_order_release);
    return open;
}

void PtyReader::parseLoop()
{
    for (;;) {
        size_t index;
        {
            std::unique_lock lock(m_queueMutex);
            m_filledCv.wait(lock, [&] { return m_stop.load() || !m_filled.empty(); });
            if (m_stop.load())
                return;
            index = m_filled.front();
            m_filled.pop_front();
        }
        const Buffer& buffer = m_buffers[index];
        for (size_t at = 0; at < buffer.length && !m_stop.load(); at += kChunk) {
            m_sink(std::string_view(buffer.bytes.get() + at, std::min(kChunk, buffer.length - at)));
            // Let whoever waits for this core go first: while output floods in, that is the
            // reader, the program or the kernel's pty worker, and every moment one of them
            // waits behind the parser the program stalls on a full pty. The parser keeps
            // its share of the core; it only gives up its turn.
            std::this_thread::yield();
        }
        bool wakeReader;
        {
            std::lock_guard lock(m_queueMutex);
            m_free.push_back(index);
            wakeReader = m_readerWaits;
            m_readerWaits = false;
        }
        if (wakeReader)
            wake();
        if (m_afterRead)
            m_afterRead();
        m_unparsed.fetch_sub(1, std::memory_order_acq_rel);
    }
}

}  // namespace qp
