#pragma once
// Command lines read by the POSIX shell's rules. A line that is one simple command (words
// with quotes and backslashes, nothing the shell would expand or connect) is run as that
// command's own process; anything else is handed to /bin/sh. Argument vectors given
// directly are written out as command lines with every word quoted, which read back as the
// same vector.

#include <string>
#include <string_view>
#include <vector>

namespace qp {

struct ShellCommandLine {
    enum class Kind {
        Empty,       // only blanks
        Simple,      // `words` is the argument vector, quotes removed
        Shell,       // pipelines, redirections, lists, expansions...: run under /bin/sh -c
        Unreadable,  // the shell cannot read it (`reason` says why)
    };
    Kind kind = Kind::Empty;
    std::vector<std::string> words;  // Simple: the vector; Shell: the words as far as they are plain
    std::string reason;
};

// Classifies a command line. Never throws; any input is safe.
ShellCommandLine ReadCommandLine(std::string_view line);

// The first word of a command line after quote removal (the program a profile is found
// for); empty when the line has none or cannot be read.
std::string FirstCommandWord(std::string_view line);

// One word quoted so that the shell reads it back unchanged: as it is when it holds only
// characters the shell takes literally, else in single quotes ('\'' for a single quote).
std::string ShellQuote(std::string_view word);
// The words quoted and joined by blanks: ReadCommandLine gives back exactly `words`.
std::string ShellJoin(const std::vector<std::string>& words);

// What exec needs for a command line: the program file and its argument vector (for a
// shell line, /bin/sh -c LINE). Throws CantExecuteError, with the reason when the line
// cannot be read, for an empty line or a program that is not found.
struct CommandExec {
    std::string path;
    std::vector<std::string> args;
};
CommandExec ResolveCommandLine(const std::string& line);

// The argument vector a second instance is started with so that it runs the same thing:
// the words of a simple command, or /bin/sh -c LINE. Throws CantExecuteError when the line
// cannot be read or is empty.
std::vector<std::string> CommandLineVector(const std::string& line);

}  // namespace qp
