#pragma once
// Moving bytes through the pty master: the queues of what the terminal sends to the program
// (typed keys first, then answers to queries, bounded), written without ever blocking, and
// the reader and parser threads that drain the program's output as fast as it comes.

#include <array>
#include <atomic>
#include <condition_variable>
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

// Two threads drain the program's output: the reader takes bytes from the pty into one of a
// few fixed buffers and hands each over as soon as the pty is empty or the buffer full; the
// parser thread gives each buffer to the sink, in chunks, while the reader already fills the
// next one. Nothing is copied between them, and memory stays bounded: when every buffer waits
// for the parser, the reader stops reading and the pty's own buffer holds the program back.
class PtyReader {
public:
    // Called on the parser thread with the program's output in order, in chunks of at most
    // kChunk bytes, cut anywhere (also inside UTF-8 characters).
    using Sink = std::function<void(std::string_view)>;
    // Called on the parser thread after each read's chunks went to the sink.
    using AfterRead = std::function<void()>;

    static constexpr size_t kReadBuffer = 64 * 1024;
    static constexpr size_t kBuffers = 4;
    static constexpr size_t kChunk = 4 * 1024;
    // The reader hands a buffer over once it holds this much, when the pty stayed quiet for
    // kQuietMs, or when its first bytes are kMaxHold old: big pieces while output floods in,
    // no delay worth seeing otherwise, also from a program that writes a little at a time.
    static constexpr size_t kHandOver = 16 * 1024;
    static constexpr int kQuietMs = 1;
    static constexpr std::chrono::milliseconds kMaxHold{5};

    PtyReader(int master, PtyWriter& writer, Sink sink, AfterRead afterRead);
    ~PtyReader();
    PtyReader(const PtyReader&) = delete;
    PtyReader& operator=(const PtyReader&) = delete;

    // Makes the reader look at the write queue again.
    void wake();
    // True while bytes taken from the pty have not all been through the sink yet.
    bool busy() const
    {
        return m_reading.load(std::memory_order_acquire) || m_unparsed.load(std::memory_order_acquire) != 0;
    }
    // Bytes read in total (for measurements).
    uint64_t bytesRead() const { return m_bytesRead.load(std::memory_order_relaxed); }

private:
    struct Buffer {
        std::unique_ptr<char[]> bytes;
        size_t length = 0;
    };

    void readLoop();
    void parseLoop();
    // Reads into the buffer until the pty is empty or the buffer full. False when the
    // master is gone.
    bool readAvailable(Buffer& buffer);

    const int m_master;
    PtyWriter& m_writer;
    Sink m_sink;
    AfterRead m_afterRead;
    int m_wake[2] = {-1, -1};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_reading{false};
    std::atomic<size_t> m_unparsed{0};  // buffers handed over and not yet through the sink
    std::atomic<uint64_t> m_bytesRead{0};

    std::array<Buffer, kBuffers> m_buffers;
    std::mutex m_queueMutex;  // guards the two lists, the buffers' lengths and the flags below
    std::condition_variable m_filledCv;
    std::deque<size_t> m_free;    // buffers the reader may fill
    std::deque<size_t> m_filled;  // buffers waiting for the parser, oldest first
    bool m_readerWaits = false;   // the reader found no free buffer and polls without reading

    std::thread m_parser;
    std::thread m_reader;
};

}  // namespace qp
