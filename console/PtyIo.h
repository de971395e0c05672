#pragma once
// Moving bytes through the pty master: the queues of what the terminal sends to the program
// (typed keys first, then answers to queries, bounded), written without ever blocking, and
// the reader thread that drains the program's output as fast as it comes.

#include <atomic>
#include <memory>
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

// One thread drains the program's output: it waits for the pty, reads what is there and hands
// it to the sink at once, on the same core while the bytes are still in its cache, then reads
// on. Meanwhile the kernel keeps taking the program's output into the pty's own buffer, so the
// program writes on while the terminal parses; when the terminal falls behind, the full pty
// holds the program back and memory stays bounded. While output flows the thread does not go
// to sleep between pieces (see kFlowWait). The same thread writes the queued input whenever
// the pty has room for it.
class PtyReader {
public:
    // Called on the reader thread with the program's output in order, in pieces of at most
    // kChunk bytes, cut anywhere (also inside UTF-8 characters): the sink may hold a lock
    // that others wait for while it works on one piece, never longer.
    using Sink = std::function<void(std::string_view)>;
    // Called on the reader thread at the end of every burst that read something: after kBurst
    // bytes or kBurstTime, or once the pty stayed empty for kFlowWait.
    using AfterRead = std::function<void()>;

    static constexpr size_t kReadBuffer = 16 * 1024;
    static constexpr size_t kChunk = 1024;
    // Between two looks at the input queue and the stop flag, at most this much output is
    // read, for at most this long: a flood never keeps typed keys from the program, the
    // console from closing, nor the listener from hearing of the screen.
    static constexpr size_t kBurst = 16 * 1024;
    static constexpr std::chrono::microseconds kBurstTime{2000};
    // After a piece, while the pty is empty, the thread yields its core to whoever wants it and
    // asks the pty again, for this long, before it sleeps until the pty has more. The kernel
    // moves a program's output into the pty 4 KB at a time, by a worker that each read sets
    // going: awake, the reader takes every piece the moment it lands while the program and the
    // worker run on another core; asleep, it would be woken for every piece, which costs about
    // as long as the piece takes to come. Only where this process may use more than one core:
    // on one there is nothing to run beside it.
    static constexpr std::chrono::microseconds kFlowWait{100};

    PtyReader(int master, PtyWriter& writer, Sink sink, AfterRead afterRead);
    ~PtyReader();
    PtyReader(const PtyReader&) = delete;
    PtyReader& operator=(const PtyReader&) = delete;

    // Makes the reader look at the write queue again.
    void wake();
    // True while bytes taken from the pty have not all been through the sink and AfterRead.
    bool busy() const { return m_reading.load(std::memory_order_acquire); }
    // Bytes read in total (for measurements).
    uint64_t bytesRead() const { return m_bytesRead.load(std::memory_order_relaxed); }

private:
    void readLoop();
    // Reads and hands over up to kBurst bytes. False when the master is gone.
    bool readBurst();
    // After a piece: true when the burst reads on, with output waiting now or within
    // kFlowWait and time left before burstEnd; false when it ends.
    bool keepReading(std::chrono::steady_clock::time_point burstEnd) const;

    const int m_master;
    PtyWriter& m_writer;
    Sink m_sink;
    AfterRead m_afterRead;
    int m_wake[2] = {-1, -1};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_reading{false};
    std::atomic<uint64_t> m_bytesRead{0};
    std::unique_ptr<char[]> m_buffer;
    const bool m_awaitFlow;  // several cores to use: wait for output awake (kFlowWait)
    std::thread m_reader;
};

}  // namespace qp
