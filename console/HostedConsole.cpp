#include "HostedConsole.h"

#include "ConsoleFuncs.h"
#include "ConsoleProcesses.h"
#include "Emulator.h"
#include "Errors.h"
#include "KeyTranslation.h"
#include "PtyIo.h"
#include "PtyProcess.h"
#include "ShellCommand.h"
#include "SnapshotBuilder.h"

#include <algorithm>
#include <csignal>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <unistd.h>
#include <mutex>
#include <thread>

namespace qp {

namespace {

constexpr const char* kProductName = "Quorvia Pallant";
constexpr const char* kCaptionSeparator = " ~ ";
constexpr auto kKillWait = std::chrono::milliseconds(1000);
constexpr auto kTrackPeriod = std::chrono::milliseconds(1000);
constexpr auto kDrainBeforeStart = std::chrono::milliseconds(200);
// Keys queued for a program that does not read: beyond this a sender waits for room.
constexpr size_t kInputQueueLimit = 1 << 20;
constexpr auto kInputRoomWait = std::chrono::seconds(5);

std::string desktopProgram()
{
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (ec ? std::filesystem::path(".") : self.parent_path()) / "pallant";
}

std::vector<std::string> callerEnvironment()
{
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e)
        env.emplace_back(*e);
    return env;
}

}  // namespace

bool BufferSizeAcceptable(long columns, long rows)
{
    return columns >= 1 && rows >= 1 && columns <= kMaxBufferSide && rows <= kMaxBufferSide &&
           columns * rows <= kMaxBufferCells;
}

class HostedConsole::Impl {
public:
    Impl(ConsoleListener* listener, ConsoleOptions options);
    ~Impl();

    RunResult runInConsole(const std::string& command);
    void runInNewWindow(const std::string& command);
    void applyProfile(const std::string& command);
    bool isProgramActive();
    void killProgram();
    int programPid();
    std::optional<int> exitStatus();
    std::string title() const;
    SnapshotPtr takeSnapshot();
    ScreenInfo screenInfo() const;
    void clearConsoleScreen();
    bool setBufferSize(int columns, int rows);
    bool drainOutput(std::chrono::milliseconds timeout);
    void writeInput(const KeyEventRecord& record);
    std::vector<KeyEventRecord> inputLog() const;
    void writeBytes(const std::string& bytes);
    const PtyWriter& writer() const { return m_writer; }
    FontSpec displayFont() const;
    void setDisplayFont(const FontSpec& font, bool notify);
    ConsoleActivity activity() const;
    bool waitActivity(std::chrono::steady_clock::time_point until, std::stop_token stop,
                      const std::function<bool(const ConsoleActivity&)>& done);
    // Records an event under the activity lock and wakes the waiters.
    template <typename Change>
    void noteActivity(Change change);

    ConsoleListener* m_listener;
    ConsoleOptions m_options;
    std::atomic<int64_t> m_settleMs;
    std::mutex m_profileMutex;  // guards m_profile
    TSpaceParams m_profile;

private:
    void ingest(std::string_view chunk);
    void afterRead();
    void send(std::string_view bytes);
    LaunchSpec programLaunch(const std::string& command) const;
    bool pollChildLocked();
    void notifyScreen() { if (m_listener) m_listener->screenChanged(); }

    Pty m_pty;
    PtyWriter m_writer;

    mutable std::mutex m_screenMutex;  // guards the emulator, the key translator, the snapshot
    mutable std::atomic<int> m_screenWaiters{0};  // threads other than the parser waiting for it
    // The screen lock for any thread but the parser's, which lets it in between two chunks.
    std::unique_lock<std::mutex> lockScreen() const
    {
        m_screenWaiters.fetch_add(1, std::memory_order_acq_rel);
        std::unique_lock lock(m_screenMutex);
        m_screenWaiters.fetch_sub(1, std::memory_order_acq_rel);
        return lock;
    }
    Emulator m_emulator;
    KeyTranslator m_keys;
    SnapshotPtr m_snapshot;
    bool m_titlePending = false;

