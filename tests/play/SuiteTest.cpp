// The player on suites: folders, filters, shards, jobs, retries, included helpers, refusals
// before anything plays, and the JUnit report as a real consumer reads it.

#include "PlayRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

using namespace qp::test;
namespace fs = std::filesystem;

namespace {

const std::string kSuite = sourcePath("tests/play/suite");
const std::string kScripts = sourcePath("tests/play/scripts");

// A fresh folder of the test's own.
std::string tempFolder(const std::string& name) {
    std::string dir = ::testing::TempDir();
    while (!dir.empty() && dir.back() == '/')
        dir.pop_back();
    dir += "/qp-suite-" + name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream s(text);
    for (std::string line; std::getline(s, line);)
        out.push_back(line);
    return out;
}

struct ListCase {
    const char* name;
    std::string args;
    std::vector<std::string> listed;  // relative to the suite folder
};

class Listing : public ::testing::TestWithParam<ListCase> {};

TEST_P(Listing, ListsTheScriptsThatWouldPlayInOrder) {
    const PlayRun r = playFast("--list " + GetParam().args + " " + kSuite);
    ASSERT_EQ(r.status, 0) << r.output;
    std::vector<std::string> expected;
    for (const std::string& name : GetParam().listed)
        expected.push_back(kSuite + "/" + name);
    EXPECT_EQ(lines(r.output), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Suites, Listing,
    ::testing::Values(
        ListCase{"EveryScriptBelowSorted", "", {"a/login.vbs", "b/login.vbs", "b/nested/deep.vbs", "top.vbs"}},
        ListCase{"FilterOnTheRelativePath", "--filter 'b/*'", {"b/login.vbs", "b/nested/deep.vbs"}},
        ListCase{"FilterOnTheFileName", "--filter login.vbs", {"a/login.vbs", "b/login.vbs"}},
        ListCase{"FiltersAddUp", "--filter top.vbs --filter 'a/*'", {"a/login.vbs", "top.vbs"}},
        ListCase{"FirstShard", "--shard 1/2", {"a/login.vbs", "b/nested/deep.vbs"}},
        ListCase{"SecondShard", "--shard 2/2", {"b/login.vbs", "top.vbs"}},
        ListCase{"ShardOfTheFiltered", "--filter '*login*' --shard 2/2", {"b/login.vbs"}},
        ListCase{"AnEmptyShardIsNoError", "--filter top.vbs --shard 2/2", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Suite, AScriptGivenTwiceOrInsideAFolderGivenPlaysOnce) {
    const PlayRun r = playFast("--list " + kSuite + "/top.vbs " + kSuite + " " + kSuite + "/top.vbs");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(lines(r.output).size(), 4u) << r.output;
    EXPECT_EQ(lines(r.output).front(), kSuite + "/top.vbs") << r.output;
}

TEST(Suite, AFolderPlaysEveryScriptWithStartAndEndLines) {
    const PlayRun r = playFast(kSuite);
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_TRUE(has(r.output, "START " + kSuite + "/a/login.vbs\na login\nPASS " + kSuite + "/a/login.vbs (")) << r.output;
    EXPECT_TRUE(has(r.output, "FAIL " + kSuite + "/b/login.vbs (")) << r.output;
    EXPECT_TRUE(has(r.output, "Not found string 'Welcome'")) << r.output;
    EXPECT_TRUE(has(r.output, "\n3 passed, 1 failed\n")) << r.output;
}

TEST(Suite, ParallelJobsPrintEachScriptWhole) {
    const PlayRun r = playFast("-j 2 " + kSuite);
    EXPECT_EQ(r.status, 1) << r.output;
    // Each script's MsgBox output comes right before its own end line.
    EXPECT_TRUE(has(r.output, "a login\nPASS " + kSuite + "/a/login.vbs (")) << r.output;
    EXPECT_TRUE(has(r.output, "b login\nFAIL " + kSuite + "/b/login.vbs (")) << r.output;
    EXPECT_TRUE(has(r.output, "deep\nPASS " + kSuite + "/b/nested/deep.vbs (")) << r.output;
    EXPECT_TRUE(has(r.output, "top\nPASS " + kSuite + "/top.vbs (")) << r.output;
    EXPECT_TRUE(has(r.output, "\n3 passed, 1 failed\n")) << r.output;
}

struct RefusalCase {
    const char* name;
    std::string args;   // before the suite folder
    const char* error;  // part of the message
};

class Refusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refusals, ExitTwoBeforeAnythingPlays) {
    const std::string dir = tempFolder(GetParam().name);
    auto withDir = [&](std::string text) {
        for (size_t at; (at = text.find("@TMP@")) != std::string::npos;)
            text.replace(at, 5, dir);
        return text;
    };
    const PlayRun r = playFast(withDir(GetParam().args) + " " + kSuite + "/top.vbs");
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_TRUE(has(r.output, withDir(GetParam().error))) << r.output;
    EXPECT_FALSE(has(r.output, "START")) << r.output;
    EXPECT_FALSE(has(r.output, "top\n")) << r.output;
}

INSTANTIATE_TEST_SUITE_P(
    BadPaths, Refusals,
    ::testing::Values(
        RefusalCase{"JUnitInAMissingFolder", "--junit @TMP@/missing/report.xml", "cannot write the JUnit report"},
        RefusalCase{"JUnitOntoAFolder", "--junit @TMP@", "cannot write the JUnit report"},
        RefusalCase{"TraceInAMissingFolder", "--trace @TMP@/missing/trace.txt", "cannot write the trace file"},
        RefusalCase{"MissingScript", "@TMP@/missing.vbs", "cannot read the script @TMP@/missing.vbs"},
        RefusalCase{"FolderWithoutScripts", "@TMP@", "no *.vbs script in the folder"},
        RefusalCase{"FilterMatchingNothing", "--filter 'nothing*'", "no script matches the filters"},
        RefusalCase{"MissingInclude", "--include @TMP@/helpers.vbs", "cannot read the included script"},
        RefusalCase{"ArtifactsUnderAFile", "--artifacts /dev/null/artifacts", "cannot write the artifacts"},
        RefusalCase{"RecordingsUnderAFile", "--cast /dev/null/casts", "cannot write the recordings"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Suite, TheTimeLimitEndsAnEndlessLoop) {
    const PlayRun r = playFast("--time-limit 1 " + kScripts + "/endless_loop.vbs");
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_TRUE(has(r.output, "looping\n")) << r.output;
    EXPECT_TRUE(has(r.output, "Time limit of 1 s exceeded")) << r.output;
}

TEST(Suite, IncludedHelpersRunBeforeTheScriptInTheSameEngine) {
    const std::string helpers = sourcePath("tests/play/include/helpers.vbs");
    const PlayRun r = playFast("--include " + helpers + " " + kScripts + "/uses_helpers.vbs");
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_TRUE(has(r.output, "abab from the helpers\n")) << r.output;
    // The failure inside the helper names the helper's file and line.
    EXPECT_TRUE(has(r.output, helpers + ", Line: 12 Position: ")) << r.output;
    EXPECT_TRUE(has(r.output, "Not found string 'missing'")) << r.output;
    EXPECT_FALSE(has(r.output, "not reached")) << r.output;
}

TEST(Suite, RetriesCountAFlakyPassAndReportItTheSurefireWay) {
    const std::string dir = tempFolder("flaky");
    const std::string junit = dir + "/report.xml";
    const std::string env = "QP_FLAKY_MARK=" + dir + "/mark ";
    const PlayRun r = runCommand(env + QP_PLAY_BIN + " --fast --retries 2 --junit " + junit + " " + kScripts +
                                 "/flaky.vbs " + kSuite + "/top.vbs");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(has(r.output, "try 1 of 3, playing it again)")) << r.output;
    EXPECT_TRUE(has(r.output, "flaky: passed on try 2 of 3)")) << r.output;
    EXPECT_TRUE(has(r.output, "\n2 passed (1 flaky), 0 failed\n")) << r.output;
    const std::string xml = readWholeFile(junit);
    EXPECT_TRUE(has(xml, "tests=\"2\" failures=\"0\" errors=\"0\"")) << xml;
    EXPECT_TRUE(has(xml, "<flakyFailure message=\"Line: 6 Position: ")) << xml;
    EXPECT_TRUE(has(xml, "Not found string &apos;second!&apos;\" type=\"failure\">")) << xml;
    EXPECT_FALSE(has(xml, "<failure")) << xml;
}

TEST(Suite, AScriptThatFailsEveryTryHasItsRerunsInTheReport) {
    const std::string dir = tempFolder("reruns");
    const std::string junit = dir + "/report.xml";
    const PlayRun r = playFast("--retries 2 --junit " + junit + " " + kSuite + "/b/login.vbs");
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_TRUE(has(r.output, "try 2 of 3, playing it again)")) << r.output;
    EXPECT_TRUE(has(r.output, "\n0 passed, 1 failed\n")) << r.output;
    const std::string xml = readWholeFile(junit);
    EXPECT_TRUE(has(xml, "tests=\"1\" failures=\"1\"")) << xml;
    size_t reruns = 0;
    for (size_t at = 0; (at = xml.find("<rerunFailure", at)) != std::string::npos; ++at)
        ++reruns;
    EXPECT_EQ(reruns, 2u) << xml;
}

// The JUnit report read by Debian's junitparser: counts, names, class names, times.
TEST(Suite, TheJUnitReportReadsRightInARealConsumer) {
    const std::string dir = tempFolder("junit");
    const std::string junit = dir + "/report.xml";
    const PlayRun r = playFast("--junit " + junit + " " + kSuite + " " + kScripts + "/cannot_start.vbs");
    EXPECT_EQ(r.status, 1) << r.output;
    const std::string reader = dir + "/read.py";
    {
        std::ofstream f(reader);
        f << "import sys\n"
             "from junitparser import JUnitXml, Failure\n"
             "xml = JUnitXml.fromfile(sys.argv[1])\n"
             "for suite in xml:\n"
             "    print('suite', suite.tests, suite.failures, suite.errors, bool(suite.timestamp),\n"
             "          bool(suite.hostname), suite.time > 0)\n"
             "    for case in suite:\n"
             "        kinds = [type(x).__name__ for x in case.result]\n"
             "        msg = case.result[0].message.replace('\\n', ' | ') if case.result else ''\n"
             "        print('case', case.classname, case.name, case.time >= 0, kinds, msg)\n";
    }
    const PlayRun parsed = runCommand("/usr/bin/python3 " + reader + " " + junit);
    ASSERT_EQ(parsed.status, 0) << parsed.output;
    const std::vector<std::string> got = lines(parsed.output);
    const std::vector<std::string> expected = {
        "suite 5 2 0 True True True",
        "case suite/a a/login.vbs True [] ",
        "case suite/b b/login.vbs True ['Failure'] Line: 5 Position: 50 | Not found string 'Welcome'",
        "case suite/b/nested b/nested/deep.vbs True [] ",
        "case suite top.vbs True [] ",
        "case " + kScripts + " cannot_start.vbs True ['Failure'] Line: 2 Position: 1 | Can't execute "
        "\"/nonexistent/program --flag\"",
    };
    EXPECT_EQ(got, expected) << parsed.output;
    const std::string xml = readWholeFile(junit);
    EXPECT_TRUE(has(xml, "<system-out>a login\n</system-out>")) << xml;
}

}  // namespace

namespace {

// On a terminal (the player run inside the player's own console) the start and end lines of
// passing scripts give way to one status line, which is gone when the run ends.
TEST(Suite, OnATerminalOneStatusLineStandsForTheStartAndEndLines) {
    const std::string dir = tempFolder("terminal");
    const std::string script = dir + "/outer.vbs";
    {
        std::ofstream f(script, std::ios::binary);
        // When the run is over, DONE goes to the bottom row, where the script waits for it.
        f << "Console.RunCommand \"sh -c 'cd " << kSuite << " && " << QP_PLAY_BIN
          << " --fast top.vbs b/login.vbs; printf \"\"\\033[25;1HDONE\"\"'\"\n"
             "If Not Console.WaitString(60, 0, 24, \"DONE\") Then Err.Raise 1, \"\", \"not done\"\n"
             "Dim screen\n"
             "Console.ReadText 0, 0, 79, 24, screen\n"
             "If InStr(screen, \"START\") > 0 Then Err.Raise 1, \"\", \"start line shown\"\n"
             "If InStr(screen, \"/1 passed, 1 failed/\") = 0 Then Err.Raise 1, \"\", \"no count\"\n"
             "If Not Console.CheckString(0, 0, \"top\") Then Err.Raise 1, \"\", \"no output first\"\n"
             "If Not Console.CheckString(0, 1, \"PASS top.vbs (\") Then Err.Raise 1, \"\", \"no pass line\"\n"
             "If Not Console.CheckString(0, 3, \"FAIL b/login.vbs (\") Then Err.Raise 1, \"\", \"no fail line\"\n";
    }
    const PlayRun r = playFast(script);
    EXPECT_EQ(r.status, 0) << r.output;
}

}  // namespace

namespace {

struct ReportCase {
    const char* name;
    std::string args;
    std::vector<std::string> shown;  // in this order in the failure report
};

class FailureReports : public ::testing::TestWithParam<ReportCase> {};

TEST_P(FailureReports, ExplainTheFailureWithoutARerun) {
    const PlayRun r = playFast(GetParam().args);
    EXPECT_EQ(r.status, 1) << r.output;
    size_t at = 0;
    for (const std::string& part : GetParam().shown) {
        const size_t found = r.output.find(part, at);
        EXPECT_NE(found, std::string::npos) << "missing after " << at << ": " << part << "\n" << r.output;
        if (found != std::string::npos)
            at = found + part.size();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, FailureReports,
    ::testing::Values(
        ReportCase{"TheScreenTheCheckSaw",
                   "--time-limit 20 " + kScripts + "/screen_changes_after_check.vbs",
                   {"Line: 10 Position: ", "Not found string 'expected'\n",
                    "Check: CheckString(0, 0, \"expected\") -> False\n", "Found there: 'first'\n",
                    // the end screen would have a second row
                    "Screen as the check saw it (80x25), rows numbered from 0:\n0|first\n0 passed, 1 failed"}},
        ReportCase{"TheChainOfCallsThroughAnIncludedHelper",
                   "--include " + sourcePath("tests/play/include/helpers.vbs") + " " + kScripts + "/uses_helpers.vbs",
                   {"Calls, innermost first:\n",
                    "  ExpectAt: " + sourcePath("tests/play/include/helpers.vbs") + ", Line: 12 Position: 5\n",
                    "  global code: Line: 7 Position: 1\n", "Check: CheckString(0, 0, \"missing\") -> False\n",
                    "Found there: 'ready'\n"}},
        ReportCase{"TheEndScreenWhenNoCheckFailed",
                   "--time-limit 1 " + kScripts + "/endless_loop.vbs",
                   {"Time limit of 1 s exceeded\n", "Screen (80x25), rows numbered from 0:\n"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// A failed script's artifacts, each read by what would read it: the page by an HTML
// parser, the recording by asciinema in a terminal (the player's own console).
TEST(Artifacts, AFailedScriptLeavesItsReportScreenPageTraceAndRecording) {
    const std::string dir = tempFolder("artifacts");
    const std::string artifacts = dir + "/artifacts", casts = dir + "/casts";
    const PlayRun r = playFast("--artifacts " + artifacts + " --cast " + casts +
                               " --filter b/login.vbs --filter top.vbs " + kSuite);
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_TRUE(has(r.output, "Artifacts: " + artifacts + "/b/login/\n")) << r.output;
    const std::string failed = artifacts + "/b/login/";
    for (const char* name : {"report.txt", "screen.txt", "screen.html", "trace.txt", "run.cast"})
        EXPECT_TRUE(fs::is_regular_file(failed + name)) << name;
    EXPECT_FALSE(fs::exists(artifacts + "/top")) << "artifacts only for failed scripts";
    EXPECT_TRUE(fs::is_regular_file(casts + "/b/login.cast"));
    EXPECT_TRUE(fs::is_regular_file(casts + "/top.cast"));

    EXPECT_EQ(lines(readWholeFile(failed + "screen.txt")).front(), "Password:");
    EXPECT_TRUE(has(readWholeFile(failed + "report.txt"), "Check: CheckString(0, 0, \"Welcome\") -> False\n"));
    EXPECT_TRUE(has(readWholeFile(failed + "trace.txt"), "check CheckString(0, 0, \"Welcome\") -> False"));

    const std::string reader = dir + "/page.py";
    {
        std::ofstream f(reader);
        f << "import sys\n"
             "from html.parser import HTMLParser\n"
             "class Page(HTMLParser):\n"
             "    def __init__(self):\n"
             "        super().__init__(); self.stack = []; self.text = {'cursor': '', 'failed': '', 'title': ''}\n"
             "    def handle_starttag(self, tag, attrs):\n"
             "        self.stack.append((tag, (dict(attrs).get('class') or '').split()))\n"
             "    def handle_endtag(self, tag):\n"
             "        self.stack.pop()\n"
             "    def handle_data(self, data):\n"
             "        if not self.stack: return\n"
             "        tag, classes = self.stack[-1]\n"
             "        if tag == 'title': self.text['title'] += data\n"
             "        for c in classes:\n"
             "            if c in self.text: self.text[c] += data\n"
             "p = Page(); p.feed(open(sys.argv[1], encoding='utf-8').read()); p.close()\n"
             "print(p.text['title']); print(repr(p.text['cursor'])); print(repr(p.text['failed']))\n";
    }
    const PlayRun page = runCommand("/usr/bin/python3 " + reader + " " + failed + "screen.html");
    ASSERT_EQ(page.status, 0) << page.output;
    // The cursor stands after "Password: "; the check looked at seven cells from (0, 0).
    EXPECT_EQ(lines(page.output), (std::vector<std::string>{"b/login.vbs", "' '", "'Passwor'"})) << page.output;

    const std::string home = dir + "/home";
    fs::create_directories(home);
    const std::string replay = dir + "/replay.vbs";
    {
        std::ofstream f(replay, std::ios::binary);
        f << "Console.RunCommand \"env HOME=" << home << " XDG_CONFIG_HOME=" << home << " asciinema cat "
          << failed << "run.cast\"\n"
          << "If Not Console.WaitString(20, 0, 0, \"Password:\") Then Err.Raise 1, \"\", \"not replayed\"\n";
    }
    const PlayRun replayed = playFast(replay);
    EXPECT_EQ(replayed.status, 0) << replayed.output;
}

}  // namespace

namespace {

// The trace names the script line (and the helper's file) of every key, check and start.
TEST(Trace, NamesTheLineOfEachKeyCheckAndProgramStart) {
    const std::string dir = tempFolder("trace");
    const std::string helpers = sourcePath("tests/play/include/helpers.vbs");
    PlayRun r = playFast("--trace " + dir + "/t.txt --include " + helpers + " " + kScripts + "/uses_helpers.vbs");
    EXPECT_EQ(r.status, 1) << r.output;
    std::string t = readWholeFile(dir + "/t.txt");
    EXPECT_TRUE(has(t, "] line 3: start [\"printf\", \"ready\"]\n")) << t;
    EXPECT_TRUE(has(t, "] line 4: check WaitString(5, 0, 0, \"ready\") -> True\n")) << t;
    EXPECT_TRUE(has(t, "] " + helpers + " line 11: check CheckString(0, 0, \"missing\") -> False\n")) << t;

    r = playFast("--trace " + dir + "/t2.txt " + kScripts + "/bash_echo.vbs -- env 'PS1=$ ' bash --norc --noprofile");
    EXPECT_EQ(r.status, 0) << r.output;
    t = readWholeFile(dir + "/t2.txt");
    EXPECT_TRUE(has(t, "] start [\"env\", \"PS1=$ \", \"bash\", \"--norc\", \"--noprofile\"]\n")) << t;
    EXPECT_TRUE(has(t, "] line 3: key PutKeys e\n")) << t;
    EXPECT_TRUE(has(t, "] line 4: key PutControl <Enter>\n")) << t;
}

}  // namespace
