#include "ZEBConsApp.h"

#include "AutomationError.h"
#include "vbs/Coerce.h"
#include "vbs/Errors.h"
#include "Dispatch.h"
#include "console/HostedConsole.h"
#include "TypeLibrary.h"
#include "ZEBConsole.h"

namespace qp {

vbs::Ref<ZEBConsApp> ZEBConsApp::create(const std::shared_ptr<ConsoleSession>& session) {
    return vbs::Ref<ZEBConsApp>(new ZEBConsApp(session));
}

vbs::ObjectRef ZEBConsApp::OpenConsole(const std::u16string& command) {
    auto s = m_session.lock();
    if (!s)
        throw std::runtime_error("The console of this object is gone");
    if (s->console().isProgramActive())
        return s->runInAnotherInstance(command);
    runInSessionConsole(*s, command);
    return s->consoleObject();
}

vbs::DispId ZEBConsApp::dispId(std::u16string_view name) {
    return dispIdOf(IZEBConsAppInfo, name);
}

vbs::Result<vbs::Variant> ZEBConsApp::invoke(vbs::DispId id, vbs::InvokeKind kind, vbs::Args& args) {
    const MethodInfo* method = findMethod(IZEBConsAppInfo, id);
    if (!method)
        return vbs::runtimeError(vbs::err::NoSuchMember);
    auto converted = convertArguments(*method, kind, args);
    if (!converted)
        return converted.error();
    try {
        return vbs::Variant::fromObject(OpenConsole(textArg(converted.value(), 0)));
    } catch (...) {
        return automationError(Source);
    }
}

}  // namespace qp
