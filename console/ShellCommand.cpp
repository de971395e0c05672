#include "ShellCommand.h"

#include "ConsoleFuncs.h"
#include "Errors.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qp {

namespace {

constexpr const char* kShell = "/bin/sh";
constexpr std::string_view kUnterminatedQuote = "Syntax error: Unterminated quoted string";

// Words the shell reads as part of its grammar when they stand first and unquoted.
constexpr std::array<std::string_view, 13> kReservedWords{
    "if", "then", "else", "elif", "fi", "do", "done", "case", "esac", "while", "until", "for", "in"};

// Commands the shell carries out itself, with no program file of that name on most systems.
constexpr std::array<std::string_view, 26> kShellBuiltins{
    ".", ":", "alias", "bg", "break", "cd", "command", "continue", "eval", "exec", "exit", "export",
    "fg", "getopts", "hash", "jobs", "read", "readonly", "return", "set", "shift", "times", "trap",
    "umask", "unalias", "unset"};

template <size_t N>
bool oneOf(const std::array<std::string_view, N>& list, std::string_view word)
{
    return std::find(list.begin(), list.end(), word) != list.end();
}

// Characters that connect, redirect or group commands, or expand: a line with one of them
// unquoted is the shell's to run.
bool isShellSyntax(char c)
{
    switch (c) {
    case '|': case '&': case ';': case '<': case '>': case '(': case ')':
    case '*': case '?': case '[': case '{': case '}': case '!': case '\n':
        return true;
    default:
        return false;
    }
}

bool isLiteralForQuoting(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || c == '%' || c == '+' ||
           c == ',' || c == '-' || c == '.' || c == '/' || c == ':' || c == '@' || c == '_';
}

// A small lexer of sh's quoting: words, quotes and backslashes, and whether anything else
// of the shell's language appears. Past `$`, a backquote or a comment it stops: what
// follows is the shell's to read (and to check, see shellSyntaxError).
class CommandLexer {
public:
    explicit CommandLexer(std::string_view line) : m_line(line.substr(0, line.find('\0'))) {}

    ShellCommandLine run()
    {
        while (m_pos < m_line.size() && !m_stopped && m_result.kind != ShellCommandLine::Kind::Unreadable)
            step();
        if (m_result.kind == ShellCommandLine::Kind::Unreadable)
            return std::move(m_result);
        endWord();
        if (!m_shell && !m_result.words.empty() && !m_firstQuoted && oneOf(kReservedWords, m_result.words.front()))
            m_shell = true;
        if (m_shell)
            m_result.kind = ShellCommandLine::Kind::Shell;
        else if (!m_result.words.empty())
            m_result.kind = ShellCommandLine::Kind::Simple;
        return std::move(m_result);
    }

private:
    void step()
    {
        const char c = m_line[m_pos];
        if (c == ' ' || c == '\t') {
            endWord();
            ++m_pos;
        } else if (c == '\\') {
            backslash();
        } else if (c == '\'') {
            singleQuoted();
        } else if (c == '"') {
            doubleQuoted();
        } else if (c == '$' || c == '`' || (c == '#' && !m_inWord)) {
            m_shell = m_stopped = true;
        } else {
            if (isShellSyntax(c) || (c == '~' && !m_inWord) || (c == '=' && m_result.words.empty()))
                m_shell = true;
            if (c == '\n')
                endWord();
            else
                append(c);
            ++m_pos;
        }
    }

    void backslash()
    {
        if (m_pos + 1 >= m_line.size() || m_line[m_pos + 1] == '\n') {
            m_shell = true;  // a line continuation or a lone backslash at the end
            m_pos += 2;
            return;
        }
        append(m_line[m_pos + 1]);
        quoted();
        m_pos += 2;
    }

    void singleQuoted()
    {
        const size_t close = m_line.find('\'', m_pos + 1);
        if (close == std::string_view::npos)
            return unreadable();
        m_word.append(m_line.substr(m_pos + 1, close - m_pos - 1));
        m_inWord = true;
        quoted();
        m_pos = close + 1;
    }

    void doubleQuoted()
    {
        m_inWord = true;
        quoted();
        for (size_t i = m_pos + 1; i < m_line.size(); ++i) {
            const char c = m_line[i];
            if (c == '"') {
                m_pos = i + 1;
                return;
            }
            if (c == '$' || c == '`') {
                m_shell = m_stopped = true;
                return;
            }
            if (c == '\\' && i + 1 < m_line.size() && std::string_view("$`\"\\\n").find(m_line[i + 1]) != std::string_view::npos) {
                if (m_line[i + 1] != '\n')
                    m_word += m_line[i + 1];
                ++i;
                continue;
            }
            m_word += c;
        }
        unreadable();
    }

