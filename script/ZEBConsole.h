#pragma once
// The console object, known to scripts as Console: sends keys, reads and checks the
// screen, waits, and starts, watches and kills the program under test. It keeps no state
// of its own; every call acts on its session's hosted console.
//
// Reads (CheckString, CheckRect, ReadText, the first look of CheckWindow) first wait until
// the program has been quiet for the session's read settle time, so they see its answer to
// the keys just sent. A failed check called as a statement (its result thrown away) is a
// run-time error 1 saying what stood there instead, unless the session is lenient.
//
// Coordinates: CheckString, CheckRect, ReadText and WaitString take 0-based cells,
// CheckWindow 1-based ones (the frame detection's). Rectangles are inclusive and reach
// the screen only where they lie on it: cells off the screen read as nothing.

#include "ConsoleSession.h"
#include "vbs/Object.h"
#include "ScreenSearch.h"
#include "console/ScreenTypes.h"

#include <memory>
#include <optional>
#include <string>

namespace qp {

class ZEBConsole final : public vbs::Object {
public:
    static constexpr std::u16string_view Source = u"QuorviaPallant.ZEBConsole";
    // The run-time error number of a failed check called as a statement.
    static constexpr int32_t kFailedCheckError = 1;

    static vbs::Ref<ZEBConsole> create(const std::shared_ptr<ConsoleSession>& session);

    // The dispatch side, as the script engine calls it.
    vbs::DispId dispId(std::u16string_view name) override;
    vbs::Result<vbs::Variant> invoke(vbs::DispId id, vbs::InvokeKind kind, vbs::Args& args) override;
    std::u16string typeName() const override { return u"IZEBConsole"; }

    // The methods as C++ callers use them. They throw; the dispatch side turns what they
    // throw into error information.
    void PutKeys(const std::u16string& keys);
    void PutControl(const std::u16string& keys);
    bool CheckString(int32_t x, int32_t y, const std::u16string& testString);
    bool CheckRect(int32_t left, int32_t top, int32_t right, int32_t bottom, const std::u16string& testString);
    std::u16string ReadText(int32_t left, int32_t top, int32_t right, int32_t buttom);
    void Pause(int32_t secs);
    bool WaitString(int32_t secs, int32_t x, int32_t y, const std::u16string& testString);
    bool IsProcessActive();
    void KillProcess();
    vbs::ObjectRef RunCommand(const std::u16string& cmdLine);
    bool CheckWindow(int32_t left, int32_t top, int32_t right, int32_t bottom);

    // The methods after the original eleven. Times over a day are refused (error 5).
    // True once the program has been quiet for msecs (no output, no keys sent); false when
    // secs seconds pass first.
    bool WaitQuiet(int32_t msecs, int32_t secs);
    // Where the text first stands, row by row, as CheckString would find it there.
    std::optional<ScreenMatch> FindString(const std::u16string& testString);
    std::optional<ScreenMatch> WaitFind(int32_t secs, const std::u16string& testString);
    // The first row whose text matches; the match's first cell and text. A bad pattern
    // throws error 5017.
    std::optional<ScreenMatch> FindPattern(const std::u16string& pattern);
    std::optional<ScreenMatch> WaitPattern(int32_t secs, const std::u16string& pattern);
    // The exit status once the program has ended within secs (128 + signal when a signal
    // ended it); nothing when it still runs, or when no program was started here.
    std::optional<int32_t> WaitExit(int32_t secs);
    void Sleep(int32_t msecs);
    int32_t ScreenWidth();
    int32_t ScreenHeight();
    int32_t CursorX();
    int32_t CursorY();
    // The cell's attribute word; -1 off the screen.
    int32_t ReadAttr(int32_t x, int32_t y);
    // True when every cell of the rectangle (0-based, inclusive) that lies on the screen has
    // (attribute And mask) = (attr And mask); false when none of it lies on the screen.
    bool CheckAttr(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t attr, int32_t mask);
    // True when the whole screen (text and attributes) equals the golden screen `name` of the
    // session's golden folder (see GoldenScreen.h). A missing or unreadable golden file fails
    // the check, unless the session updates golden screens: then a missing or different file
    // is written and the check passes. A name that would leave the folder is error 5; no
    // golden folder (a script without a file) and a file that cannot be written are errors.
    bool MatchScreen(const std::u16string& name);

private:
    explicit ZEBConsole(std::weak_ptr<ConsoleSession> session) : m_session(std::move(session)) {}
    // The checks; when they fail and `failure` is given, it gets what a failed check used
    // as a statement reports.
    bool checkString(int32_t x, int32_t y, const std::u16string& testString, std::u16string* failure);
    bool checkRect(int32_t left, int32_t top, int32_t right, int32_t bottom, const std::u16string& testString,
                   std::u16string* failure);
    bool waitString(int32_t secs, int32_t x, int32_t y, const std::u16string& testString, std::u16string* failure);
    bool checkWindow(int32_t left, int32_t top, int32_t right, int32_t bottom, std::u16string* failure);
    bool waitQuiet(int32_t msecs, int32_t secs, std::u16string* failure);
    std::optional<ScreenMatch> find(const char* method, int32_t secs, const std::u16string& text, bool pattern,
                                    std::u16string* failure);
    std::optional<int32_t> waitExit(int32_t secs, std::u16string* failure);
    bool checkAttr(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t attr, int32_t mask,
                   std::u16string* failure);
    bool matchScreen(const std::u16string& name, std::u16string* failure);
    void traceCheck(const std::string& call, bool result, const ScreenSnapshot& screen);

    // Weak: the session holds the process's console object, and a script may keep an object
    // past its session's end (its calls then fail instead of touching a freed console).
    std::weak_ptr<ConsoleSession> m_session;
};

// The text CheckString compares: the row from x over the cells that hold as many UTF-16
// code units as the text has (one cell each, a wide character's two cells together), read
// as the checks read it.
std::u16string StringAt(const ScreenSnapshot& screen, int32_t x, int32_t y, const std::u16string& testString);

// CheckString's comparison: the row from x over the cells that hold as many UTF-16 code
// units as the text has (one cell each, a wide character's two cells together), read as
// the checks read it, equals the text exactly.
bool StringOnScreen(const ScreenSnapshot& screen, int32_t x, int32_t y, const std::u16string& testString);

// Starts a command line in the session's console as the Run command does; a command that
// cannot be started is shown in the error box and then ends the call with
// OperationAborted. Shared by RunCommand and OpenConsole.
void runInSessionConsole(ConsoleSession& session, const std::u16string& cmdLine);

}  // namespace qp
