// The player with golden screens (Console.MatchScreen beside the script, --update-golden),
// and the trace's program ends with their exit status.

#include "PlayRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sys/stat.h>

using namespace qp::test;
namespace fs = std::filesystem;

namespace {

std::string tempFolder(const std::string& name) {
    const fs::path dir = fs::path(::testing::TempDir()) / ("qp-golden-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A script that shows a coloured word and a line of text, then matches its golden screen.
std::string screenScript(const std::string& word) {
    return "Console.RunCommand \"printf '\\033[1;33m" + word + "\\033[0m\\nline two'\"\n"
           "Console.WaitString 5, 0, 1, \"line two\"\n"
           "Console.MatchScreen \"After start\"\n";
}

TEST(GoldenPlay, MissingThenWrittenThenMatchedThenADiffInTheReport) {
    const std::string dir = tempFolder("round");
    const std::string script = dir + "/greet.vbs", golden = dir + "/golden/greet/After start.screen";
    writeFile(script, screenScript("hello"));

    PlayRun r = playFast(script);
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_TRUE(has(r.output, "No golden screen " + golden + " (pallant-play --update-golden writes it)")) << r.output;
    EXPECT_FALSE(fs::exists(golden));

    r = playFast("--update-golden " + script);
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(has(r.output, "Golden screen written: " + golden + "\n")) << r.output;
    const std::string text = readWholeFile(golden);
    EXPECT_TRUE(has(text, "\nscreen 80x25\ntext\n|hello" + std::string(75, ' ') + "|\n|line two")) << text;
    EXPECT_TRUE(has(text, "\na 000E bright yellow on black\n")) << text;
    EXPECT_TRUE(has(text, "\n|aaaaa" + std::string(75, '.') + "|\n")) << text;

    r = playFast(script);
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_FALSE(has(r.output, "Golden screen")) << r.output;

    // Another word: the report shows the differing row, in the JUnit report too.
    writeFile(script, screenScript("howdy"));
    const std::string junit = dir + "/junit.xml";
    r = playFast("--junit " + junit + " " + script);
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_TRUE(has(r.output, "The screen differs from the golden screen " + golden + ": 1 row differs:\n"
                              "row 0 text:\n  golden |hello|\n  screen |howdy|\n"))
        << r.output;
    EXPECT_TRUE(has(r.output, "Check: MatchScreen(\"After start\") -> False\n")) << r.output;
    EXPECT_TRUE(has(readWholeFile(junit), "  golden |hello|")) << readWholeFile(junit);

    r = playFast("--update-golden " + script);
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(has(r.output, "Golden screen updated: " + golden + "\n")) << r.output;
    EXPECT_TRUE(has(readWholeFile(golden), "\n|howdy")) << readWholeFile(golden);
    EXPECT_EQ(playFast(script).status, 0);
}

// Golden files a script cannot leave its folder with, and files that are no golden screen:
// the script fails with the reason; the player never crashes or hangs on them. With
// --update-golden a broken file is replaced, a bad name still refused.
struct HostileCase {
    const char* name;
    const char* call;
    bool update;
    int status;
    const char* shown;
};

class GoldenHostile : public ::testing::TestWithParam<HostileCase> {};

TEST_P(GoldenHostile, FailsTheScriptNotThePlayer) {
    const HostileCase& c = GetParam();
    const std::string dir = tempFolder(std::string("hostile-") + c.name);
    fs::create_directories(dir + "/golden/s");
    writeFile(dir + "/golden/s/Binary.screen", std::string("\x7F" "ELF\x02\x01\0\0\xFF\xFE", 10));
    writeFile(dir + "/golden/s/Cut.screen", "screen 80x25\ntext\n|abc|\n");
    writeFile(dir + "/golden/s/Huge.screen", "screen 80x25\n");
    fs::resize_file(dir + "/golden/s/Huge.screen", (32u << 20) + 1);
    ASSERT_EQ(::mkfifo((dir + "/golden/s/Pipe.screen").c_str(), 0600), 0);
    writeFile(dir + "/s.vbs", std::string("Console.RunCommand \"printf x\"\n") + c.call + "\n");
    const PlayRun r = playFast(std::string(c.update ? "--update-golden " : "") + dir + "/s.vbs");
    EXPECT_EQ(r.status, c.status) << r.output;
    EXPECT_TRUE(has(r.output, c.shown)) << r.output;
    // Nothing was written outside the golden folder.
    EXPECT_FALSE(fs::exists(dir + "/escape.screen"));
    EXPECT_FALSE(fs::exists(dir + "/golden/escape.screen"));
}

INSTANTIATE_TEST_SUITE_P(
    Golden, GoldenHostile,
    ::testing::Values(
        HostileCase{"Escaping", "Console.MatchScreen \"../escape\"", true, 1,
                    "Invalid golden screen name \"../escape\": it holds a path separator"},
        HostileCase{"Empty", "Console.MatchScreen \"\"", true, 1, "Invalid golden screen name \"\": it is empty"},
        HostileCase{"DotDot", "Console.MatchScreen \"..\"", false, 1, "Invalid golden screen name \"..\": it would name"},
        HostileCase{"Control", "Console.MatchScreen \"a\" & Chr(10) & \"b\"", false, 1, "it holds a control character"},
        HostileCase{"Binary", "Console.MatchScreen \"Binary\"", false, 1, "cannot be read: it holds NUL bytes"},
        HostileCase{"Truncated", "Console.MatchScreen \"Cut\"", false, 1, "cannot be read: it ends before the text rows"},
        HostileCase{"Huge", "Console.MatchScreen \"Huge\"", false, 1, "cannot be read: it is larger than 32 MB"},
        HostileCase{"Pipe", "Console.MatchScreen \"Pipe\"", false, 1, "cannot be read: it is not a regular file"},
        HostileCase{"AsAnExpression", "If Console.MatchScreen(\"Cut\") Then MsgBox \"matched\" Else MsgBox \"no\"",
                    false, 0, "\nno\n"},
        HostileCase{"BinaryReplaced", "Console.MatchScreen \"Binary\"", true, 0, "Golden screen updated: "},
        HostileCase{"HugeReplaced", "Console.MatchScreen \"Huge\"", true, 0, "Golden screen updated: "},
        HostileCase{"PipeReplaced", "Console.MatchScreen \"Pipe\"", true, 0, "Golden screen updated: "}),
    [](const auto& info) { return std::string(info.param.name); });

// Every program's start is followed by its end with its exit status: one that exits, one
// killed by the script, and one still running when the script ends.
TEST(GoldenPlay, TheTraceHasEachProgramsEndWithItsExitStatus) {
    const std::string dir = tempFolder("ends");
    writeFile(dir + "/ends.vbs",
              "Console.RunCommand \"sh -c 'exit 3'\"\n"
              "Console.WaitExit 5, code\n"
              "Console.RunCommand \"sleep 30\"\n"
              "Console.KillProcess\n"
              "Console.RunCommand \"sleep 31\"\n"
              "Set other = Console.RunCommand(\"sh -c 'sleep 0.1; exit 4'\")\n"
              "other.WaitExit 5, code\n");
    const PlayRun r = playFast("--trace " + dir + "/t.txt " + dir + "/ends.vbs");
    EXPECT_EQ(r.status, 0) << r.output;
    const std::string t = readWholeFile(dir + "/t.txt");
    // The lines of starts and ends, times taken out.
    std::string events;
    std::istringstream in(t);
    for (std::string line; std::getline(in, line);) {
        line = std::regex_replace(line, std::regex(R"(^\[ *\d+\.\d+\] )"), "");
        if (line.find("start [") != std::string::npos || line.starts_with("end ["))
            events += line + "\n";
    }
    EXPECT_EQ(events,
              "line 1: start [\"sh\", \"-c\", \"exit 3\"]\n"
              "end [\"sh\", \"-c\", \"exit 3\"] exit status 3\n"
              "line 3: start [\"sleep\", \"30\"]\n"
              "end [\"sleep\", \"30\"] exit status 137\n"
              "line 5: start [\"sleep\", \"31\"]\n"
              "line 6: start [\"sh\", \"-c\", \"sleep 0.1; exit 4\"]\n"
              "end [\"sh\", \"-c\", \"sleep 0.1; exit 4\"] exit status 4\n"
              "end [\"sleep\", \"31\"] exit status 137 when the script ended\n")
        << t;
    // Each line carries its time.
    EXPECT_TRUE(std::regex_search(t, std::regex(R"(\n\[ *\d+\.\d{3}\] end \["sh", "-c", "exit 3"\] exit status 3\n)")))
        << t;
}

}  // namespace
