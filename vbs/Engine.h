#pragma once
// The script engine as a host sees it: create it with a Site, add named items, parse the
// whole text, run it, close it. One engine serves one run; make a new one for the next.
//
//   qp::vbs::Engine engine(site);
//   engine.addNamedItem(u"Console");
//   if (engine.parse(text))      // a syntax error is reported through the site, once
//       engine.run();            // global code runs on this thread; errors go to the site
//   engine.close();
//
// From any other thread: interrupt() and state().

#include "ErrorInfo.h"
#include "Object.h"
#include "Variant.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qp::vbs {

// One procedure in the chain of calls at a run-time error: the statement that was running
// in it (where the error happened for the innermost, the call for the others).
struct CallFrame {
    std::u16string procedure;  // "Check", "Account.Deposit" (class members), "" for global code
    int line = 0;              // 0-based, as in ScriptError
    int position = 0;
};

// An error as the engine reports it to the host: where it happened (0-based, as the host
// receives it; the host adds 1 for display) and what it is.
struct ScriptError {
    int line = 0;      // 0-based line of the text given to parse()
    int position = 0;  // 0-based character (UTF-16 code unit) in that line
    int32_t number = 0;
    std::u16string source;       // "VBScript compilation error", "VBScript runtime error",
                                 // or the source a host object or Err.Raise gave
    std::u16string description;  // may be empty when Err.Raise gave an unknown number
    bool syntax = false;         // true for errors found while parsing
    // Run-time errors: the chain of calls, innermost first, ending with the global code (or
    // the Execute / Eval text that was running). Its first entry is line and position above.
    std::vector<CallFrame> calls;
};

// What the engine asks of its host. Called on the thread that runs the script.
class Site {
public:
    virtual ~Site() = default;

    // The object for a named item, asked once, when the script first uses the name (or a
    // bare name that may be one of its members). An empty reference means unknown: a script
    // that uses the name gets run-time error 424.
    virtual ObjectRef namedItem(std::u16string_view name) = 0;

    // Every syntax and run-time error, once, before parse() or run() returns.
    virtual void onScriptError(const ScriptError& error) = 0;

    // MsgBox(prompt, buttons, title): returns the button pressed (vbOK = 1 ... vbNo = 7).
    virtual int msgBox(std::u16string_view text, int buttons, std::u16string_view title)
    {
        return 1;
    }

    // Whether CreateObject may make the engine's own class of that name (Scripting.Dictionary,
    // VBScript.RegExp, Scripting.FileSystemObject); a refused name fails with 429 like an
    // unknown one. A host that must not let scripts touch files refuses the last.
    virtual bool mayCreateObject(std::u16string_view progId) { return true; }

    // InputBox(prompt, title, default): the text entered, or Empty when cancelled.
    virtual Variant inputBox(std::u16string_view prompt, std::u16string_view title,
                             std::u16string_view defaultText)
    {
        return Variant::fromString(std::u16string());
    }
};

// The engine's life, readable from any thread:
//   Initialized  made, named items may be added, nothing parsed yet
//   Started      the text parsed without error, ready to run
//   Connected    run() is executing global code
//   Disconnected run() has returned (completed, failed or interrupted)
//   Closed       close() was called (or parse failed and close() followed); terminal
// A host's "idle" is state() == Closed (or no engine at all).
enum class EngineState : uint8_t { Initialized, Started, Connected, Disconnected, Closed };

enum class RunOutcome : uint8_t {
    Completed,     // the global code ran to its end
    Failed,        // a run-time error ended it (reported through Site::onScriptError)
    Interrupted,   // interrupt() or the step budget ended it (not reported as an error)
    NotParsed,     // parse() was not called or failed; nothing ran
};

// Resource limits. The defaults keep a runaway script from exhausting the process: deeper
// recursion raises 28 "Out of stack space", larger strings or arrays 7 "Out of memory".
// What a script's values may hold at once unless told otherwise, in MB (the players'
// --memory-limit).
inline constexpr size_t kDefaultMemoryLimitMB = 2048;

struct EngineLimits {
    int maxCallDepth = 10000;              // nested Sub/Function calls
    int maxNesting = 200;                  // nested blocks and expressions in the source
    size_t maxStringLength = 256u << 20;   // UTF-16 code units in one string
    size_t maxArrayElements = 64u << 20;   // elements in one array
    uint64_t stepBudget = 0;               // statements and loop turns; 0 = unlimited
    size_t maxStackBytes = 6u << 20;       // machine stack a run may use (also capped at
                                           // three quarters of the running thread's stack)
    size_t maxMemoryBytes = kDefaultMemoryLimitMB << 20;  // all arrays' elements and strings'
                                           // text a run holds at once; 0 = unlimited
};

// The 0-based line of the statement that the script running on the calling thread is
// executing (in its innermost procedure), or -1 when no script runs on this thread. A
// host object's method reads it to say which script line called it.
int CurrentStatementLine() noexcept;

class Engine {
public:
    explicit Engine(Site& site, EngineLimits limits = {});
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Makes `name` visible to the script. With globalMembers, the item's members can also be
    // used without the `name.` prefix everywhere. Only before parse().
    void addNamedItem(std::u16string name, bool globalMembers = false);

    // Parses the whole text, in the context of the first named item: a bare name that the
    // script does not define resolves, at run time, to a member of that item when the item
    // has one (so `CheckWindow 1, 1, 80, 25` calls Console.CheckWindow). Line ends may be
    // CR LF, LF or CR. Returns false after reporting a syntax error through the site.
    bool parse(std::u16string_view text);

    // Runs the parsed global code on the calling thread and returns when it has ended.
    RunOutcome run();

    // Ends the running script at its next statement or loop turn; a host method already
    // running is not broken into. Sticky: a run that starts afterwards ends at once.
    // Safe from any thread while the engine exists.
    void interrupt() noexcept;

    // Releases the script's variables and objects; state() becomes Closed.
    void close();

    EngineState state() const noexcept;

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

}  // namespace qp::vbs
