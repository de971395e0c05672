#include "ZEBConsole.h"

#include "AutomationError.h"
#include "console/Codepage.h"
#include "vbs/Coerce.h"
#include "vbs/Errors.h"
#include "Dispatch.h"
#include "console/Errors.h"
#include "display/FrameDetect.h"
#include "GoldenScreen.h"
#include "console/HostedConsole.h"
#include "keys/KeyNotation.h"
#include "keys/KeySender.h"
#include "display/ScreenText.h"
#include "vbs/Text.h"
#include "text/Utf.h"
#include "TypeLibrary.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace qp {

namespace {

std::shared_ptr<ConsoleSession> lock(const std::weak_ptr<ConsoleSession>& weak) {
    auto s = weak.lock();
    if (!s)
        throw std::runtime_error("The console of this object is gone");
    return s;
}

// Attempts a waiting method makes after its first one: its time in polling periods.
int64_t retriesFor(int64_t millis, std::chrono::milliseconds period) {
    if (millis <= 0)
        return 0;
    const int64_t p = std::max<int64_t>(period.count(), 1);
    return (millis + p - 1) / p;
}

std::string quoted(const std::u16string& text) {
    std::string q = "\"";
    for (char c : vbs::toUtf8(text))
        q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

std::string callText(const char* method, std::initializer_list<int64_t> numbers,
                     const std::u16string* text = nullptr) {
    std::string call = std::string(method) + "(";
    bool first = true;
    for (int64_t n : numbers) {
        call += (first ? "" : ", ") + std::to_string(n);
        first = false;
    }
    if (text)
        call += (first ? "" : ", ") + quoted(*text);
    return call + ")";
}

std::string codePointUtf8(char32_t c) {
    std::string utf8;
    text::appendUtf8(utf8, c);
    return utf8;
}

// The code points of a UTF-16 text (a lone surrogate as U+FFFD) while f returns true.
template <typename F>
void forEachCodePoint(const std::u16string& text, F f) {
    for (size_t pos = 0; pos < text.size();)
        if (!f(text::decodeUtf16(text, pos)))
            return;
}

// One polling period of a waiting method: sleeps it, then makes the period's attempt. When
// the session wakes on output, every change of the screen meanwhile gets an extra attempt,
// and a successful one ends the period early. The last attempt's result.
template <typename Attempt>
bool pollOnePeriod(ConsoleSession& s, Attempt attempt) {
    const auto boundary = std::chrono::steady_clock::now() + s.pollPeriod();
    for (;;) {
        if (s.sleepUntil(boundary, s.outputGeneration()))
            return attempt();
        if (attempt())
            return true;
    }
}

std::u16string wide(const std::string& utf8) {
    return vbs::fromUtf8(utf8);
}

std::u16string numbers(std::initializer_list<int64_t> values) {
    std::string text;
    for (int64_t n : values)
        text += (text.empty() ? "" : ",") + std::to_string(n);
    return wide(text);
}

// What a failed check says when the script does not look at its result: the check
// generator's own words, then what stood there instead.
std::u16string notFoundString(const std::u16string& testString, std::initializer_list<int64_t> where,
                              const std::u16string& found) {
    return u"Not found string '" + testString + u"' at " + numbers(where) + u"; found '" + found + u"'";
}

constexpr int64_t kDaySeconds = 24 * 3600;

// Waiting times beyond a day are refused: error 5, as VBScript refuses an argument out of range.
void refuseOverADay(int64_t millis) {
    if (millis > kDaySeconds * 1000)
        throw ScriptRuntimeError(vbs::err::InvalidCall, "Invalid procedure call or argument");
}

std::chrono::steady_clock::time_point deadlineIn(int64_t millis) {
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max<int64_t>(millis, 0));
}

std::u16string hex(int64_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "&H%X", unsigned(value) & 0xFFFFu);
    return wide(text);
}

}  // namespace

