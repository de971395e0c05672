#include "ActiveScr.h"

#include "console/Cancellation.h"

#include "ZEBConsApp.h"
#include "ZEBConsole.h"

#include <memory>

namespace qp {

namespace {

std::u16string decimal(int64_t n) {
    const std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
}

// The class description of a host object of ours, for the type information a named item
// is asked for.
const CoClassInfo* classInfoOf(vbs::Object* object) {
    if (dynamic_cast<ZEBConsole*>(object))
        return &ZEBConsoleClass;
    if (dynamic_cast<ZEBConsApp*>(object))
        return &ZEBConsAppClass;
    return nullptr;
}

}  // namespace

std::u16string ScriptErrorMessage(const vbs::ScriptError& error) {
    return u"Line: " + decimal(int64_t(error.line) + 1) + u" Position: " + decimal(int64_t(error.position) + 1) +
           u"\r\n" + error.description;
}

// --- the site ------------------------------------------------------------------------------

int32_t TActiveScriptSite::GetItemInfo(const std::u16string& name, uint32_t mask, vbs::ObjectRef* unknown,
                                       const CoClassInfo** typeInfo) {
    if (unknown)
        *unknown = nullptr;
    if (typeInfo)
        *typeInfo = nullptr;
    vbs::ObjectRef obj;
    if (Script && Script->OnGetNamedItem)
        Script->OnGetNamedItem(name, obj);
    if (!obj)
        return kItemNotFound;
    if (mask == kItemInfoObject) {
        if (unknown)
            *unknown = obj;
    } else if (typeInfo) {
        *typeInfo = classInfoOf(obj.get());
    }
    return kItemFound;
}

vbs::ObjectRef TActiveScriptSite::namedItem(std::u16string_view name) {
    vbs::ObjectRef obj;
    GetItemInfo(std::u16string(name), kItemInfoObject, &obj, nullptr);
    return obj;
}

void TActiveScriptSite::OnScriptError(const vbs::ScriptError& error) {
    if (Script)
        Script->m_lastErrors.push_back(error);
    if (!error.description.empty() && Script)
        Script->showError(ScriptErrorMessage(error));
}

int TActiveScriptSite::msgBox(std::u16string_view text, int buttons, std::u16string_view title) {
    if (Script && Script->m_msgBox)
        return Script->m_msgBox(text, buttons, title);
    return 1;  // OK
}

vbs::Variant TActiveScriptSite::inputBox(std::u16string_view prompt, std::u16string_view title,
                                         std::u16string_view defaultText) {
    if (Script && Script->m_inputBox)
        return Script->m_inputBox(prompt, title, defaultText);
    return vbs::Variant::fromString(std::u16string());
}

// --- the host ------------------------------------------------------------------------------

void TVBScript::showError(const std::u16string& message) {
    if (m_errorBox)
        m_errorBox(message, u"Error");
}

void TVBScript::RunScript() {
    m_lastErrors.clear();
    m_lastOutcome = vbs::RunOutcome::NotParsed;
    auto site = std::make_unique<TActiveScriptSite>(this);
    Site = site.get();
    auto engine = std::make_unique<vbs::Engine>(*site, m_limits);
    std::stop_source runStop;
    {
        std::lock_guard lock(m_engineMutex);
        m_engine = engine.get();
        m_runStop = runStop;
    }
    // The console calls of this run wait under the run's stop. A stop of whoever runs the
    // script (its own caller stop) interrupts the run, also one requested before it began.
    StopScope scope(runStop.get_token());
    std::stop_callback outerStop(scope.outer(), [this] { Interrupt(); });
    // Whatever happens from here on, the engine is closed and released.
    struct CleanUp {
        TVBScript& host;
        std::unique_ptr<vbs::Engine>& engine;
        ~CleanUp() {
            engine->close();
            {
                std::lock_guard lock(host.m_engineMutex);
                host.m_engine = nullptr;
            }
            engine.reset();
            host.Site = nullptr;
        }
    } cleanUp{*this, engine};

    ScriptThreadId = std::this_thread::get_id();
    for (const std::u16string& name : NamedItems)
        engine->addNamedItem(name);
    std::u16string code;
    for (const std::u16string& line : Lines)
        code += line + u"\r\n";
    if (engine->parse(code))
        m_lastOutcome = engine->run();
}

void TVBScript::Interrupt() {
    std::lock_guard lock(m_engineMutex);
    if (m_engine) {
        m_engine->interrupt();
        m_runStop.request_stop();
    }
}

bool TVBScript::Idle() const {
    std::lock_guard lock(m_engineMutex);
    return !m_engine || m_engine->state() == vbs::EngineState::Closed;
}

}  // namespace qp
