// The pallant-vbs program: what it prints, where, and how it exits.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status = -1;
    std::string out, err;
};

std::string slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

Outcome runFile(const std::string& contents)
{
    fs::path dir = fs::temp_directory_path() / ("pallant-vbs-test-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::path script = dir / "script.vbs";
    std::ofstream(script, std::ios::binary) << contents;
    std::string cmd = std::string("'") + QP_VBS_RUNNER + "' '" + script.string() + "' > '" + (dir / "out").string()
        + "' 2> '" + (dir / "err").string() + "'";
    int raw = std::system(cmd.c_str());
    Outcome o;
    o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    o.out = slurp(dir / "out");
    o.err = slurp(dir / "err");
    fs::remove_all(dir);
    return o;
}

TEST(Runner, PrintsMsgBoxTextsOneLineEach)
{
    Outcome o = runFile("MsgBox \"one\"\r\nMsgBox 2\r\n");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, "one\n2\n");
    EXPECT_EQ(o.err, "");
}

TEST(Runner, RuntimeErrorGoesToStandardErrorWithExitOne)
{
    Outcome o = runFile("MsgBox \"before\"\r\n  x = 1 / 0\r\nMsgBox \"after\"\r\n");
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, "before\n");
    EXPECT_EQ(o.err, "Line: 2 Position: 3\r\nDivision by zero\n");
}

TEST(Runner, SyntaxErrorRunsNothingAndExitsTwo)
{
    Outcome o = runFile("MsgBox \"never\"\nx = 1 2\n");
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err, "Line: 2 Position: 7\r\nExpected end of statement\n");
}

TEST(Runner, AcceptsEveryLineEnd)
{
    for (const char* end : {"\r\n", "\n", "\r"}) {
        std::string text = std::string("MsgBox \"a\"") + end + "MsgBox \"b\"" + end + "x = 1 / 0" + end;
        Outcome o = runFile(text);
        EXPECT_EQ(o.out, "a\nb\n");
        EXPECT_EQ(o.err, "Line: 3 Position: 1\r\nDivision by zero\n");
        EXPECT_EQ(o.status, 1);
    }
}

TEST(Runner, ReadsTheAnsiCodePage)
{
    // The build's locale is UTF-8 or C; either way UTF-8 text passes through unchanged.
    Outcome o = runFile("MsgBox \"caf\xc3\xa9\" & Len(\"\xc3\xa9\")\n");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, "caf\xc3\xa9" "1\n");
}

TEST(Runner, MissingFileOrArguments)
{
    std::string cmd = std::string("'") + QP_VBS_RUNNER + "' /nonexistent/file.vbs 2>/dev/null";
    int raw = std::system(cmd.c_str());
    EXPECT_NE(WEXITSTATUS(raw), 0);
    cmd = std::string("'") + QP_VBS_RUNNER + "' 2>/dev/null";
    raw = std::system(cmd.c_str());
    EXPECT_NE(WEXITSTATUS(raw), 0);
}

// The program's own options: what each prints, where, and the exit status.
TEST(Runner, HelpVersionAndUnknownOptions)
{
    struct Row {
        const char* args;
        int status;
        const char* outStarts;  // standard output begins with this
        const char* errHas;     // standard error holds this
    };
    const Row rows[] = {
        {"--help", 0, "Usage: pallant-vbs [--memory-limit MB] SCRIPT.vbs\n", ""},
        {"-h", 0, "Usage: pallant-vbs [--memory-limit MB] SCRIPT.vbs\n", ""},
        {"--memory-limit x s.vbs", 2, "", "pallant-vbs: --memory-limit: \"x\" is not a number of MB"},
        {"--memory-limit 10", 2, "", "pallant-vbs: give one script"},
        {"--version", 0, "pallant-vbs " QP_PROJECT_VERSION "\n", ""},
        {"--verbose", 2, "", "pallant-vbs: unknown option"},
        {"one.vbs two.vbs", 2, "", "pallant-vbs: give one script"},
    };
    const fs::path dir = fs::temp_directory_path() / ("pallant-vbs-options-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args);
        const std::string cmd = std::string("'") + QP_VBS_RUNNER + "' " + row.args + " > '" + (dir / "out").string()
            + "' 2> '" + (dir / "err").string() + "'";
        const int raw = std::system(cmd.c_str());
        EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, row.status);
        EXPECT_EQ(slurp(dir / "out").rfind(row.outStarts, 0), 0u) << slurp(dir / "out");
        EXPECT_NE(slurp(dir / "err").find(row.errHas), std::string::npos) << slurp(dir / "err");
    }
    fs::remove_all(dir);
}

// Only a regular file of at most 16 MB is a script: anything else is refused at once
// (exit 2, the reason), without reading it.
TEST(Runner, RefusesWhatIsNotAScriptFile)
{
    const fs::path dir = fs::temp_directory_path() / ("pallant-vbs-files-" + std::to_string(::getpid()));
    fs::create_directories(dir / "folder.vbs");
    ASSERT_EQ(mkfifo((dir / "fifo.vbs").c_str(), 0600), 0);
    std::ofstream(dir / "big.vbs") << "MsgBox 1\n";
    fs::resize_file(dir / "big.vbs", (16u << 20) + 1);
    std::ofstream(dir / "limit.vbs") << "MsgBox 1\n";
    fs::resize_file(dir / "limit.vbs", 16u << 20);  // the rest is NULs, which the lexer takes as blanks
    struct Row {
        std::string path;
        int status;
        std::string errHas;
    };
    const Row rows[] = {
        {(dir / "folder.vbs").string(), 2, "folder.vbs: it is a folder"},
        {"/dev/zero", 2, "/dev/zero: it is not a regular file"},
        {(dir / "fifo.vbs").string(), 2, "fifo.vbs: it is not a regular file"},
        {(dir / "big.vbs").string(), 2, "big.vbs: it is larger than 16 MB"},
        {"/nonexistent/file.vbs", 2, "/nonexistent/file.vbs: No such file or directory"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        const std::string cmd = std::string("'") + QP_VBS_RUNNER + "' '" + row.path + "' > '" + (dir / "out").string()
            + "' 2> '" + (dir / "err").string() + "'";
        const int raw = std::system(cmd.c_str());
        EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, row.status);
        EXPECT_NE(slurp(dir / "err").find(row.errHas), std::string::npos) << slurp(dir / "err");
    }
    fs::remove_all(dir);
}