std::u16string StringAt(const ScreenSnapshot& screen, int32_t x, int32_t y, const std::u16string& testString) {
    const int32_t right = TextEndColumn(screen, x, y, testString.size());
    return ReadRectText(screen, CellRect{x, y, right, y}, kCheckSeparator);
}

bool StringOnScreen(const ScreenSnapshot& screen, int32_t x, int32_t y, const std::u16string& testString) {
    return StringAt(screen, x, y, testString) == testString;
}

vbs::Ref<ZEBConsole> ZEBConsole::create(const std::shared_ptr<ConsoleSession>& session) {
    return vbs::Ref<ZEBConsole>(new ZEBConsole(session));
}

void runInSessionConsole(ConsoleSession& session, const std::u16string& cmdLine) {
    try {
        const std::string line = Utf16ToAnsi(cmdLine);
        if (auto trace = session.traceListener())
            trace->programStarting();
        session.console().runInConsole(line);
        if (auto trace = session.traceListener())
            trace->programStarted(AnsiToUtf8(line));
    } catch (const CantExecuteError& e) {
        // An outside client gets the message as its call's error; nobody is there to
        // answer a box.
        if (OutsideCallScope::active())
            throw;
        session.showError(e.what());
        throw OperationAborted();
    }
}

// --- the methods ---------------------------------------------------------------------------

void ZEBConsole::PutKeys(const std::u16string& keys) {
    auto s = lock(m_session);
    if (!keys.empty())
        s->settleBeforeFirstKeys();
    KeySender sender(s->console(), s->pacer());
    auto trace = s->traceListener();
    // Through the ANSI code page first: a character it cannot represent is sent as its
    // replacement character. A stop ends the typing at once; the rest is not sent.
    forEachCodePoint(AnsiToUtf16(Utf16ToAnsi(keys)), [&](char32_t c) {
        if (!s->paceKey())
            return false;
        sender.SendChar(c);
        if (trace)
            trace->keySent("PutKeys", codePointUtf8(c));
        return true;
    });
    s->pumpIfMainThread();
}

void ZEBConsole::PutControl(const std::u16string& keys) {
    auto s = lock(m_session);
    KeySender sender(s->console(), s->pacer());
    auto trace = s->traceListener();
    const std::string text = AnsiToUtf8(Utf16ToAnsi(keys));
    ControlTextReader groups(text);
    bool first = true;
    while (auto group = groups.next()) {
        if (std::exchange(first, false))
            s->settleBeforeFirstKeys();
        if (!s->paceKey())
            break;
        sender.SendKeyCombo(*group);
        if (trace)
            trace->keySent("PutControl", "<" + std::string(*group) + ">");
    }
    s->pumpIfMainThread();
}

bool ZEBConsole::CheckString(int32_t x, int32_t y, const std::u16string& testString) {
    return checkString(x, y, testString, nullptr);
}

bool ZEBConsole::checkString(int32_t x, int32_t y, const std::u16string& testString, std::u16string* failure) {
    auto s = lock(m_session);
    s->settleForRead();
    const SnapshotPtr screen = s->console().takeSnapshot();
    const bool result = StringOnScreen(*screen, x, y, testString);
    traceCheck(callText("CheckString", {x, y}, &testString), result, *screen);
    if (!result && failure)
        *failure = notFoundString(testString, {x, y}, StringAt(*screen, x, y, testString));
    s->pumpIfMainThread();
    return result;
}

bool ZEBConsole::CheckRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                           const std::u16string& testString) {
    return checkRect(left, top, right, bottom, testString, nullptr);
}

bool ZEBConsole::checkRect(int32_t left, int32_t top, int32_t right, int32_t bottom, const std::u16string& testString,
                           std::u16string* failure) {
    auto s = lock(m_session);
    s->settleForRead();
    const SnapshotPtr screen = s->console().takeSnapshot();
    const std::u16string found = ReadRectText(*screen, CellRect{left, top, right, bottom}, kCheckSeparator);
    const bool result = found == testString;
    traceCheck(callText("CheckRect", {left, top, right, bottom}, &testString), result, *screen);
    if (!result && failure)
        *failure = notFoundString(testString, {left, top, right, bottom}, found);
    s->pumpIfMainThread();
    return result;
}