    std::mutex m_runMutex;   // one start at a time
    std::mutex m_procMutex;  // guards m_child, m_lastExit and m_lastTrack
    ChildProcess m_child;
    std::optional<int> m_lastExit;
    bool m_killed = false;  // the program was ended by killProgram's SIGKILL
    ConsoleProcesses m_processes;  // every process started here, also those that left
    std::chrono::steady_clock::time_point m_lastTrack;

    mutable std::mutex m_logMutex;
    std::deque<KeyEventRecord> m_inputLog;

    mutable std::mutex m_fontMutex;
    FontSpec m_displayFont;

    mutable std::mutex m_activityMutex;  // guards m_activity
    std::condition_variable_any m_activityWake;
    ConsoleActivity m_activity;

    std::unique_ptr<PtyReader> m_reader;  // last: stopped before everything it feeds goes away
};

HostedConsole::Impl::Impl(ConsoleListener* listener, ConsoleOptions options)
    : m_listener(listener),
      m_options(std::move(options)),
      m_settleMs(m_options.settle.count()),
      m_pty(BufferSizeAcceptable(m_options.columns, m_options.rows) ? m_options.columns : 80,
            BufferSizeAcceptable(m_options.columns, m_options.rows) ? m_options.rows : 25),
      m_writer(m_pty.master()),
      m_emulator(BufferSizeAcceptable(m_options.columns, m_options.rows) ? m_options.columns : 80,
                 BufferSizeAcceptable(m_options.columns, m_options.rows) ? m_options.rows : 25)
{
    m_reader = std::make_unique<PtyReader>(
        m_pty.master(), m_writer, [this](std::string_view chunk) { ingest(chunk); }, [this] { afterRead(); });
}

HostedConsole::Impl::~Impl()
{
    killProgram();
    m_reader.reset();
}

void HostedConsole::Impl::ingest(std::string_view chunk)
{
    // Between two chunks the lock goes to whoever waits for it (a painter's snapshot), before
    // the parser takes it again: a flood never starves a reader of the screen.
    while (m_screenWaiters.load(std::memory_order_acquire) > 0)
        std::this_thread::yield();
    std::lock_guard lock(m_screenMutex);
    m_emulator.write(chunk);
    if (m_emulator.hasOutput())
        m_writer.submitAnswer(m_emulator.takeOutput());  // answers the program waits for
    m_titlePending |= m_emulator.takeTitleChanged();
}

void HostedConsole::Impl::afterRead()
{
    noteActivity([](ConsoleActivity& a) {
        ++a.outputVersion;
        a.lastOutput = ConsoleActivity::Clock::now();
        a.outputSinceStart = true;
    });
    if (!m_listener)
        return;
    bool titleChanged = false;
    std::string newTitle;
    {
        std::lock_guard lock(m_screenMutex);
        std::swap(titleChanged, m_titlePending);
        if (titleChanged)
            newTitle = m_emulator.title();
    }
    if (titleChanged)
        m_listener->titleChanged(newTitle);
    m_listener->screenChanged();
}

// --- the program under test ----------------------------------------------------------

LaunchSpec HostedConsole::Impl::programLaunch(const std::string& command) const
{
    CommandExec exec = ResolveCommandLine(command);  // throws CantExecuteError
    LaunchSpec plan;
    plan.path = std::move(exec.path);
    plan.args = std::move(exec.args);
    plan.env = ProgramEnvironment();
    // The console's mark replaces one inherited from a console this process runs in.
    const std::string markName = std::string(ConsoleProcesses::EnvironmentName) + "=";
    std::erase_if(plan.env, [&](const std::string& e) { return e.rfind(markName, 0) == 0; });
    plan.env.push_back(m_processes.environmentEntry());
    plan.terminal = m_pty.slave();
    return plan;
}

