#pragma once
// Moving bytes through the pty master: the queues of what the terminal sends to the program
// (typed keys first, then answers to queries, bounded), written without ever blocking, and
// the reader thread that drains the program's output as fast as it comes.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace qp {

class PtyWriter {
public:
    // Answers to queries waiting beyond this many bytes are dropped: a program that asks
    // and never reads must not grow the console's memory (a terminal whose output is
    // blocked stalls instead).
    static constexpr size_t kMaxQueuedAnswers = 64 * 1024;

    explicit PtyWriter(int fd) : m_fd(fd) {}
    // Queues typed or pasted bytes, never dropped, and writes what the pty takes now.
    // Returns 0, or the errno of a failed write; after a failure nothing more is sent and
    // every submit fails the same way.
    int submit(std::string_view bytes);
    // Queues the terminal's answers to the program's queries behind the typed bytes, or
    // drops them when kMaxQueuedAnswers bytes of answers are waiting already. An answer is
    // written whole: typed bytes never land inside one, nor answers inside typed bytes.
    int submitAnswer(std::string_view bytes);
    // Writes what the pty takes now; same result as submit.
    int flush();
    bool pending() const;
    // Waits, polling for room, until at most `limit` typed bytes are queued. Returns 0, the
    // errno of a failed write, or EAGAIN when the program took nothing for `timeout`.
    int waitForRoom(size_t limit, std::chrono::milliseconds timeout);

    struct QueueState {
        size_t typed = 0;             // typed bytes waiting
        size_t answers = 0;           // answer bytes waiting
        uint64_t answersDropped = 0;  // answers dropped so far
    };
    QueueState queueState() const;
    // Drops every byte still queued, typed or answer: a new program must not receive the
    // input its predecessor never read.
    void discardPending();

private:
    int flushLocked();
    bool writeSome(const std::string& bytes, size_t& head);
    size_t typedWaiting() const { return m_queue.size() - m_head; }

    const int m_fd;
    mutable std::mutex m_mutex;
    std::string m_queue;  // typed bytes, from m_head on
    size_t m_head = 0;
    std::deque<std::string> m_answers;  // the first from m_answerHead on
    size_t m_answerHead = 0;
    size_t m_answerBytes = 0;  // bytes of answers waiting
    uint64_t m_answersDropped = 0;
    int m_error = 0;
};

class PtyReader {
public:
    // Called with the program's output in chunks that never split a UTF-8 character.
    using Sink = std::function<void(std::string_view)>;
    // Called after each read's chunks went to the sink.
    using AfterRead = std::function<void()>;

    static constexpr size_t kReadBuffer = 64 * 1024;
    static constexpr size_t kChunk = 16 * 1024;

    PtyReader(int master, PtyWriter& writer, Sink sink, AfterRead afterRead);
    ~PtyReader();
    PtyReader(const PtyReader&) = delete;
    PtyReader& operator=(const PtyReader&) = delete;

    // Makes the thread look at the write queue again.
    void wake();
    // True while the thread is between taking bytes from the pty and handing them over.
    bool busy() const { return m_busy.load(std::memory_order_acquire); }
    // Bytes read in total (for measurements).
    uint64_t bytesRead() const { return m_bytesRead.load(std::memory_order_relaxed); }

private:
    void run();
    bool readAvailable();
    void deliver();

    const int m_master;
    PtyWriter& m_writer;
    Sink m_sink;
    AfterRead m_afterRead;
    int m_wake[2] = {-1, -1};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_busy{false};
    std::atomic<uint64_t> m_bytesRead{0};
    std::string m_buffer;  // held-back UTF-8 tail, then the bytes of one read
    std::thread m_thread;
};

}  // namespace qp