std::u16string ZEBConsole::ReadText(int32_t left, int32_t top, int32_t right, int32_t buttom) {
    auto s = lock(m_session);
    s->settleForRead();
    std::u16string text = ReadRectText(s->console(), CellRect{left, top, right, buttom}, kCheckSeparator);
    s->pumpIfMainThread();
    return text;
}

void ZEBConsole::Pause(int32_t secs) {
    auto s = lock(m_session);
    const int64_t periods = retriesFor(int64_t(secs) * 1000, s->pollPeriod());
    for (int64_t i = 0; i < periods && !s->waitingStopped(); ++i) {
        s->pumpIfMainThread();
        s->sleepPeriod();
    }
    s->pumpIfMainThread();
}

bool ZEBConsole::WaitString(int32_t secs, int32_t x, int32_t y, const std::u16string& testString) {
    return waitString(secs, x, y, testString, nullptr);
}

bool ZEBConsole::waitString(int32_t secs, int32_t x, int32_t y, const std::u16string& testString,
                            std::u16string* failure) {
    auto s = lock(m_session);
    const int64_t retries = retriesFor(int64_t(secs) * 1000, s->pollPeriod());
    SnapshotPtr screen = s->console().takeSnapshot();
    bool result = StringOnScreen(*screen, x, y, testString);
    for (int64_t i = 0; !result && i < retries && !s->waitingStopped(); ++i) {
        s->pumpIfMainThread();
        result = pollOnePeriod(*s, [&] {
            screen = s->console().takeSnapshot();
            return StringOnScreen(*screen, x, y, testString);
        });
    }
    traceCheck(callText("WaitString", {secs, x, y}, &testString), result, *screen);
    if (!result && failure)
        *failure = notFoundString(testString, {x, y}, StringAt(*screen, x, y, testString));
    s->pumpIfMainThread();
    return result;
}

bool ZEBConsole::IsProcessActive() {
    return lock(m_session)->console().isProgramActive();
}

void ZEBConsole::KillProcess() {
    auto s = lock(m_session);
    s->console().killProgram();
    s->pumpIfMainThread();
}

vbs::ObjectRef ZEBConsole::RunCommand(const std::u16string& cmdLine) {
    auto s = lock(m_session);
    vbs::ObjectRef result;
    if (!s->console().isProgramActive()) {
        runInSessionConsole(*s, cmdLine);
        result = vbs::ObjectRef(this);
    } else {
        result = s->runInAnotherInstance(cmdLine);
    }
    s->pumpIfMainThread();
    return result;
}

bool ZEBConsole::CheckWindow(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return checkWindow(left, top, right, bottom, nullptr);
}

bool ZEBConsole::checkWindow(int32_t left, int32_t top, int32_t right, int32_t bottom, std::u16string* failure) {
    auto s = lock(m_session);
    s->settleForRead();
    const CellRect expected{left, top, right, bottom};
    SnapshotPtr screen = s->console().takeSnapshot();
    CellRect found = FindActiveWindow(*screen);
    const int64_t period = std::max<int64_t>(s->pollPeriod().count(), 1);
    for (int64_t budget = 10000; found != expected && budget > 0 && !s->waitingStopped(); budget -= period) {
        pollOnePeriod(*s, [&] {
            s->pumpIfMainThread();
            screen = s->console().takeSnapshot();
            found = FindActiveWindow(*screen);
            return found == expected;
        });
    }
    const bool result = found == expected;
    traceCheck(callText("CheckWindow", {left, top, right, bottom}) + " found " +
                   callText("", {found.left, found.top, found.right, found.bottom}),
               result, *screen);
    if (!result && failure)
        *failure = u"Not found window " + numbers({left, top, right, bottom}) + u"; found " +
                   numbers({found.left, found.top, found.right, found.bottom});
    s->pumpIfMainThread();
    return result;
}