// A script that builds 101 arrays of 10 million elements (16 GB) stops with "Out of memory"
// at the limit given, and the process never holds much more than that.
TEST(Runner, TheMemoryLimitStopsAScriptThatBuildsHugeArrays)
{
    const fs::path dir = fs::temp_directory_path() / ("pallant-vbs-memory-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "arrays.vbs") << "Dim all(100)\nFor i = 0 To 100\n  ReDim a(10000000)\n  all(i) = a\n"
                                         "  MsgBox i\nNext\n";
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (!freopen((dir / "out").c_str(), "w", stdout) || !freopen((dir / "err").c_str(), "w", stderr))
            _exit(127);
        execl(QP_VBS_RUNNER, QP_VBS_RUNNER, "--memory-limit", "400", (dir / "arrays.vbs").c_str(), nullptr);
        _exit(127);
    }
    int raw = 0;
    rusage usage{};
    ASSERT_EQ(wait4(pid, &raw, 0, &usage), pid);
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1);
    EXPECT_EQ(slurp(dir / "out"), "0\n1\n");  // 160 MB each: the third passes 400 MB
    EXPECT_EQ(slurp(dir / "err"), "Line: 3 Position: 3\r\nOut of memory\n");
    EXPECT_LT(usage.ru_maxrss, 1024L * 1024L) << "KB at the peak";  // far below 16 GB, generous for sanitizers
    fs::remove_all(dir);
}

}  // namespace

// Script files in the encodings editors write: the same script in each reads the same.
#include "vbs/ScriptFile.h"

namespace {

std::string utf16Bytes(std::u16string_view text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t u : text) {
        const char hi = char(u >> 8), lo = char(u & 0xFF);
        bytes += bigEndian ? hi : lo;
        bytes += bigEndian ? lo : hi;
    }
    return bytes;
}

}  // namespace

TEST(ScriptFiles, EveryEncodingReadsTheSameScript)
{
    const std::u16string script = u"MsgBox \"caf\u00E9 \u65E5 \U0001F600\"\r\n";
    const std::string utf8 = "MsgBox \"caf\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80\"\r\n";
    const struct {
        const char* name;
        std::string bytes;
        qp::vbs::ScriptEncoding encoding;
    } cases[] = {
        {"UTF-8", utf8, qp::vbs::ScriptEncoding::Utf8},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + utf8, qp::vbs::ScriptEncoding::Utf8Bom},
        {"UTF-16 LE with BOM", utf16Bytes(script, false), qp::vbs::ScriptEncoding::Utf16Le},
        {"UTF-16 BE with BOM", utf16Bytes(script, true), qp::vbs::ScriptEncoding::Utf16Be},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const qp::vbs::DecodedScript decoded = qp::vbs::DecodeScriptBytes(c.bytes);
        EXPECT_EQ(decoded.text, script);
        EXPECT_EQ(decoded.encoding, c.encoding);
        EXPECT_EQ(qp::vbs::DecodeScriptBytesToUtf8(c.bytes), utf8);
        const Outcome o = runFile(c.bytes);
        EXPECT_EQ(o.status, 0) << o.err;
        EXPECT_EQ(o.out, "caf\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80\n");
    }
}

TEST(ScriptFiles, BytesThatAreNotUtf8AreWindows1252)
{
    const struct {
        const char* name;
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {"e acute and euro", "caf\xE9 \x80", u"caf\u00E9 \u20AC"},
        {"quotes and dash", "\x93x\x94 \x96", u"\u201Cx\u201D \u2013"},
        {"bytes Windows leaves undefined", "\x81\x8D\x8F\x90\x9D", u"\u0081\u008D\u008F\u0090\u009D"},
        {"one bad byte among UTF-8", "\xC3\xA9\xFF", u"\u00C3\u00A9\u00FF"},
        {"cut UTF-8 at the end", "ab\xE6\x97", u"ab\u00E6\u2014"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const qp::vbs::DecodedScript decoded = qp::vbs::DecodeScriptBytes(c.bytes);
        EXPECT_EQ(decoded.text, c.text);
        EXPECT_EQ(decoded.encoding, qp::vbs::ScriptEncoding::Windows1252);
    }
    // Marked as UTF-8, a bad byte is a replacement character; odd UTF-16 loses its last byte.
    EXPECT_EQ(qp::vbs::DecodeScriptBytes("\xEF\xBB\xBF" "a\xFF" "b").text, u"a\uFFFDb");
    EXPECT_EQ(qp::vbs::DecodeScriptBytes(std::string_view("\xFF\xFE" "a\0b", 5)).text, u"a");
    const Outcome o = runFile("MsgBox \"caf\xE9\"\r\n");
    EXPECT_EQ(o.out, "caf\xC3\xA9\n");
}
