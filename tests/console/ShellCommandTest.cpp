// Command lines read by the shell's rules: which lines are one simple command and what
// their words are, which go to the shell, which cannot be read; quoting argument vectors
// so they read back unchanged.

#include "console/Errors.h"
#include "console/ShellCommand.h"

#include <gtest/gtest.h>

using namespace qp;
using Kind = ShellCommandLine::Kind;
using Words = std::vector<std::string>;

TEST(ReadCommandLine, SimpleCommandsAndTheirWords)
{
    const struct {
        const char* name;
        std::string line;
        Words words;
    } cases[] = {
        {"blank separated", "  ls\t-l  /tmp ", {"ls", "-l", "/tmp"}},
        {"single quotes keep everything", "printf '%s|' 'a b' '$HOME \\ \"'", {"printf", "%s|", "a b", "$HOME \\ \""}},
        {"double quotes group", "\"/path with blank/prog\" arg", {"/path with blank/prog", "arg"}},
        {"quoted parts join their neighbours", "ab\"c d\"e", {"abc de"}},
        {"the acceptance line", "printf '%s|' 'a b' 'c\"d'", {"printf", "%s|", "a b", "c\"d"}},
        {"backslash escapes one character", "echo a\\ b \\'x\\\"", {"echo", "a b", "'x\""}},
        {"backslash in double quotes only before $ ` \" \\", "echo \"a\\b\\\"c\\\\\"", {"echo", "a\\b\"c\\"}},
        {"empty quoted words count", "printf '' \"\" x", {"printf", "", "", "x"}},
        {"a single quote inside double quotes", "echo \"it's\"", {"echo", "it's"}},
        {"equals after the first word is plain", "prog --opt=value", {"prog", "--opt=value"}},
        {"a quoted reserved word is a program", "'if' x", {"if", "x"}},
        {"hash inside a word is plain", "echo a#b", {"echo", "a#b"}},
        {"tilde inside a word is plain", "echo a~b", {"echo", "a~b"}},
        {"a NUL ends the line", std::string("echo a\0b", 8), {"echo", "a"}},
        {"a token beyond 4096 characters is not cut", "echo " + std::string(5000, 'x'), {"echo", std::string(5000, 'x')}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ShellCommandLine read = ReadCommandLine(c.line);
        EXPECT_EQ(read.kind, Kind::Simple);
        EXPECT_EQ(read.words, c.words);
    }
}

TEST(ReadCommandLine, ShellSyntaxGoesToTheShell)
{
    const struct {
        const char* name;
        const char* line;
    } cases[] = {
        {"pipeline", "ls | wc -l"},
        {"redirection", "echo a > /tmp/x"},
        {"input redirection", "wc -l < /etc/passwd"},
        {"list", "true; false"},
        {"and", "true && echo yes"},
        {"or", "false || echo no"},
        {"background", "sleep 1 &"},
        {"variable", "echo $HOME"},
        {"braced variable in double quotes", "echo \"${HOME}\""},
        {"command substitution", "echo $(date)"},
        {"backquotes", "echo `date`"},
        {"glob", "ls *.txt"},
        {"question-mark glob", "ls a?"},
        {"bracket glob", "ls [ab]"},
        {"subshell", "(cd /tmp; ls)"},
        {"group", "{ ls; }"},
        {"negation", "! false"},
        {"assignment before the command", "LANG=C ls"},
        {"tilde at the start of a word", "ls ~/x"},
        {"comment", "ls # it's fine"},
        {"reserved word", "if true; then echo y; fi"},
        {"reserved word alone", "while"},
        {"newline", "echo a\necho b"},
        {"line continuation", "echo a\\\nb"},
        {"quotes inside a substitution", "echo \"$(echo \")\")\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadCommandLine(c.line).kind, Kind::Shell);
    }
}

TEST(ReadCommandLine, UnreadableAndEmptyLines)
{
    for (const char* line : {"printf 'a", "\"/bin/echo hi", "echo \"a\\\"", "echo 'it''s", "a 'b' \"c"}) {
        SCOPED_TRACE(line);
        const ShellCommandLine read = ReadCommandLine(line);
        EXPECT_EQ(read.kind, Kind::Unreadable);
        EXPECT_EQ(read.reason, "Syntax error: Unterminated quoted string");
        EXPECT_TRUE(read.words.empty());
    }
    for (const char* line : {"", "   \t ", " \x01 "}) {
        // A control character other than a blank is part of a word, as in sh.
        const Kind expected = std::string(line).find('\x01') != std::string::npos ? Kind::Simple : Kind::Empty;
        EXPECT_EQ(ReadCommandLine(line).kind, expected) << line;
    }
}

TEST(ShellQuote, EveryVectorReadsBackUnchanged)
{
    const Words vectors[] = {
        {"plain", "words", "-x", "--opt=v", "a/b.c", "user@host:path", "50%", "a,b", "+1"},
        {"blanks", "a b", "  lead", "trail  ", "\ttab"},
        {"quotes", "'", "\"", "it's", "say \"hi\"", "''", "\"\""},
        {"backslashes", "\\", "a\\b", "\\\\", "end\\"},
        {"dollars", "$", "$HOME", "${x}", "$(rm -rf /)", "`id`"},
        {"newlines", "\n", "a\nb", "\r\n"},
        {"empties", "", "", "x", ""},
        {"shell words", "if", "then", ";", "&&", "|", ">", "<", "*", "?", "[a]", "{", "}", "!", "#", "~", "FOO=1"},
        {"=first", "x"},
        {"long", std::string(100000, 'q') + "'" + std::string(10, '"')},
        {"utf-8", "日本語", "é", "\xF0\x9F\x98\x80"},
    };
    for (const Words& v : vectors) {
        SCOPED_TRACE(v.front());
        const std::string line = ShellJoin(v);
        const ShellCommandLine read = ReadCommandLine(line);
        EXPECT_EQ(read.kind, Kind::Simple);
        EXPECT_EQ(read.words, v);
    }
    EXPECT_EQ(ShellQuote("plain-word"), "plain-word");
    EXPECT_EQ(ShellQuote("it's"), "'it'\\''s'");
    EXPECT_EQ(ShellQuote(""), "''");
}

TEST(ResolveCommandLine, ProgramsShellAndFailures)
{
    const CommandExec simple = ResolveCommandLine("printf '%s|' 'a b'");
    EXPECT_EQ(simple.path.substr(simple.path.rfind('/')), "/printf");
    EXPECT_EQ(simple.args, (Words{"printf", "%s|", "a b"}));

    const CommandExec shell = ResolveCommandLine("echo $HOME | cat");
    EXPECT_EQ(shell.path, "/bin/sh");
    EXPECT_EQ(shell.args, (Words{"sh", "-c", "echo $HOME | cat"}));

    // A command the shell carries out itself goes to the shell.
    EXPECT_EQ(ResolveCommandLine("exit 3").path, "/bin/sh");

    const struct {
        const char* line;
        const char* message;
    } failures[] = {
        {"printf 'a", "Can't execute \"printf 'a\"\nSyntax error: Unterminated quoted string"},
        {"no-such-program-anywhere x", "Can't execute \"no-such-program-anywhere x\""},
        {"", "Can't execute \"\""},
    };
    for (const auto& f : failures) {
        try {
            ResolveCommandLine(f.line);
            ADD_FAILURE() << f.line << ": resolved";
        } catch (const CantExecuteError& e) {
            EXPECT_EQ(std::string(e.what()), f.message);
        }
    }
    // What the lexer hands to the shell, the shell checks before anything runs.
    try {
        ResolveCommandLine("echo $(echo 'a)");
        ADD_FAILURE() << "resolved";
    } catch (const CantExecuteError& e) {
        EXPECT_NE(std::string(e.what()).find("Syntax error"), std::string::npos) << e.what();
    }
}

TEST(CommandLineVector, WhatASecondInstanceIsGiven)
{
    EXPECT_EQ(CommandLineVector("printf '%s|' 'a b'"), (Words{"printf", "%s|", "a b"}));
    EXPECT_EQ(CommandLineVector("ls | wc"), (Words{"/bin/sh", "-c", "ls | wc"}));
    EXPECT_THROW(CommandLineVector("'a"), CantExecuteError);
    EXPECT_THROW(CommandLineVector("  "), CantExecuteError);
}
