#pragma once
// The console object, known to scripts as Console: sends keys, reads and checks the
// screen, waits, and starts, watches and kills the program under test. It keeps no state
// of its own; every call acts on its session's hosted console.
//
// Coordinates: CheckString, CheckRect, ReadText and WaitString take 0-based cells,
// CheckWindow 1-based ones (the frame detection's). Rectangles are inclusive and reach
// the screen only where they lie on it: cells off the screen read as nothing.

#include "ConsoleSession.h"
#include "Object.h"
#include "ScreenTypes.h"

#include <memory>
#include <string>

namespace qp {

class ZEBConsole final : public vbs::Object {
public:
    static constexpr std::u16string_view Source = u"QuorviaPallant.ZEBConsole";

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

private:
    explicit ZEBConsole(std::weak_ptr<ConsoleSession> session) : m_session(std::move(session)) {}
    void traceCheck(const std::string& call, bool result, const ScreenSnapshot& screen);

    // Weak: the session holds the process's console object, and a script may keep an object
    // past its session's end (its calls then fail instead of touching a freed console).
    std::weak_ptr<ConsoleSession> m_session;
};

// CheckString's comparison: the row from x over the cells that hold as many UTF-16 code
// units as the text has (one cell each, a wide character's two cells together), read as
// the checks read it, equals the text exactly.
bool StringOnScreen(const ScreenSnapshot& screen, int32_t x, int32_t y, const std::u16string& testString);

// Starts a command line in the session's console as the Run command does; a command that
// cannot be started is shown in the error box and then ends the call with
// OperationAborted. Shared by RunCommand and OpenConsole.
void runInSessionConsole(ConsoleSession& session, const std::u16string& cmdLine);

}  // namespace qp
