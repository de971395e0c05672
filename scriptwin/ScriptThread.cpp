#include "ScriptThread.h"

#include "script/ActiveScr.h"
#include "script/AutomationError.h"

namespace qp {

ScriptThread::ScriptThread(TVBScript& host, std::vector<std::u16string> lines,
                               std::function<void(const std::string&)> onEngineError, QObject* parent)
    : QThread(parent), m_host(host), m_lines(std::move(lines)), m_onEngineError(std::move(onEngineError))
{
}

void ScriptThread::run()
{
    m_host.setLines(m_lines);
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
