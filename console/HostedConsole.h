#pragma once
// The hosted console: a pseudo-terminal with the program under test in it, a terminal
// emulator of our own (console/Terminal) feeding a screen model of our own, and a reader
// thread that drains the program's output into it. Pure C++; the desktop program and
// the headless player both sit on it.
//
// Threads: every public method may be called from any thread. The reader thread owns the
// emulator while it parses a chunk; everyone else goes through the same lock, held briefly.

#include "KeyEventRecord.h"
#include "ScreenTypes.h"
#include "SpaceParams.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace qp {

// What the console tells the world. Called from the reader thread (screenChanged,
// titleChanged) or the calling thread; implementations must be quick and thread-safe.
class ConsoleListener {
public:
    virtual ~ConsoleListener() = default;
    virtual void screenChanged() {}                               // new output was parsed
    virtual void titleChanged(const std::string& /*utf8*/) {}
    virtual void displayFontChanged(const FontSpec& /*font*/) {}  // a profile set the display font
};

// The screen-buffer information record as the console reports it.
struct ScreenInfo {
    int16_t width = 80;
    int16_t height = 25;
    int16_t cursorX = 0;
    int16_t cursorY = 0;
    uint16_t attributes = 0x07;
};

// When the program last wrote and was last written to, as the waits that settle before a
// read see it. Times are zero (the clock's epoch) until the first event.
struct ConsoleActivity {
    using Clock = std::chrono::steady_clock;
    uint64_t outputVersion = 0;  // counts the reads of the program's output parsed so far
    Clock::time_point lastOutput{};
    Clock::time_point lastInput{};  // the last key or bytes sent to the program
    uint64_t programStarts = 0;
    Clock::time_point programStart{};
    bool outputSinceStart = false;  // the program of the last start has written something
    bool inputSinceStart = false;   // something was sent to it
    // The latest of the last output, the last input and the last start: the console is
    // quiet from here on.
    Clock::time_point lastActivity() const { return std::max({lastOutput, lastInput, programStart}); }
};

// Buffer sizes the console takes: each side 1 to 10000 cells, at most 4 million cells in all.
inline constexpr int kMaxBufferSide = 10000;
inline constexpr long kMaxBufferCells = 4'000'000;
bool BufferSizeAcceptable(long columns, long rows);

struct ConsoleOptions {
    int16_t columns = 80;
    int16_t rows = 25;
    // Wait after a successful start, so the program under test can set itself up.
    std::chrono::milliseconds settle{200};
    // Program to start for a command given while another program runs; empty means
    // "pallant" beside the running executable.
    std::string newWindowProgram;
    // How many input records the bounded input log keeps.
    size_t inputLogCapacity = 4096;
};

class HostedConsole {
public:
    // CreateHostedConsole: a pty and an emulator of options.columns x options.rows.
    explicit HostedConsole(ConsoleListener* listener = nullptr, ConsoleOptions options = {});
    ~HostedConsole();  // kills the program under test and stops the reader thread
    HostedConsole(const HostedConsole&) = delete;
    HostedConsole& operator=(const HostedConsole&) = delete;

    // --- the program under test -------------------------------------------------------
    enum class RunResult { Started, NewWindow };
    // RunInConsole: when a program is active, RunInNewWindow instead. Otherwise clear the
    // screen, apply the command's profile, start it with the pty as controlling terminal
    // in a session of its own, then settle. Throws CantExecuteError when it cannot start.
    RunResult runInConsole(const std::string& command);
    // RunInNewWindow: start the desktop program with the quoted command. Throws CantExecuteError.
    void runInNewWindow(const std::string& command);
    // ApplyProfile: the ".vdesk" file beside the command's program sets the buffer size and
    // the display font (runInConsole calls it before the start).
    void applyProfile(const std::string& command);
    // IsProgramActive: polls without blocking; forgets a program that ended.
    bool isProgramActive();
    // KillProgram: kills every process started in the console (the program's group, also
    // after its leader was reaped, and the processes that left it: see ConsoleProcesses),
    // waits at most about a second for them. The destructor does the same.
    void killProgram();
    int programPid() const;  // 0 when none is held
    // True while the program under test sleeps waiting for input (see WaitsForInput).
    bool programWaitsForInput() const;
    // The exit status of the program started last, once it has ended: its exit code, or
    // 128 + the signal that ended it (-1 when it could not be learnt). Nothing while it
    // runs, or when no program was started.
    std::optional<int> exitStatus();

    // UpdateCaption: "title ~ Quorvia Pallant" while a program runs and has set a title,
    // else "Quorvia Pallant".
    std::string updateCaption();
    std::string title() const;  // UTF-8

    // --- the screen ---------------------------------------------------------------------
    // TakeSnapshot: the active screen as it is now. Cheap when nothing changed (the same
    // snapshot is returned). Safe from any thread.
    SnapshotPtr takeSnapshot();
    ScreenInfo screenInfo() const;
    // ClearConsoleScreen: blanks in every cell (attributes kept), cursor to (0, 0).
    void clearConsoleScreen();
    // SetConsoleWidth: new width, same height. Refused sizes leave the buffer as it was.
    void setConsoleWidth(int16_t columns);
    // Sets the buffer (terminal) size; false, and nothing changed, for sizes it refuses
    // (see BufferSizeAcceptable).
    bool setBufferSize(int columns, int rows);
    // Waits until everything the program wrote so far has reached the screen. False when
    // output still arrives at the timeout.
    bool drainOutput(std::chrono::milliseconds timeout);

    // --- activity ---------------------------------------------------------------------------
    ConsoleActivity activity() const;
    // Waits until `done` holds for the activity, `until` passes or `stop` is requested.
    // `done` is asked again whenever the program writes, something is sent to it, a
    // program starts, or wakeActivityWaiters is called. Returns done's last answer.
    bool waitActivity(std::chrono::steady_clock::time_point until, std::stop_token stop,
                      const std::function<bool(const ConsoleActivity&)>& done);
    void wakeActivityWaiters();

    // --- input ----------------------------------------------------------------------------
    // Writes one key-event record into the console's input: the terminal turns it into the
    // bytes an xterm sends for that key. Throws ConsoleError when the write fails.
    void writeInput(const KeyEventRecord& record);
    // The bounded log of records written, oldest first.
    std::vector<KeyEventRecord> inputLog() const;
    // Writes raw bytes to the program (paste of text the terminal takes as is).
    void writeBytes(const std::string& bytes);
    // What waits to be written to the program: typed bytes (never dropped), answers to its
    // queries (bounded: beyond a limit they are dropped, and counted).
    struct InputQueue {
        size_t typed = 0;
        size_t answers = 0;
        uint64_t answersDropped = 0;
    };
    InputQueue inputQueue() const;

    // --- profile and display font -------------------------------------------------------
    // The profile last applied. Read it on the thread that starts programs, not while
    // another thread runs a command.
    TSpaceParams& profile();
    FontSpec displayFont() const;
    // The display's font as the user chose it; also copied into the profile.
    void setDisplayFont(const FontSpec& font);

    // The options as given at creation (setSettle does not change them).
    const ConsoleOptions& options() const;
    void setSettle(std::chrono::milliseconds settle);

    class Impl;
private:
    std::unique_ptr<Impl> m_impl;
};

}  // namespace qp
