#include "AutomationError.h"

#include "console/Codepage.h"
#include "vbs/Coerce.h"

namespace qp {

vbs::ErrorInfo automationError(std::u16string_view source) {
    vbs::ErrorInfo info{kUnexpectedFailure, std::u16string(source), u""};
    try {
        throw;
    } catch (const ScriptRuntimeError& e) {
        info.number = e.number();
        info.source = vbs::runtimeError(e.number()).source;
        info.description = AnsiToUtf16(e.what());
    } catch (const FailureCodeError& e) {
        if (e.code() < 0)
            info.number = e.code();
        info.description = AnsiToUtf16(e.what());
    } catch (const std::exception& e) {
        info.description = AnsiToUtf16(e.what());
    } catch (...) {
    }
    return info;
}

}  // namespace qp