HostedConsole::RunResult HostedConsole::Impl::runInConsole(const std::string& command)
{
    std::unique_lock run(m_runMutex);
    if (isProgramActive()) {
        run.unlock();
        runInNewWindow(command);
        return RunResult::NewWindow;
    }
    // What the last program wrote belongs to its screen, not to the next one's.
    drainOutput(kDrainBeforeStart);
    {
        const auto lock = lockScreen();
        m_emulator.prepareForProgram();
        m_emulator.clearCharacters();
        m_emulator.clearTitle();
    }
    notifyScreen();
    applyProfile(command);
    const LaunchSpec plan = programLaunch(command);
    // Keys the last program never read stay with it: our queue first, then the pty's.
    m_writer.discardPending();
    m_pty.prepareForProgram();
    // Before the launch: the program's first output may be parsed before Launch returns.
    noteActivity([](ConsoleActivity& a) {
        ++a.programStarts;
        a.programStart = ConsoleActivity::Clock::now();
        a.outputSinceStart = false;
        a.inputSinceStart = false;
    });
    const LaunchResult started = Launch(plan);
    if (started.error != 0) {
        m_pty.quiesce();
        throw CantExecuteError(command);
    }
    m_processes.started(started.pid);
    {
        std::lock_guard lock(m_procMutex);
        m_child = ChildProcess(started.pid);
        m_lastExit.reset();
        m_killed = false;
    }
    run.unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(m_settleMs.load()));
    return RunResult::Started;
}

void HostedConsole::Impl::runInNewWindow(const std::string& command)
{
    LaunchSpec plan;
    plan.path = m_options.newWindowProgram.empty() ? desktopProgram() : m_options.newWindowProgram;
    // The new instance takes its arguments as the program's vector: the words of a simple
    // command, or the shell with the whole line.
    plan.args = CommandLineVector(command);
    plan.args.insert(plan.args.begin(), plan.path);
    plan.env = callerEnvironment();
    plan.detach = true;
    const LaunchResult started = Launch(plan);
    if (started.error != 0)
        throw CantExecuteError(command);
    // Adopted by this process (see ConsoleProcesses): reaped once it ends, never killed.
    ReapWhenEnded(started.pid);
}

void HostedConsole::Impl::applyProfile(const std::string& command)
{
    const std::string program = FirstCommandWord(command);
    const std::string profilePath = program.empty() ? std::string() : ReplaceExtension(SearchExecutable(program), ".vdesk");
    const ScreenInfo current = screenInfo();
    const FontSpec font = displayFont();
    TSpaceParams loaded;
    {
        std::lock_guard lock(m_profileMutex);
        m_profile.ResetProfile();
        // The defaults under the file's values: the console's size and the display's font.
        m_profile.Width = current.width;
        m_profile.Height = current.height;
        m_profile.Font = font;
        if (profilePath.empty() || !m_profile.LoadProfile(profilePath))
            return;
        loaded = m_profile;
    }
    setDisplayFont(loaded.Font, true);
    setBufferSize(loaded.Width, loaded.Height);  // a size the console refuses changes nothing
}

bool HostedConsole::Impl::pollChildLocked()
{
    if (!m_child.held())
        return false;
    if (m_child.running())
        return true;
    // Reaped elsewhere (while every process of the console was ended) after our kill: the
    // status is our SIGKILL's.
    m_lastExit = m_child.exitCode() < 0 && m_killed ? 128 + SIGKILL : m_child.exitCode();
    m_child.forget();
    m_pty.quiesce();
    return false;
}

bool HostedConsole::Impl::isProgramActive()
{
    bool track = false;
    bool active;
    {
        std::lock_guard lock(m_procMutex);
        active = pollChildLocked();
        const auto now = std::chrono::steady_clock::now();
        if (now - m_lastTrack >= kTrackPeriod) {
            m_lastTrack = now;
            track = true;
        }
    }
    // Now and then: remember the processes that left the program's session, reap ended ones.
    if (track)
        m_processes.track();
    return active;
}

