#pragma once
// The script host: runs a VBScript text with the script engine, makes the console object
// visible to it under the name Console, and shows the engine's error reports with their
// line and position.
//
//   TVBScript host;
//   host.setNamedItems({u"Console"});
//   host.setOnGetNamedItem([&](const std::u16string& name, vbs::ObjectRef& obj) { ... });
//   host.setLines(lines);
//   host.RunScript();            // on the script's own thread
//   host.Interrupt();            // from any thread
//
// One run at a time per host; Idle and Interrupt may be called from any thread meanwhile.

#include "vbs/Engine.h"
#include "vbs/Object.h"
#include "TypeLibrary.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace qp {

class TVBScript;

// Resolves a named item to its object; leaves obj empty for a name it does not know.
using TGetNamedItemEvent = std::function<void(const std::u16string& ItemName, vbs::ObjectRef& Obj)>;

// What GetItemInfo may be asked for: the object itself, or the type information of its class.
inline constexpr uint32_t kItemInfoObject = 1;
inline constexpr uint32_t kItemInfoType = 2;
// What GetItemInfo answers: found, or no such named item (the code automation gives a
// parameter that is not found).
inline constexpr int32_t kItemFound = 0;
inline constexpr int32_t kItemNotFound = int32_t(0x80020004);

// The site the engine talks back to; one per run.
class TActiveScriptSite final : public vbs::Site {
public:
    explicit TActiveScriptSite(TVBScript* script) : Script(script) {}

    // The object (mask exactly kItemInfoObject) or the type information of its class
    // (any other mask) for a named item: kItemFound, or kItemNotFound for an unknown name.
    int32_t GetItemInfo(const std::u16string& name, uint32_t mask, vbs::ObjectRef* unknown,
                        const CoClassInfo** typeInfo);
    // The error as the user sees it: "Line: ", the line, " Position: ", the position, CR LF
    // and the description; shown only when the description is not empty.
    void OnScriptError(const vbs::ScriptError& error);

    vbs::ObjectRef namedItem(std::u16string_view name) override;
    void onScriptError(const vbs::ScriptError& error) override { OnScriptError(error); }
    int msgBox(std::u16string_view text, int buttons, std::u16string_view title) override;
    vbs::Variant inputBox(std::u16string_view prompt, std::u16string_view title,
                          std::u16string_view defaultText) override;

    TVBScript* Script;
};

// The message OnScriptError builds for an error.
std::u16string ScriptErrorMessage(const vbs::ScriptError& error);

class TVBScript {
public:
    // Where the host shows things; each defaults to doing nothing (MsgBox answers OK,
    // InputBox an empty text).
    using ErrorBox = std::function<void(const std::u16string& message, const std::u16string& caption)>;
    using MsgBoxHandler = std::function<int(std::u16string_view text, int buttons, std::u16string_view title)>;
    using InputBoxHandler = std::function<vbs::Variant(std::u16string_view prompt, std::u16string_view title,
                                                       std::u16string_view defaultText)>;

    TVBScript() = default;
    TVBScript(const TVBScript&) = delete;
    TVBScript& operator=(const TVBScript&) = delete;

    void setLines(std::vector<std::u16string> lines) { Lines = std::move(lines); }
    void setNamedItems(std::vector<std::u16string> names) { NamedItems = std::move(names); }
    void setOnGetNamedItem(TGetNamedItemEvent handler) { OnGetNamedItem = std::move(handler); }
    void setErrorBox(ErrorBox box) { m_errorBox = std::move(box); }
    void setMsgBox(MsgBoxHandler handler) { m_msgBox = std::move(handler); }
    void setInputBox(InputBoxHandler handler) { m_inputBox = std::move(handler); }
    void setLimits(vbs::EngineLimits limits) { m_limits = limits; }

    // Runs Lines as one script on the calling thread and returns when it has finished,
    // failed or been interrupted. Errors of the script are reported through the site. A stop
    // of the calling thread's caller (StopScope) interrupts it as Interrupt does.
    void RunScript();
    // Asks the running script, if any, to stop at its next statement, and ends at once what
    // its console calls wait for (typing, pauses, waits for the screen). Any thread.
    void Interrupt();
    // True when no script is being prepared or run. Any thread.
    bool Idle() const;

    // How the last run ended, and every error the engine reported in it, in order.
    vbs::RunOutcome lastOutcome() const { return m_lastOutcome; }
    const std::vector<vbs::ScriptError>& lastErrors() const { return m_lastErrors; }

    std::vector<std::u16string> Lines;
    std::vector<std::u16string> NamedItems;
    TGetNamedItemEvent OnGetNamedItem;
    TActiveScriptSite* Site = nullptr;  // during a run
    std::thread::id ScriptThreadId;

private:
    friend class TActiveScriptSite;
    void showError(const std::u16string& message);

    mutable std::mutex m_engineMutex;  // guards m_engine against release during Idle/Interrupt
    vbs::Engine* m_engine = nullptr;
    std::stop_source m_runStop;  // the current run's caller stop (see Cancellation.h)
    vbs::EngineLimits m_limits;
    ErrorBox m_errorBox;
    MsgBoxHandler m_msgBox;
    InputBoxHandler m_inputBox;
    vbs::RunOutcome m_lastOutcome = vbs::RunOutcome::NotParsed;
    std::vector<vbs::ScriptError> m_lastErrors;
};

}  // namespace qp
