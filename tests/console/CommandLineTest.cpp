// Command lines in the real pty: argument vectors with hostile contents reach the program
// unchanged (directly and through a second instance), shell syntax runs under the shell,
// a simple command is its own process, and a line the shell cannot read starts nothing.

#include "ConsoleTestUtil.h"
#include "console/Errors.h"
#include "console/ShellCommand.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace qp;
using namespace qp::test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

using Words = std::vector<std::string>;

// The file qp_recordargs appends to, set for the programs started meanwhile.
class RecordFile {
public:
    RecordFile()
        : m_path(fs::temp_directory_path() / ("qp-args-" + std::to_string(getpid()) + "-" + std::to_string(counter++)))
    {
        fs::remove(m_path);
        setenv("QP_RECORD_FILE", m_path.c_str(), 1);
    }
    ~RecordFile()
    {
        unsetenv("QP_RECORD_FILE");
        fs::remove(m_path);
    }
    std::string read() const
    {
        std::ifstream in(m_path, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    // Waits until the record of one run is there (qp_recordargs puts whole records in
    // place at once) and takes it.
    std::string take(size_t expectedSize)
    {
        const auto deadline = std::chrono::steady_clock::now() + kWaitDeadline;
        while (read().size() < expectedSize && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        std::string text = read();
        fs::remove(m_path);
        return text;
    }

private:
    static inline int counter = 0;
    fs::path m_path;
};

// What qp_recordargs writes for an argument vector (without its program name).
std::string recorded(const Words& args)
{
    std::string out = "argc " + std::to_string(args.size() + 1) + "\n";
    for (const std::string& a : args) {
        for (char c : a)
            out += c == '\\' ? std::string("\\\\") : c == '\n' ? std::string("\\n") : std::string(1, c);
        out += '\n';
    }
    return out;
}

const Words HostileVectors[] = {
    {"blanks", "a b", "  lead", "trail  ", "\ttab"},
    {"single'quote", "'", "it's", "''"},
    {"double\"quote", "\"", "say \"hi\"", "\"\""},
    {"back\\slash", "\\", "a\\b", "end\\", "\\n"},
    {"$dollar", "$HOME", "${PATH}", "$(id)", "`id`", "$$"},
    {"new\nline", "\n", "a\nb"},
    {"", "", "empty strings", ""},
    {"shell words", "|", ";", "&&", ">", "<", "*", "?", "~", "#", "!", "{", "}", "FOO=1", "if"},
    {"long", std::string(100000, 'x')},
    {"utf-8", "日本語", "e\xCC\x81", "\xF0\x9F\x98\x80"},
};

}  // namespace

TEST(CommandLines, HostileArgumentVectorsReachTheProgramUnchanged)
{
    RecordFile record;
    HostedConsole console(nullptr, fastOptions());
    for (const Words& args : HostileVectors) {
        SCOPED_TRACE(args.front().substr(0, 20));
        Words argv{helper("qp_recordargs")};
        argv.insert(argv.end(), args.begin(), args.end());
        console.runInConsole(ShellJoin(argv));
        ASSERT_TRUE(waitForExit(console));
        EXPECT_EQ(record.take(recorded(args).size()), recorded(args));
    }
}

TEST(CommandLines, ASecondInstanceIsGivenTheSameVector)
{
    RecordFile record;
    ConsoleOptions options = fastOptions();
    options.newWindowProgram = helper("qp_recordargs");
    HostedConsole console(nullptr, options);
    console.runInConsole("sleep 30");
    for (const Words& args : HostileVectors) {
        SCOPED_TRACE(args.front().substr(0, 20));
        EXPECT_EQ(console.runInConsole(ShellJoin(args)), HostedConsole::RunResult::NewWindow);
        EXPECT_EQ(record.take(recorded(args).size()), recorded(args));
    }
    console.runInConsole("echo one | cat");
    const std::string shell = recorded({"/bin/sh", "-c", "echo one | cat"});
    EXPECT_EQ(record.take(shell.size()), shell);
    EXPECT_THROW(console.runInNewWindow("printf 'a"), CantExecuteError);
    console.killProgram();
    EXPECT_EQ(zombieChildren(), 0);
}

TEST(CommandLines, ShellSyntaxRunsUnderTheShell)
{
    const fs::path dir = fs::temp_directory_path() / ("qp-shell-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "a.txt") << "";
    std::ofstream(dir / "b.txt") << "";
    const std::string d = ShellQuote(dir.string());
    const struct {
        const char* name;
        std::string line;
        std::string expected;
    } cases[] = {
        {"quoted words", "printf '%s|' 'a b' 'c\"d'", "a b|c\"d|"},
        {"double quotes as before", "printf \"%s|%s|\\n\" \"two words\" ab\"c d\"e", "two words|abc de|"},
        {"sh -c keeps its script whole", "sh -c 'echo one two; echo \"a  b\" $0' x", "a  b x"},
        {"pipeline", "echo piped words | tr a-z A-Z", "PIPED WORDS"},
        {"redirection", "echo into-file > " + d + "/out; cat < " + d + "/out", "into-file"},
        {"and", "true && echo and-ran", "and-ran"},
        {"or", "false || echo or-ran", "or-ran"},
        {"variables", "X=val; echo var=$X \"q=$X\"", "var=val q=val"},
        {"arithmetic", "echo $((6*7))", "42"},
        {"glob", "cd " + d + " && echo *.txt", "a.txt b.txt"},
        {"builtin", "cd " + d + "; pwd", dir.string()},
    };
    HostedConsole console(nullptr, fastOptions(120, 25));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        console.runInConsole(c.line);
        ASSERT_TRUE(waitForExit(console));
        EXPECT_TRUE(screenContains(*waitForText(console, c.expected), c.expected)) << SnapshotText(*console.takeSnapshot());
    }
    fs::remove_all(dir);
}

TEST(CommandLines, ASimpleCommandIsItsOwnProcess)
{
    auto comm = [](int pid) {
        std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
        std::string name;
        std::getline(in, name);
        return name;
    };
    HostedConsole console(nullptr, fastOptions());
    console.runInConsole("/bin/sh -c 'echo pid=$$; exec sleep 30'");
    const SnapshotPtr s = waitForText(console, "pid=");
    const std::string row = rowText(*s, 0);
    ASSERT_EQ(row.rfind("pid=", 0), 0u) << row;
    EXPECT_EQ(std::stoi(row.substr(4)), console.programPid());
    console.killProgram();

    console.runInConsole("sleep 30");
    std::ifstream cmdline("/proc/" + std::to_string(console.programPid()) + "/cmdline");
    std::string argv((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
    EXPECT_EQ(argv, std::string("sleep\0" "30\0", 9));
    console.killProgram();

    // A pipeline: the shell is the program.
    console.runInConsole("sleep 30 | cat");
    EXPECT_EQ(comm(console.programPid()), "sh");
    const int shell = console.programPid();
    console.killProgram();
    EXPECT_TRUE(processGone(shell));
    EXPECT_FALSE(console.isProgramActive());
}

TEST(CommandLines, ALineTheShellCannotReadStartsNothing)
{
    HostedConsole console(nullptr, fastOptions());
    for (const char* line : {"printf 'a b", "echo \"open", "echo $(echo 'x)", "echo ok; fi"}) {
        SCOPED_TRACE(line);
        try {
            console.runInConsole(line);
            ADD_FAILURE() << "started";
        } catch (const CantExecuteError& e) {
            const std::string message = e.what();
            EXPECT_EQ(message.rfind("Can't execute \"" + std::string(line) + "\"\n", 0), 0u) << message;
            EXPECT_NE(message.find("rror"), std::string::npos) << message;
        }
        EXPECT_FALSE(console.isProgramActive());
        EXPECT_EQ(console.programPid(), 0);
    }
    EXPECT_EQ(zombieChildren(), 0);
}