bool ZEBConsole::WaitQuiet(int32_t msecs, int32_t secs) {
    return waitQuiet(msecs, secs, nullptr);
}

bool ZEBConsole::waitQuiet(int32_t msecs, int32_t secs, std::u16string* failure) {
    refuseOverADay(msecs);
    refuseOverADay(int64_t(secs) * 1000);
    auto s = lock(m_session);
    const bool result = s->waitQuiet(std::chrono::milliseconds(std::max(msecs, 0)), deadlineIn(int64_t(secs) * 1000));
    if (!result && failure)
        *failure = wide("Not quiet for " + std::to_string(msecs) + " ms within " + std::to_string(secs) + " s");
    s->pumpIfMainThread();
    return result;
}

std::optional<ScreenMatch> ZEBConsole::FindString(const std::u16string& testString) {
    return find("FindString", -1, testString, false, nullptr);
}

std::optional<ScreenMatch> ZEBConsole::WaitFind(int32_t secs, const std::u16string& testString) {
    return find("WaitFind", secs, testString, false, nullptr);
}

std::optional<ScreenMatch> ZEBConsole::FindPattern(const std::u16string& pattern) {
    return find("FindPattern", -1, pattern, true, nullptr);
}

std::optional<ScreenMatch> ZEBConsole::WaitPattern(int32_t secs, const std::u16string& pattern) {
    return find("WaitPattern", secs, pattern, true, nullptr);
}

// The finds look once, after the read settles; the waits (secs >= 0) look at once, then
// whenever the program writes and at every polling period, until the time is used up.
std::optional<ScreenMatch> ZEBConsole::find(const char* method, int32_t secs, const std::u16string& text,
                                            bool pattern, std::u16string* failure) {
    const bool waits = secs >= 0 || std::string_view(method).starts_with("Wait");
    if (waits)
        refuseOverADay(int64_t(secs) * 1000);
    std::unique_ptr<ScreenPattern> compiled = pattern ? std::make_unique<ScreenPattern>(text) : nullptr;
    auto s = lock(m_session);
    if (!waits)
        s->settleForRead();
    const auto deadline = deadlineIn(int64_t(secs) * 1000);
    SnapshotPtr screen;
    std::optional<ScreenMatch> found;
    for (;;) {
        const uint64_t seen = s->console().activity().outputVersion;
        screen = s->console().takeSnapshot();
        found = compiled ? compiled->find(*screen) : FindOnScreen(*screen, text);
        if (found || !waits || std::chrono::steady_clock::now() >= deadline || s->waitingStopped())
            break;
        s->waitForOutput(seen, std::min(deadline, std::chrono::steady_clock::now() + s->pollPeriod()));
    }
    std::string call = std::string(method) + "(";
    if (waits)
        call += std::to_string(secs) + ", ";
    call += quoted(text) + ")";
    if (found)
        call += " at " + std::to_string(found->x) + "," + std::to_string(found->y);
    traceCheck(call, found.has_value(), *screen);
    if (!found && failure)
        *failure = (pattern ? u"Not found pattern '" : u"Not found string '") + text + u"' on the screen";
    s->pumpIfMainThread();
    return found;
}

std::optional<int32_t> ZEBConsole::WaitExit(int32_t secs) {
    return waitExit(secs, nullptr);
}