void HostedConsole::Impl::killProgram()
{
    {
        std::lock_guard lock(m_procMutex);
        m_killed = m_child.held();
        m_child.killGroup();
    }
    // Everything else started here: the group after its leader was reaped, processes that
    // left it, daemons.
    m_processes.endAll(kKillWait);
    {
        std::lock_guard lock(m_procMutex);
        if (!m_child.held())
            return;
    }
    const auto deadline = std::chrono::steady_clock::now() + kKillWait;
    while (std::chrono::steady_clock::now() < deadline) {
        {
            std::lock_guard lock(m_procMutex);
            if (!m_child.running())
                return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

std::optional<int> HostedConsole::Impl::exitStatus()
{
    std::lock_guard lock(m_procMutex);
    if (pollChildLocked())
        return std::nullopt;
    return m_lastExit;
}

int HostedConsole::Impl::programPid()
{
    std::lock_guard lock(m_procMutex);
    return m_child.held() ? int(m_child.pid()) : 0;
}

std::string HostedConsole::Impl::title() const
{
    const auto lock = lockScreen();
    return m_emulator.title();
}

// --- the screen ------------------------------------------------------------------------

SnapshotPtr HostedConsole::Impl::takeSnapshot()
{
    std::shared_ptr<ScreenSnapshot> fresh;
    SnapshotPtr previous;
    {
        const auto lock = lockScreen();
        if (m_snapshot && m_snapshot->generation == m_emulator.model().generation())
            return m_snapshot;
        fresh = CaptureScreen(m_emulator.model());
        previous = m_snapshot;
    }
    FillOemCells(*fresh, previous.get(), OemCodepage::system());
    const auto lock = lockScreen();
    if (!m_snapshot || m_snapshot->generation < fresh->generation)
        m_snapshot = fresh;
    return fresh;
}

ScreenInfo HostedConsole::Impl::screenInfo() const
{
    const auto lock = lockScreen();
    const ScreenModel& model = m_emulator.model();
    ScreenInfo info;
    info.width = int16_t(model.cols());
    info.height = int16_t(model.rows());
    info.cursorX = int16_t(model.cursorCol());
    info.cursorY = int16_t(model.cursorRow());
    info.attributes = m_emulator.penAttribute();
    return info;
}

void HostedConsole::Impl::clearConsoleScreen()
{
    {
        const auto lock = lockScreen();
        m_emulator.clearCharacters();
    }
    notifyScreen();
}

bool HostedConsole::Impl::setBufferSize(int columns, int rows)
{
    if (!BufferSizeAcceptable(columns, rows))
        return false;
    {
        const auto lock = lockScreen();
        if (m_emulator.model().cols() == columns && m_emulator.model().rows() == rows)
            return true;
        m_emulator.resize(columns, rows);
    }
    // After the emulator, so the program's redraw for the new size meets the new size.
    m_pty.setSize(columns, rows);
    notifyScreen();
    return true;
}

bool HostedConsole::Impl::drainOutput(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        // The pty before the reader: output the reader takes after this look leaves it busy.
        if (m_pty.unreadOutput() == 0 && !m_reader->busy())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// --- input -------------------------------------------------------------------------------

void HostedConsole::Impl::send(std::string_view bytes)
{
    noteActivity([](ConsoleActivity& a) {
        a.lastInput = ConsoleActivity::Clock::now();
        a.inputSinceStart = true;
    });
    int error = m_writer.submit(bytes);
    if (error == 0 && m_writer.pending()) {
        m_reader->wake();
        error = m_writer.waitForRoom(kInputQueueLimit, kInputRoomWait);
    }
    if (error != 0)
        throw ConsoleError(error);
}

void HostedConsole::Impl::writeInput(const KeyEventRecord& record)
{
    {
        std::lock_guard lock(m_logMutex);
        m_inputLog.push_back(record);
        while (m_inputLog.size() > std::max<size_t>(m_options.inputLogCapacity, 1))
            m_inputLog.pop_front();
    }
    std::string bytes;
    {
        const auto lock = lockScreen();
        if (!m_keys.translate(m_emulator, record))
            return;
        bytes = m_emulator.takeOutput();
    }
    send(bytes);
}

std::vector<KeyEventRecord> HostedConsole::Impl::inputLog() const
{
    std::lock_guard lock(m_logMutex);
    return {m_inputLog.begin(), m_inputLog.end()};
}

void HostedConsole::Impl::writeBytes(const std::string& bytes)
{
    send(bytes);
}

FontSpec HostedConsole::Impl::displayFont() const
{
    std::lock_guard lock(m_fontMutex);
    return m_displayFont;
}

void HostedConsole::Impl::setDisplayFont(const FontSpec& font, bool notify)
{
    {
        std::lock_guard lock(m_fontMutex);
        m_displayFont = font;
    }
    {
        std::lock_guard lock(m_profileMutex);
        m_profile.Font = font;  // the chosen font is the profile's too
    }
    if (notify && m_listener)
        m_listener->displayFontChanged(font);
}

// --- activity ----------------------------------------------------------------------------

template <typename Change>
void HostedConsole::Impl::noteActivity(Change change)
{
    {
        std::lock_guard lock(m_activityMutex);
        change(m_activity);
    }
    m_activityWake.notify_all();
}

ConsoleActivity HostedConsole::Impl::activity() const
{
    std::lock_guard lock(m_activityMutex);
    return m_activity;
}

bool HostedConsole::Impl::waitActivity(std::chrono::steady_clock::time_point until, std::stop_token stop,
                                       const std::function<bool(const ConsoleActivity&)>& done)
{
    std::unique_lock lock(m_activityMutex);
    return m_activityWake.wait_until(lock, stop, until, [&] { return done(m_activity); });
}

// --- the public face -----------------------------------------------------------------

HostedConsole::HostedConsole(ConsoleListener* listener, ConsoleOptions options)
    : m_impl(std::make_unique<Impl>(listener, std::move(options)))
{
}

HostedConsole::~HostedConsole() = default;

HostedConsole::RunResult HostedConsole::runInConsole(const std::string& command) { return m_impl->runInConsole(command); }
void HostedConsole::runInNewWindow(const std::string& command) { m_impl->runInNewWindow(command); }
void HostedConsole::applyProfile(const std::string& command) { m_impl->applyProfile(command); }
bool HostedConsole::isProgramActive() { return m_impl->isProgramActive(); }
void HostedConsole::killProgram() { m_impl->killProgram(); }
int HostedConsole::programPid() const { return m_impl->programPid(); }
std::optional<int> HostedConsole::exitStatus() { return m_impl->exitStatus(); }
bool HostedConsole::programWaitsForInput() const { return WaitsForInput(pid_t(m_impl->programPid())); }

std::string HostedConsole::updateCaption()
{
    const bool active = isProgramActive();
    const std::string consoleTitle = title();
    if (active && !consoleTitle.empty())
        return consoleTitle + kCaptionSeparator + kProductName;
    return kProductName;
}

std::string HostedConsole::title() const { return m_impl->title(); }
SnapshotPtr HostedConsole::takeSnapshot() { return m_impl->takeSnapshot(); }
ScreenInfo HostedConsole::screenInfo() const { return m_impl->screenInfo(); }
void HostedConsole::clearConsoleScreen() { m_impl->clearConsoleScreen(); }
void HostedConsole::setConsoleWidth(int16_t columns) { m_impl->setBufferSize(columns, screenInfo().height); }
bool HostedConsole::setBufferSize(int columns, int rows) { return m_impl->setBufferSize(columns, rows); }
bool HostedConsole::drainOutput(std::chrono::milliseconds timeout) { return m_impl->drainOutput(timeout); }
void HostedConsole::writeInput(const KeyEventRecord& record) { m_impl->writeInput(record); }
std::vector<KeyEventRecord> HostedConsole::inputLog() const { return m_impl->inputLog(); }
void HostedConsole::writeBytes(const std::string& bytes) { m_impl->writeBytes(bytes); }
ConsoleActivity HostedConsole::activity() const { return m_impl->activity(); }
bool HostedConsole::waitActivity(std::chrono::steady_clock::time_point until, std::stop_token stop,
                                 const std::function<bool(const ConsoleActivity&)>& done)
{
    return m_impl->waitActivity(until, std::move(stop), done);
}
void HostedConsole::wakeActivityWaiters() { m_impl->noteActivity([](ConsoleActivity&) {}); }
HostedConsole::InputQueue HostedConsole::inputQueue() const
{
    const PtyWriter::QueueState q = m_impl->writer().queueState();
    return {q.typed, q.answers, q.answersDropped};
}
TSpaceParams& HostedConsole::profile() { return m_impl->m_profile; }
FontSpec HostedConsole::displayFont() const { return m_impl->displayFont(); }
void HostedConsole::setDisplayFont(const FontSpec& font) { m_impl->setDisplayFont(font, false); }
const ConsoleOptions& HostedConsole::options() const { return m_impl->m_options; }
void HostedConsole::setSettle(std::chrono::milliseconds settle) { m_impl->m_settleMs.store(settle.count()); }

}  // namespace qp
