#pragma once
// One run of a script: a thread of its own with a private copy of the script's lines, so
// edits made while it plays do not reach the run.

#include <QThread>

#include <functional>
#include <string>
#include <vector>

namespace qp {

class TVBScript;

class ScriptThread : public QThread {
    Q_OBJECT
public:
    // onEngineError shows an error that leaves the host (not the script's own errors).
    ScriptThread(TVBScript& host, std::vector<std::u16string> lines,
                   std::function<void(const std::string& message)> onEngineError, QObject* parent = nullptr);

protected:
    void run() override;

private:
    TVBScript& m_host;
    std::vector<std::u16string> m_lines;
    std::function<void(const std::string&)> m_onEngineError;
};

}  // namespace qp