// The program's end makes no output of its own: the wait looks at it whenever the program
// writes and at least every 20 ms.
std::optional<int32_t> ZEBConsole::waitExit(int32_t secs, std::u16string* failure) {
    refuseOverADay(int64_t(secs) * 1000);
    auto s = lock(m_session);
    const auto deadline = deadlineIn(int64_t(secs) * 1000);
    const auto look = std::min(s->pollPeriod(), std::chrono::milliseconds(20));
    std::optional<int> status = s->console().exitStatus();
    while (!status && s->console().activity().programStarts > 0 && !s->waitingStopped() &&
           std::chrono::steady_clock::now() < deadline) {
        const uint64_t seen = s->console().activity().outputVersion;
        s->waitForOutput(seen, std::min(deadline, std::chrono::steady_clock::now() + look));
        status = s->console().exitStatus();
    }
    if (!status && failure)
        *failure = s->console().activity().programStarts == 0
                       ? std::u16string(u"No program was started in this console")
                       : wide("The program did not end within " + std::to_string(secs) + " s");
    s->pumpIfMainThread();
    return status;
}

void ZEBConsole::Sleep(int32_t msecs) {
    refuseOverADay(msecs);
    auto s = lock(m_session);
    const auto deadline = deadlineIn(msecs);
    s->pauseUntil(deadline);
    s->pumpIfMainThread();
}

int32_t ZEBConsole::ScreenWidth() {
    return lock(m_session)->console().screenInfo().width;
}

int32_t ZEBConsole::ScreenHeight() {
    return lock(m_session)->console().screenInfo().height;
}

int32_t ZEBConsole::CursorX() {
    auto s = lock(m_session);
    s->settleForRead();
    return s->console().takeSnapshot()->cursorX;
}

int32_t ZEBConsole::CursorY() {
    auto s = lock(m_session);
    s->settleForRead();
    return s->console().takeSnapshot()->cursorY;
}

int32_t ZEBConsole::ReadAttr(int32_t x, int32_t y) {
    auto s = lock(m_session);
    s->settleForRead();
    const SnapshotPtr screen = s->console().takeSnapshot();
    s->pumpIfMainThread();
    return screen->contains(x, y) ? int32_t(screen->wide(x, y).attr) : -1;
}

bool ZEBConsole::CheckAttr(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t attr, int32_t mask) {
    return checkAttr(left, top, right, bottom, attr, mask, nullptr);
}

bool ZEBConsole::checkAttr(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t attr, int32_t mask,
                           std::u16string* failure) {
    auto s = lock(m_session);
    s->settleForRead();
    const SnapshotPtr screen = s->console().takeSnapshot();
    const int64_t x0 = std::max<int64_t>(left, 0), x1 = std::min<int64_t>(right, int64_t(screen->width) - 1);
    const int64_t y0 = std::max<int64_t>(top, 0), y1 = std::min<int64_t>(bottom, int64_t(screen->height) - 1);
    bool result = x0 <= x1 && y0 <= y1;
    int64_t badX = -1, badY = -1, badAttr = 0;
    for (int64_t y = y0; result && y <= y1; ++y)
        for (int64_t x = x0; result && x <= x1; ++x)
            if ((screen->wide(int(x), int(y)).attr & mask) != (attr & mask)) {
                result = false;
                badX = x, badY = y, badAttr = screen->wide(int(x), int(y)).attr;
            }
    traceCheck(callText("CheckAttr", {left, top, right, bottom, attr, mask}), result, *screen);
    if (!result && failure) {
        *failure = u"Not found attribute " + hex(attr & mask) + u" (mask " + hex(mask) + u") at " +
                   numbers({left, top, right, bottom});
        *failure += badX < 0 ? std::u16string(u"; not on the screen")
                             : u"; found " + hex(badAttr & mask) + u" at " + numbers({badX, badY});
    }
    s->pumpIfMainThread();
    return result;
}

bool ZEBConsole::MatchScreen(const std::u16string& name) {
    return matchScreen(name, nullptr);
}

