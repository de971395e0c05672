#include "Errors.h"

#include <cstring>

namespace qp {

static std::string systemCallMessage(int code)
{
    if (code == 0)
        return "A Win32 API function failed";
    return "Win32 Error.  Code: " + std::to_string(code) + ".\n" + std::strerror(code);
}

ConsoleError::ConsoleError(int code)
    : std::runtime_error(systemCallMessage(code)), m_code(code)
{
}

CantExecuteError::CantExecuteError(const std::string& command, const std::string& reason)
    : std::runtime_error("Can't execute \"" + command + "\"" + (reason.empty() ? "" : "\n" + reason)),
      m_command(command)
{
}

}  // namespace qp
