// The command-line tokenizer, the joining of arguments and the executable search.

#include "console/ConsoleFuncs.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace qp;
namespace fs = std::filesystem;

TEST(CmdToken, TokensByIndex)
{
    struct Case {
        const char* name;
        std::string text;
        int n;
        std::string token;
    };
    const std::string longToken(5000, 'x');
    const Case cases[] = {
        {"quoted path", "\"C:\\Program Files\\tool.exe\" -x", 0, "C:\\Program Files\\tool.exe"},
        {"after quoted path", "\"C:\\Program Files\\tool.exe\" -x", 1, "-x"},
        {"past the end", "\"C:\\Program Files\\tool.exe\" -x", 2, ""},
        {"negative index", "a b", -1, ""},
        {"empty quoted pair first", "\"\" tool.exe", 0, "tool.exe"},
        {"empty pairs everywhere", "\"\"\"\" \"\"  a \"\" b", 1, "b"},
        {"quotes join neighbours", "ab\"c d\"e f", 0, "abc de"},
        {"empty pair inside", "a\"\"b", 0, "ab"},
        {"unterminated quote", "\"abc def", 0, "abc def"},
        {"control characters separate", "a\tb\r\nc", 2, "c"},
        {"high bytes are characters", "caf\xc3\xa9 x", 0, "caf\xc3\xa9"},
        {"empty text", "", 0, ""},
        {"only blanks", "   ", 0, ""},
        {"NUL ends the text", std::string("a\0b c", 5), 1, ""},
        {"NUL inside quotes ends the text", std::string("\"a\0b\" c", 7), 0, "a"},
        {"NUL inside quotes, next token", std::string("\"a\0b\" c", 7), 1, ""},
        {"long token cut", longToken + " y", 0, longToken.substr(0, 4096)},
        {"rest of a cut token is no token", longToken + " y", 1, "y"},
        {"cut inside quotes", "\"" + longToken + " z\" y", 1, "y"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CmdToken(c.text, c.n), c.token) << c.name;
}

TEST(CmdToken, NextCmdTokenAdvancesPastTheToken)
{
    const std::string text = "  one \"two three\"four  ";
    size_t pos = 0;
    EXPECT_EQ(NextCmdToken(text, pos), "one");
    EXPECT_EQ(pos, 5u);
    EXPECT_EQ(NextCmdToken(text, pos), "two threefour");
    EXPECT_EQ(pos, 21u);
    EXPECT_EQ(NextCmdToken(text, pos), "");
    EXPECT_EQ(NextCmdToken(text, pos), "");
    size_t beyond = 100;
    EXPECT_EQ(NextCmdToken(text, beyond), "");
}

TEST(CmdToken, SplitAndQuoteBalance)
{
    EXPECT_EQ(SplitCmdTokens("a \"b c\" d"), (std::vector<std::string>{"a", "b c", "d"}));
    EXPECT_TRUE(SplitCmdTokens("  \"\" ").empty());
    EXPECT_TRUE(QuotesBalanced("a \"b\" \"\""));
    EXPECT_FALSE(QuotesBalanced("\"a b"));
    EXPECT_TRUE(QuotesBalanced(std::string("a\0\"", 3)));  // after a NUL nothing counts
}

TEST(JoinCommandArguments, QuotesArgumentsWithBlanksAndTrimsTheRest)
{
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string joined;
    };
    const Case cases[] = {
        {"path with a blank and a switch", {"C:\\Tools Dir\\viewer.exe", "/x"}, "\"C:\\Tools Dir\\viewer.exe\" /x"},
        {"single argument", {"-Embedding"}, "-Embedding"},
        {"trimmed argument", {"\tls\n", "-l"}, "ls -l"},
        {"argument with blank kept as is", {" a "}, "\" a \""},
        {"empty arguments", {"", ""}, ""},
        {"none", {}, ""},
        {"empty between", {"a", "", "b"}, "a  b"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JoinCommandArguments(c.args), c.joined) << c.name;
}

class SearchExecutableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("qp-search-" + std::to_string(getpid()));
        fs::create_directories(m_dir / "sub");
        m_oldPath = getenv("PATH") ? getenv("PATH") : "";
        const char* ext = getenv("PATHEXT");
        m_hadPathExt = ext != nullptr;
        m_oldPathExt = ext ? ext : "";
        setenv("PATH", (m_dir.string() + ":" + m_oldPath).c_str(), 1);
        unsetenv("PATHEXT");
    }
    void TearDown() override
    {
        setenv("PATH", m_oldPath.c_str(), 1);
        if (m_hadPathExt)
            setenv("PATHEXT", m_oldPathExt.c_str(), 1);
        else
            unsetenv("PATHEXT");
        fs::remove_all(m_dir);
    }
    std::string make(const std::string& name, bool executable = true)
    {
        const fs::path p = m_dir / name;
        std::ofstream(p) << "#!/bin/sh\n";
        fs::permissions(p, executable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
        return p.string();
    }
    fs::path m_dir;
    std::string m_oldPath, m_oldPathExt;
    bool m_hadPathExt = false;
};

TEST_F(SearchExecutableTest, FindsExecutablesAlongPath)
{
    const std::string tool = make("qptool");
    make("qpdata", false);
    EXPECT_EQ(SearchExecutable("qptool"), tool);
    EXPECT_EQ(SearchExecutable("qpdata"), "qpdata");  // not executable: unchanged
    EXPECT_EQ(SearchExecutable("sub"), "sub");        // a directory: unchanged
    EXPECT_EQ(SearchExecutable("qp-nowhere"), "qp-nowhere");
    EXPECT_EQ(SearchExecutable(""), "");
    EXPECT_EQ(SearchExecutable(tool), tool);  // a path is taken as it is
    EXPECT_EQ(FindProgramOnPath("sh").empty(), false);
    EXPECT_EQ(FindProgramOnPath(std::string(5000, 'a')), "");
}

TEST_F(SearchExecutableTest, TriesPathExtExtensionsInOrder)
{
    const std::string exe = make("cmd.exe");
    const std::string bat = make("cmd.bat");
    setenv("PATHEXT", ".com;.exe;.bat", 1);
    EXPECT_EQ(SearchExecutable("cmd"), exe);
    setenv("PATHEXT", ".bat;.exe", 1);
    EXPECT_EQ(SearchExecutable("cmd"), bat);
    // A name with an extension of its own gets none appended.
    EXPECT_EQ(SearchExecutable("cmd.exe"), exe);
    // An empty entry is tried as an empty extension.
    const std::string plain = make("plain");
    setenv("PATHEXT", ".x;;.y", 1);
    EXPECT_EQ(SearchExecutable("plain"), plain);
    setenv("PATHEXT", ".x;.y", 1);
    EXPECT_EQ(SearchExecutable("plain"), "plain");
}

TEST(ConsoleFuncs, ReplaceExtensionAndConsoleWindow)
{
    EXPECT_EQ(ReplaceExtension("/opt/tools/viewer.exe", ".vdesk"), "/opt/tools/viewer.vdesk");
    EXPECT_EQ(ReplaceExtension("/opt/tools/viewer", ".vdesk"), "/opt/tools/viewer.vdesk");
    EXPECT_EQ(ReplaceExtension("/opt/v1.2/viewer", ".vdesk"), "/opt/v1.2/viewer.vdesk");
    EXPECT_EQ(ReplaceExtension("a.b.c", ".vdesk"), "a.b.vdesk");
    EXPECT_EQ(ReplaceExtension("", ".vdesk"), ".vdesk");
    EXPECT_EQ(LocateConsoleWindow(), kInvalidWindow);
}
