#include "ZEBConsole.h"

#include "AutomationError.h"
#include "Codepage.h"
#include "Coerce.h"
#include "Dispatch.h"
#include "Errors.h"
#include "FrameDetect.h"
#include "HostedConsole.h"
#include "KeyNotation.h"
#include "KeySender.h"
#include "ScreenText.h"
#include "Text.h"
#include "TypeLibrary.h"

#include <algorithm>
#include <climits>

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
    std::u16string unit;
    if (c >= 0x10000)
        unit = {char16_t(0xD800 + ((c - 0x10000) >> 10)), char16_t(0xDC00 + ((c - 0x10000) & 0x3FF))};
    else
        unit = {char16_t(c)};
    return vbs::toUtf8(unit);
}

// The code points of a UTF-16 text, surrogate pairs joined, while f returns true.
template <typename F>
void forEachCodePoint(const std::u16string& text, F f) {
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (!f(c))
            return;
    }
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

}  // namespace

bool StringOnScreen(const ScreenSnapshot& screen, int32_t x, int32_t y, const std::u16string& testString) {
    const int32_t right = TextEndColumn(screen, x, y, testString.size());
    return ReadRectText(screen, CellRect{x, y, right, y}, kCheckSeparator) == testString;
}

vbs::Ref<ZEBConsole> ZEBConsole::create(const std::shared_ptr<ConsoleSession>& session) {
    return vbs::Ref<ZEBConsole>(new ZEBConsole(session));
}

void runInSessionConsole(ConsoleSession& session, const std::u16string& cmdLine) {
    try {
        const std::string line = Utf16ToAnsi(cmdLine);
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
    while (auto group = groups.next()) {
        if (!s->paceKey())
            break;
        sender.SendKeyCombo(*group);
        if (trace)
            trace->keySent("PutControl", "<" + std::string(*group) + ">");
    }
    s->pumpIfMainThread();
}

bool ZEBConsole::CheckString(int32_t x, int32_t y, const std::u16string& testString) {
    auto s = lock(m_session);
    const SnapshotPtr screen = s->console().takeSnapshot();
    const bool result = StringOnScreen(*screen, x, y, testString);
    traceCheck(callText("CheckString", {x, y}, &testString), result, *screen);
    s->pumpIfMainThread();
    return result;
}

bool ZEBConsole::CheckRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                           const std::u16string& testString) {
    auto s = lock(m_session);
    const SnapshotPtr screen = s->console().takeSnapshot();
    const bool result = ReadRectText(*screen, CellRect{left, top, right, bottom}, kCheckSeparator) == testString;
    traceCheck(callText("CheckRect", {left, top, right, bottom}, &testString), result, *screen);
    s->pumpIfMainThread();
    return result;
}

std::u16string ZEBConsole::ReadText(int32_t left, int32_t top, int32_t right, int32_t buttom) {
    auto s = lock(m_session);
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
    auto s = lock(m_session);
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
    return dispIdOf(IZEBConsoleInfo, name);
}

vbs::Result<vbs::Variant> ZEBConsole::invoke(vbs::DispId id, vbs::InvokeKind kind, vbs::Args& args) {
    const MethodInfo* method = findMethod(IZEBConsoleInfo, id);
    if (!method)
        return vbs::runtimeError(438);
    if (id == 6 && args.size() == 5)
        args.set(4, vbs::Variant());  // ReadText's Readed is cleared on entry
    auto converted = convertArguments(*method, kind, args);
    if (!converted)
        return converted.error();
    const std::vector<ArgValue>& a = converted.value();
    auto boolean = [](bool b) { return vbs::Variant::fromBool(b); };
    try {
        switch (id) {
        case 1: PutKeys(textArg(a, 0)); return vbs::Variant();
        case 3: PutControl(textArg(a, 0)); return vbs::Variant();
        case 4: return boolean(CheckString(intArg(a, 0), intArg(a, 1), textArg(a, 2)));
        case 5: return boolean(CheckRect(intArg(a, 0), intArg(a, 1), intArg(a, 2), intArg(a, 3), textArg(a, 4)));
        case 6: args.set(4, vbs::Variant::fromString(ReadText(intArg(a, 0), intArg(a, 1), intArg(a, 2), intArg(a, 3))));
                return vbs::Variant();
        case 7: Pause(intArg(a, 0)); return vbs::Variant();
        case 8: return boolean(WaitString(intArg(a, 0), intArg(a, 1), intArg(a, 2), textArg(a, 3)));
        case 9: return boolean(IsProcessActive());
        case 10: KillProcess(); return vbs::Variant();
        case 2: return vbs::Variant::fromObject(RunCommand(textArg(a, 0)));
        case 11: return boolean(CheckWindow(intArg(a, 0), intArg(a, 1), intArg(a, 2), intArg(a, 3)));
        }
    } catch (...) {
        return automationError(Source);
    }
    return vbs::runtimeError(438);
}

}  // namespace qp