    void unreadable()
    {
        m_result.kind = ShellCommandLine::Kind::Unreadable;
        m_result.reason = std::string(kUnterminatedQuote);
        m_result.words.clear();
    }

    void append(char c)
    {
        m_word += c;
        m_inWord = true;
    }
    void quoted()
    {
        if (m_result.words.empty())
            m_firstQuoted = true;
    }
    void endWord()
    {
        if (m_inWord)
            m_result.words.push_back(std::move(m_word));
        m_word.clear();
        m_inWord = false;
    }

    std::string_view m_line;
    size_t m_pos = 0;
    ShellCommandLine m_result;
    std::string m_word;
    bool m_inWord = false;
    bool m_firstQuoted = false;
    bool m_shell = false;
    bool m_stopped = false;
};

std::string trimmedMessage(std::string text)
{
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20)
        text.pop_back();
    return text;
}

// Asks the shell to read the line without running it (sh -n): its complaint, or empty
// when it reads. The shell is the authority on the lines our lexer hands over to it.
std::string shellSyntaxError(const std::string& line)
{
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, out[1], 2);
    const char* argv[] = {"sh", "-n", "-c", line.c_str(), nullptr};
    const char* envp[] = {"PATH=/usr/bin:/bin", "LC_ALL=C", nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, kShell, &actions, nullptr, const_cast<char* const*>(argv),
                                    const_cast<char* const*>(envp));
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string message;
    char buffer[512];
    ssize_t n;
    while (spawned == 0 && message.size() < 4096 && ((n = read(out[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)))
        if (n > 0)
            message.append(buffer, size_t(n));
    close(out[0]);
    if (spawned != 0)
        return {};
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return {};
    message = trimmedMessage(message);
    return message.empty() ? std::string(kUnterminatedQuote) : message;
}

CommandExec shellExec(const std::string& line)
{
    const std::string error = shellSyntaxError(line);
    if (!error.empty())
        throw CantExecuteError(line, error);
    return {kShell, {"sh", "-c", line}};
}

}  // namespace

ShellCommandLine ReadCommandLine(std::string_view line)
{
    return CommandLexer(line).run();
}

std::string FirstCommandWord(std::string_view line)
{
    const ShellCommandLine read = ReadCommandLine(line);
    return read.words.empty() ? std::string() : read.words.front();
}

std::string ShellQuote(std::string_view word)
{
    if (!word.empty() && std::all_of(word.begin(), word.end(), isLiteralForQuoting) && !oneOf(kReservedWords, word))
        return std::string(word);
    std::string quoted = "'";
    for (char c : word) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

std::string ShellJoin(const std::vector<std::string>& words)
{
    std::string line;
    for (size_t i = 0; i < words.size(); ++i) {
        if (i > 0)
            line += ' ';
        line += ShellQuote(words[i]);
    }
    return line;
}

CommandExec ResolveCommandLine(const std::string& line)
{
    ShellCommandLine read = ReadCommandLine(line);
    switch (read.kind) {
    case ShellCommandLine::Kind::Empty:
        throw CantExecuteError(line);
    case ShellCommandLine::Kind::Unreadable:
        throw CantExecuteError(line, read.reason);
    case ShellCommandLine::Kind::Shell:
        return shellExec(line);
    case ShellCommandLine::Kind::Simple:
        break;
    }
    std::string path = FindProgramOnPath(read.words.front());
    if (!path.empty())
        return {std::move(path), std::move(read.words)};
    if (oneOf(kShellBuiltins, read.words.front()))
        return shellExec(line);
    throw CantExecuteError(line);
}

std::vector<std::string> CommandLineVector(const std::string& line)
{
    ShellCommandLine read = ReadCommandLine(line);
    switch (read.kind) {
    case ShellCommandLine::Kind::Empty:
        throw CantExecuteError(line);
    case ShellCommandLine::Kind::Unreadable:
        throw CantExecuteError(line, read.reason);
    case ShellCommandLine::Kind::Shell:
        return {kShell, "-c", line};
    case ShellCommandLine::Kind::Simple:
        break;
    }
    return std::move(read.words);
}

}  // namespace qp