bool ZEBConsole::matchScreen(const std::u16string& name, std::u16string* failure) {
    if (const std::string problem = GoldenNameProblem(name); !problem.empty())
        throw ScriptRuntimeError(5, Utf8ToAnsi("Invalid golden screen name " + quoted(name) + ": " + problem));
    auto s = lock(m_session);
    const GoldenScreenSettings golden = s->goldenScreens();
    if (golden.folder.empty())
        throw std::runtime_error("MatchScreen needs the script's file: golden screens are kept beside it");
    s->settleForRead();
    const SnapshotPtr screen = s->console().takeSnapshot();
    const GoldenScreen actual = GoldenFromScreen(*screen);
    const std::string path = GoldenFilePath(golden.folder, name);
    std::string why;
    bool missing = false;
    std::optional<GoldenScreen> expected;
    if (const auto bytes = ReadGoldenFile(path, why, missing))
        expected = ParseGoldenScreen(*bytes, why);
    std::string problem;
    if (!expected)
        problem = missing ? "No golden screen " + path + " (pallant-play --update-golden writes it)"
                          : "The golden screen " + path + " cannot be read: " + why;
    else if (!(*expected == actual))
        problem = "The screen differs from the golden screen " + path + ": " + GoldenDiff(*expected, actual);
    if (!problem.empty() && golden.update) {
        std::string error;
        if (!WriteGoldenFile(path, FormatGoldenScreen(actual, expected ? &*expected : nullptr), error))
            throw std::runtime_error(Utf8ToAnsi("Cannot write the golden screen " + path + ": " + error));
        if (golden.written)
            golden.written(path, missing);
        problem.clear();
    }
    const bool result = problem.empty();
    traceCheck("MatchScreen(" + quoted(name) + ")", result, *screen);
    if (!result && failure) {
        while (!problem.empty() && problem.back() == '\n')
            problem.pop_back();
        *failure = wide(problem);
    }
    s->pumpIfMainThread();
    return result;
}

void ZEBConsole::traceCheck(const std::string& call, bool result, const ScreenSnapshot& screen) {
    if (auto s = m_session.lock()) {
        s->recordCheck({call, result, std::make_shared<const ScreenSnapshot>(screen)});
        if (auto trace = s->traceListener())
            trace->checkMade(call, result, screen);
    }
}

// --- the dispatch side ---------------------------------------------------------------------

vbs::DispId ZEBConsole::dispId(std::u16string_view name) {
    const vbs::DispId id = dispIdOf(IZEBConsoleInfo, name);
    if (id != vbs::kDispIdUnknown)
        return id;
    for (const ConstantInfo& c : IZEBConsoleConstants)
        if (vbs::equalsNoCase(std::u16string(c.name.begin(), c.name.end()), name))
            return c.dispId;
    return vbs::kDispIdUnknown;
}

