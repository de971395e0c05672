#pragma once
// The screen in the forms a failed run leaves behind: a terminal frame (for recordings), a
// self-contained HTML page with the colours, the cursor and the failing cells marked, and
// an asciicast v2 recording of a whole run made from the screens the console went through.

#include "console/HostedConsole.h"
#include "console/ScreenTypes.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace qp {

// The screen as bytes a terminal of the same size turns back into it: cleared, every row
// with its colours, then the cursor where it stands (hidden when it is).
std::string ScreenAnsi(const ScreenSnapshot& screen);

// A whole HTML page showing the screen: the console's colours, the cursor's cell outlined,
// the cells of `area` (the failing check's) marked; the title and the message above it.
std::string ScreenHtml(const ScreenSnapshot& screen, const std::optional<CellRect>& area, const std::string& title,
                       const std::string& message);

// Text made safe for a JSON string (quotes, backslashes, controls escaped; invalid UTF-8
// replaced by U+FFFD).
std::string JsonEscape(std::string_view utf8);

// Records the screens a console goes through as an asciicast v2 file: the console's
// listener (forwarding to `next`); a thread of its own takes a snapshot after each change,
// at most one frame per `frameGap`, and keeps at most `maxBytes` of frames.
class CastRecorder final : public ConsoleListener {
public:
    explicit CastRecorder(ConsoleListener* next, std::chrono::milliseconds frameGap = std::chrono::milliseconds(20),
                          size_t maxBytes = size_t(16) << 20)
        : m_next(next), m_frameGap(frameGap), m_maxBytes(maxBytes) {}
    // Ends the thread without a last frame (the console may be gone by then).
    ~CastRecorder() override;

    // Starts recording the console (once).
    void start(HostedConsole& console);
    // Records the last screen and ends the recording; the file's text. Call it while the
    // console still exists. Safe to call twice.
    std::string stop();

    void screenChanged() override;
    void titleChanged(const std::string& utf8) override {
        if (m_next)
            m_next->titleChanged(utf8);
    }
    void displayFontChanged(const FontSpec& font) override {
        if (m_next)
            m_next->displayFontChanged(font);
    }

private:
    void record(HostedConsole& console);
    void frame(const ScreenSnapshot& screen);

    ConsoleListener* m_next;
    std::chrono::milliseconds m_frameGap;
    size_t m_maxBytes;
    std::chrono::steady_clock::time_point m_start;
    std::thread m_thread;

    std::mutex m_mutex;  // guards the fields below
    HostedConsole* m_console = nullptr;  // while recording
    std::condition_variable m_wake;
    bool m_changed = false;
    bool m_stopping = false;
    std::string m_cast;
    uint64_t m_lastGeneration = ~uint64_t(0);
    bool m_truncated = false;
};

}  // namespace qp
