#include "TExecuteThread.h"

#include "ActiveScr.h"
#include "AutomationError.h"

namespace qp {

TExecuteThread::TExecuteThread(TVBScript& host, std::vector<std::u16string> lines,
                               std::function<void(const std::string&)> onEngineError, QObject* parent)
    : QThread(parent), m_host(host), ScriptLines(std::move(lines)), m_onEngineError(std::move(onEngineError))
{
}

void TExecuteThread::run()
{
    m_host.setLines(ScriptLines);
    try {
        m_host.RunScript();
    } catch (const OperationAborted&) {
        // silent: its message has been shown already
    } catch (const std::exception& e) {
        if (m_onEngineError)
            m_onEngineError(e.what());
    }
}

}  // namespace qp