vbs::Result<vbs::Variant> ZEBConsole::invoke(vbs::DispId id, vbs::InvokeKind kind, vbs::Args& args) {
    const MethodInfo* method = findMethod(IZEBConsoleInfo, id);
    if (!method) {
        for (const ConstantInfo& c : IZEBConsoleConstants)
            if (c.dispId == id) {
                if (kind == vbs::InvokeKind::PropertyPut || kind == vbs::InvokeKind::PropertyPutRef)
                    return vbs::runtimeError(vbs::err::NoSuchMember);
                if (!args.empty())
                    return vbs::runtimeError(vbs::err::WrongArgs);
                return vbs::Variant::fromLong(c.value);
            }
        return vbs::runtimeError(vbs::err::NoSuchMember);
    }
    auto converted = consoleArguments(*method, kind, args);
    if (!converted)
        return converted.error();
    const std::vector<ArgValue>& a = converted.value();
    auto boolean = [](bool b) { return vbs::Variant::fromBool(b); };
    // A check whose result the script throws away fails the script when it fails, with
    // what the check generator's statement would say.
    std::u16string failure;
    std::u16string* why = args.resultUsed() ? nullptr : &failure;
    auto checked = [&](bool b) -> vbs::Result<vbs::Variant> {
        auto s = m_session.lock();
        // A wait cut short by a stop is no failed check: the stop (an interrupt, the time
        // limit, the client leaving) ends the script itself.
        if (!b && why && s && s->failedStatementChecksRaise() && !s->waitingStopped())
            return vbs::ErrorInfo{kFailedCheckError, std::u16string(Source), failure};
        return vbs::Variant::fromBool(b);
    };
    try {
        switch (id) {
        case dispid::PutKeys: PutKeys(textArg(a, 0)); return vbs::Variant();
        case dispid::PutControl: PutControl(textArg(a, 0)); return vbs::Variant();
        case dispid::CheckString: return checked(checkString(intArg(a, 0), intArg(a, 1), textArg(a, 2), why));
        case dispid::CheckRect: return checked(checkRect(intArg(a, 0), intArg(a, 1), intArg(a, 2), intArg(a, 3), textArg(a, 4), why));
        case dispid::ReadText: args.set(4, vbs::Variant::fromString(ReadText(intArg(a, 0), intArg(a, 1), intArg(a, 2), intArg(a, 3))));
                return vbs::Variant();
        case dispid::Pause: Pause(intArg(a, 0)); return vbs::Variant();
        case dispid::WaitString: return checked(waitString(intArg(a, 0), intArg(a, 1), intArg(a, 2), textArg(a, 3), why));
        case dispid::IsProcessActive: return boolean(IsProcessActive());
        case dispid::KillProcess: KillProcess(); return vbs::Variant();
        case dispid::RunCommand: return vbs::Variant::fromObject(RunCommand(textArg(a, 0)));
        case dispid::CheckWindow: return checked(checkWindow(intArg(a, 0), intArg(a, 1), intArg(a, 2), intArg(a, 3), why));
        case dispid::WaitQuiet: return checked(waitQuiet(intArg(a, 0), intArg(a, 1), why));
        case dispid::FindString:
        case dispid::WaitFind:
        case dispid::FindPattern:
        case dispid::WaitPattern: {
            const bool waits = id == dispid::WaitFind || id == dispid::WaitPattern;
            const bool patterns = id == dispid::FindPattern || id == dispid::WaitPattern;
            const size_t first = waits ? 1 : 0;  // the text's argument; X, Y (and Matched) follow
            // Out values are cleared on entry, as ReadText's.
            args.set(first + 1, vbs::Variant::fromLong(-1));
            args.set(first + 2, vbs::Variant::fromLong(-1));
            if (patterns)
                args.set(first + 3, vbs::Variant::fromString(u""));
            auto found = find(std::string(method->name).c_str(), waits ? intArg(a, 0) : -1, textArg(a, first),
                              patterns, why);
            if (found) {
                args.set(first + 1, vbs::Variant::fromLong(found->x));
                args.set(first + 2, vbs::Variant::fromLong(found->y));
                if (patterns)
                    args.set(first + 3, vbs::Variant::fromString(found->text));
            }
            return checked(found.has_value());
        }
        case dispid::WaitExit: {
            args.set(1, vbs::Variant::fromLong(-1));
            auto status = waitExit(intArg(a, 0), why);
            if (status)
                args.set(1, vbs::Variant::fromLong(*status));
            return checked(status.has_value());
        }
        case dispid::Sleep: Sleep(intArg(a, 0)); return vbs::Variant();
        case dispid::ScreenWidth: return vbs::Variant::fromLong(ScreenWidth());
        case dispid::ScreenHeight: return vbs::Variant::fromLong(ScreenHeight());
        case dispid::CursorX: return vbs::Variant::fromLong(CursorX());
        case dispid::CursorY: return vbs::Variant::fromLong(CursorY());
        case dispid::ReadAttr: return vbs::Variant::fromLong(ReadAttr(intArg(a, 0), intArg(a, 1)));
        case dispid::CheckAttr:
            return checked(checkAttr(intArg(a, 0), intArg(a, 1), intArg(a, 2), intArg(a, 3), intArg(a, 4),
                                     intArg(a, 5), why));
        case dispid::MatchScreen: return checked(matchScreen(textArg(a, 0), why));
        }
    } catch (...) {
        return automationError(Source);
    }
    return vbs::runtimeError(vbs::err::NoSuchMember);
}

}  // namespace qp
