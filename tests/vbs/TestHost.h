#pragma once
// A site and a host object for the engine's tests. The site records MsgBox texts and error
// reports; the host object `Test` offers members that exercise the dispatch interface.

#include "vbs/Engine.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace qp::vbs::test {

// Members: HostEcho(x) returns x; HostFill(out, value) stores value into out (ByRef);
// HostFail(number, description) fails with that error and source "Test.Host";
// HostValue is a read/write property; HostCalls counts invocations; HostWait(ms) sleeps;
// HostArgs() returns the argument count; HostIsRef(x) tells whether x came by reference;
// HostTempDir is a private folder made for this object and removed with it (for file tests).
class TestObject : public Object {
public:
    ~TestObject() override;
    DispId dispId(std::u16string_view name) override;
    Result<Variant> invoke(DispId id, InvokeKind kind, Args& args) override;
    std::u16string typeName() const override { return u"TestObject"; }

    std::atomic<int> calls{0};
    std::atomic<int> waitsEnded{0};  // HostWait calls that slept their whole time
    std::function<void()> onWait;  // run inside HostWait, on the script thread

private:
    Variant m_value;
    std::string m_tempDir;
};

class RecordingSite : public Site {
public:
    explicit RecordingSite(ObjectRef test = {}) : m_test(std::move(test)) {}
    ObjectRef namedItem(std::u16string_view name) override;
    void onScriptError(const ScriptError& error) override { errors.push_back(error); }
    // Answers with the box's default button, as the headless hosts do.
    int msgBox(std::u16string_view text, int buttons, std::u16string_view) override;

    std::vector<std::u16string> output;
    std::vector<ScriptError> errors;
    std::vector<std::u16string> asked;  // named items the engine asked for

private:
    ObjectRef m_test;
};

struct RunResult {
    bool parsed = false;
    RunOutcome outcome = RunOutcome::NotParsed;
    std::vector<std::u16string> output;
    std::vector<ScriptError> errors;
};

// Runs a script with the named item "Test" (the context item) and returns what it did.
RunResult runScript(std::u16string_view text, EngineLimits limits = {});

std::string narrow(std::u16string_view s);

}  // namespace qp::vbs::test
