#pragma once
// Failures that the hosted console raises. Everything else reports through results.

#include <stdexcept>
#include <string>

namespace qp {

// A failed system call of the console (a pty write, a pty that cannot be opened). Its
// message keeps the words users know: "Win32 Error.  Code: %d.\n%s" with errno and its
// text, or "A Win32 API function failed" when there is no error code.
class ConsoleError : public std::runtime_error {
public:
    explicit ConsoleError(int code);
    int code() const { return m_code; }
private:
    int m_code;
};

// A program that cannot be started: "Can't execute " and the command in double quotes,
// then on a line of its own the reason when there is one to tell (a command line the
// shell cannot read). Callers show the message once and then abandon the operation silently.
class CantExecuteError : public std::runtime_error {
public:
    explicit CantExecuteError(const std::string& command, const std::string& reason = {});
    const std::string& command() const { return m_command; }
private:
    std::string m_command;
};

}  // namespace qp
