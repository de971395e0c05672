#include "play/PlayOptions.h"
#include "play/Report.h"
#include "play/ScreenRender.h"
#include "play/ScriptPlayer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <tuple>
#include <unistd.h>

using namespace qp;
using namespace std::chrono_literals;

namespace {

struct OptionsCase {
    const char* name;
    std::vector<std::string> args;
    bool ok;
    std::function<void(const PlayOptions&)> check;
};

class PlayOptionsTable : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(PlayOptionsTable, ParsesOrRefuses) {
    const ParsedOptions p = ParsePlayOptions(GetParam().args);
    ASSERT_EQ(p.options.has_value(), GetParam().ok) << p.error;
    if (p.options && GetParam().check)
        GetParam().check(*p.options);
    if (!p.options) {
        EXPECT_FALSE(p.error.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, PlayOptionsTable,
    ::testing::Values(
        OptionsCase{"Defaults", {"a.vbs"}, true,
                    [](const PlayOptions& o) {
                        EXPECT_EQ(o.columns, 80);
                        EXPECT_EQ(o.rows, 25);
                        EXPECT_EQ(o.keyGap, 50ms);
                        EXPECT_EQ(o.settle, 200ms);
                        EXPECT_EQ(o.pollPeriod, 200ms);
                        EXPECT_EQ(o.timeLimit, 120s);
                        EXPECT_EQ(o.jobs, 1);
                        EXPECT_EQ(o.shardIndex, 1);
                        EXPECT_EQ(o.shardCount, 1);
                        EXPECT_EQ(o.retries, 0);
                        EXPECT_FALSE(o.list);
                        EXPECT_FALSE(o.wakeOnOutput);
                        EXPECT_EQ(o.scripts, std::vector<std::string>{"a.vbs"});
                        EXPECT_TRUE(o.command.empty());
                    }},
        OptionsCase{"Everything",
                    {"--size", "132x43", "--time-limit=30", "--junit", "r.xml", "--trace", "t.txt", "--key-gap",
                     "0", "--settle=5", "--poll", "10", "a.vbs", "b.vbs", "--", "bash", "--norc"},
                    true,
                    [](const PlayOptions& o) {
                        EXPECT_EQ(o.columns, 132);
                        EXPECT_EQ(o.rows, 43);
                        EXPECT_EQ(o.timeLimit, 30s);
                        EXPECT_EQ(o.junitFile, "r.xml");
                        EXPECT_EQ(o.traceFile, "t.txt");
                        EXPECT_EQ(o.keyGap, 0ms);
                        EXPECT_EQ(o.settle, 5ms);
                        EXPECT_EQ(o.pollPeriod, 10ms);
                        EXPECT_EQ(o.scripts.size(), 2u);
                        EXPECT_EQ(o.command, (std::vector<std::string>{"bash", "--norc"}));
                    }},
        OptionsCase{"SuiteOptions",
                    {"--filter", "a/*", "--filter=*.vbs", "--list", "-j", "3", "--shard", "2/5", "--retries=2",
                     "--include", "h.vbs", "--time-limit", "0", "dir"},
                    true,
                    [](const PlayOptions& o) {
                        EXPECT_EQ(o.filters, (std::vector<std::string>{"a/*", "*.vbs"}));
                        EXPECT_TRUE(o.list);
                        EXPECT_EQ(o.jobs, 3);
                        EXPECT_EQ(o.shardIndex, 2);
                        EXPECT_EQ(o.shardCount, 5);
                        EXPECT_EQ(o.retries, 2);
                        EXPECT_EQ(o.includes, std::vector<std::string>{"h.vbs"});
                        EXPECT_EQ(o.timeLimit, 0ms);
                    }},
        OptionsCase{"JobsAuto", {"--jobs", "auto", "a.vbs"}, true,
                    [](const PlayOptions& o) { EXPECT_GE(o.jobs, 1); }},
        OptionsCase{"ZeroJobs", {"-j", "0", "a.vbs"}, false, nullptr},
        OptionsCase{"ShardZero", {"--shard", "0/2", "a.vbs"}, false, nullptr},
        OptionsCase{"ShardPastTheCount", {"--shard", "3/2", "a.vbs"}, false, nullptr},
        OptionsCase{"ShardWithoutSlash", {"--shard", "2", "a.vbs"}, false, nullptr},
        OptionsCase{"NegativeRetries", {"--retries", "-1", "a.vbs"}, false, nullptr},
        OptionsCase{"EmptyFilter", {"--filter", "", "a.vbs"}, false, nullptr},
        OptionsCase{"Fast", {"--fast", "a.vbs"}, true,
                    [](const PlayOptions& o) {
                        EXPECT_EQ(o.keyGap, 0ms);
                        EXPECT_EQ(o.settle, 0ms);
                        EXPECT_EQ(o.pollPeriod, 10ms);
                        EXPECT_TRUE(o.wakeOnOutput);
                    }},
        OptionsCase{"OptionsAfterDashDashBelongToTheCommand", {"a.vbs", "--", "prog", "--size", "1"}, true,
                    [](const PlayOptions& o) { EXPECT_EQ(o.command.size(), 3u); }},
        OptionsCase{"Help", {"--help"}, true, [](const PlayOptions& o) { EXPECT_TRUE(o.help); }},
        OptionsCase{"NoScript", {}, false, nullptr},
        OptionsCase{"OnlyACommand", {"--", "bash"}, false, nullptr},
        OptionsCase{"EmptyCommand", {"a.vbs", "--"}, false, nullptr},
        OptionsCase{"UnknownOption", {"--colour", "a.vbs"}, false, nullptr},
        OptionsCase{"MissingValue", {"a.vbs", "--junit"}, false, nullptr},
        OptionsCase{"SizeWithoutX", {"--size", "80", "a.vbs"}, false, nullptr},
        OptionsCase{"SizeTooSmall", {"--size", "1x25", "a.vbs"}, false, nullptr},
        OptionsCase{"SizeHuge", {"--size", "99999x25", "a.vbs"}, false, nullptr},
        OptionsCase{"SizeTrailingJunk", {"--size", "80x25x", "a.vbs"}, false, nullptr},
        OptionsCase{"NegativeGap", {"--key-gap", "-1", "a.vbs"}, false, nullptr},
        OptionsCase{"ZeroPoll", {"--poll", "0", "a.vbs"}, false, nullptr},
        OptionsCase{"HugeTimeLimit", {"--time-limit", "99999999999999999999", "a.vbs"}, false, nullptr},
        OptionsCase{"FractionalTimeLimit", {"--time-limit", "1.5", "a.vbs"}, false, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

struct EscapeCase {
    const char* name;
    std::string in, out;
};

class XmlEscapeTable : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(XmlEscapeTable, LeavesOnlyWhatXmlCarries) {
    EXPECT_EQ(XmlEscape(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, XmlEscapeTable,
    ::testing::Values(EscapeCase{"Plain", "Line: 3 Position: 1", "Line: 3 Position: 1"},
                      EscapeCase{"Markup", "<a href=\"x\">&'</a>", "&lt;a href=&quot;x&quot;&gt;&amp;&apos;&lt;/a&gt;"},
                      EscapeCase{"LineEndsAndTabsStay", "a\r\n\tb", "a\r\n\tb"},
                      EscapeCase{"ControlsReplaced", std::string("a\0b\x1b[0m", 7), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD[0m"},
                      EscapeCase{"BoxCharactersStay", "┌─┐", "┌─┐"},
                      EscapeCase{"InvalidUtf8Replaced", "\xC3(\xFF", "\xEF\xBF\xBD(\xEF\xBF\xBD"},
                      EscapeCase{"TruncatedSequence", "ab\xE2\x94", "ab\xEF\xBF\xBD\xEF\xBF\xBD"},
                      EscapeCase{"EncodedSurrogate", "\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
                      EscapeCase{"NonCharacterFFFF", "\xEF\xBF\xBF", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(XmlEscape, AttributesKeepTheirLineEndsAsReferences) {
    EXPECT_EQ(XmlEscape("a\r\n\tb", true), "a&#13;&#10;&#9;b");
}

TEST(JUnitXml, CountsFailuresAndErrorsAndEscapesTheirText) {
    std::vector<CaseResult> cases(3);
    cases[0].file = "dir/pass.vbs";
    cases[0].output = "shown <1>\n";
    cases[1].file = "fail.vbs";
    cases[1].status = CaseResult::Failed;
    cases[1].message = "Line: 2 Position: 3\nNot found string 'a&b'";
    cases[1].details = cases[1].message + "\n0|screen";
    cases[2].file = "syntax.vbs";
    cases[2].status = CaseResult::NotParsed;
    const std::string xml = JUnitXml(cases, 1.5);
    EXPECT_NE(xml.find("<testsuites tests=\"3\" failures=\"1\" errors=\"1\" time=\"1.500\">"), std::string::npos);
    EXPECT_NE(xml.find("<testcase name=\"pass.vbs\" classname=\"dir\" file=\"dir/pass.vbs\""),
              std::string::npos);
    EXPECT_NE(xml.find("<testcase name=\"fail.vbs\" classname=\".\" file=\"fail.vbs\""), std::string::npos);
    EXPECT_NE(xml.find("<system-out>shown &lt;1&gt;\n</system-out>"), std::string::npos);
    EXPECT_NE(xml.find("<failure message=\"Line: 2 Position: 3&#10;Not found string &apos;a&amp;b&apos;\">"),
              std::string::npos);
    EXPECT_NE(xml.find("<error message=\"\">"), std::string::npos);
}

TEST(ScreenReport, NumbersRowsDownToTheLastTextOrCursor) {
    ScreenSnapshot s;
    s.width = 4;
    s.height = 12;
    s.wideCells.assign(4 * 12 + 1, ScreenCell{u' ', 7});
    s.wideCells[0].ch = u'a';
    s.wideCells[4 * 2 + 1].ch = u'b';
    s.wideCells[4 * 3].ch = 0;  // a never-written cell inside a row shows as a blank
    s.wideCells[4 * 3 + 1].ch = u'c';
    s.cursorY = 10;
    EXPECT_EQ(ScreenReport(s), " 0|a\n 1|\n 2| b\n 3| c\n 4|\n 5|\n 6|\n 7|\n 8|\n 9|\n10|\n");
    s.cursorY = 0;
    EXPECT_EQ(ScreenReport(s, "> "), "> 0|a\n> 1|\n> 2| b\n> 3| c\n");
}

TEST(DefaultMsgBoxResult, IsTheBoxsDefaultButton) {
    EXPECT_EQ(DefaultMsgBoxResult(0), 1);           // OK
    EXPECT_EQ(DefaultMsgBoxResult(4), 6);           // Yes No: Yes
    EXPECT_EQ(DefaultMsgBoxResult(4 + 256), 7);     // second button default: No
    EXPECT_EQ(DefaultMsgBoxResult(2 + 512), 5);     // Abort Retry Ignore, third: Ignore
    EXPECT_EQ(DefaultMsgBoxResult(1 + 512), 1);     // no third button: the first
    EXPECT_EQ(DefaultMsgBoxResult(15), 1);          // unknown kinds act as OK
    EXPECT_EQ(DefaultMsgBoxResult(-1), 1);
    EXPECT_EQ(DefaultMsgBoxResult(64 + 3), 6);      // icons do not matter
}

TEST(ReadScriptLines, SplitsEveryLineEndAndSkipsTheByteOrderMark) {
    const std::string path = ::testing::TempDir() + "/lines.vbs";
    {
        std::ofstream f(path, std::ios::binary);
        f << "\xEF\xBB\xBF" "a\r\nb\nc\rd\r\n\r\ne";
    }
    const auto lines = ReadScriptLines(path);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, (std::vector<std::u16string>{u"a", u"b", u"c", u"d", u"", u"e"}));
    std::remove(path.c_str());
    EXPECT_FALSE(ReadScriptLines(path));
}

}  // namespace

namespace {

struct CombineCase {
    const char* name;
    std::vector<qp::IncludedScript> includes;
    std::vector<std::u16string> script;
    std::vector<std::u16string> combined;
    // Lines of the combined text and the file and line they map back to.
    std::vector<std::tuple<int, std::string, int>> located;
};

class CombineScriptTable : public ::testing::TestWithParam<CombineCase> {};

TEST_P(CombineScriptTable, PutsIncludesFirstAndMapsLinesBack) {
    const CombinedScript c = CombineScript(GetParam().includes, GetParam().script);
    EXPECT_EQ(c.lines, GetParam().combined);
    for (const auto& [line, file, at] : GetParam().located)
        EXPECT_EQ(c.locate(line), std::make_pair(file, at)) << line;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CombineScriptTable,
    ::testing::Values(
        CombineCase{"NoIncludes", {}, {u"Option Explicit", u"a"}, {u"Option Explicit", u"a"}, {{1, "", 1}}},
        CombineCase{"IncludesFirst",
                    {{"h1.vbs", {u"Sub A", u"End Sub"}}, {"h2.vbs", {u"x = 1"}}},
                    {u"A", u"MsgBox x"},
                    {u"Sub A", u"End Sub", u"x = 1", u"A", u"MsgBox x"},
                    {{0, "h1.vbs", 0}, {1, "h1.vbs", 1}, {2, "h2.vbs", 0}, {3, "", 0}, {4, "", 1}, {5, "", 2}}},
        CombineCase{"OptionExplicitMovesToTheTop",
                    {{"h.vbs", {u"' helpers", u"  option   EXPLICIT ' strict", u"Dim y"}}},
                    {u"Option Explicit", u"Dim z"},
                    {u"Option Explicit", u"' helpers", u"", u"Dim y", u"", u"Dim z"},
                    {{2, "h.vbs", 1}, {3, "h.vbs", 2}, {4, "", 0}, {5, "", 1}}},
        CombineCase{"OptionExplicitAfterAStatementStays",
                    {{"h.vbs", {u"Dim y"}}},
                    {u"Dim z", u"Option Explicit"},
                    {u"Dim y", u"Dim z", u"Option Explicit"},
                    {{2, "", 1}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

struct AreaCase {
    const char* name;
    std::string call;
    std::optional<qp::CellRect> area;
};

class CheckAreaTable : public ::testing::TestWithParam<AreaCase> {};

TEST_P(CheckAreaTable, ReadsTheCellsACheckLookedAt) {
    EXPECT_EQ(CheckArea(GetParam().call), GetParam().area);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, CheckAreaTable,
    ::testing::Values(
        AreaCase{"CheckString", "CheckString(3, 4, \"abc\")", qp::CellRect{3, 4, 5, 4}},
        AreaCase{"QuotesCountOnce", "CheckString(0, 0, \"a\"\"b\")", qp::CellRect{0, 0, 2, 0}},
        AreaCase{"Utf8CountsCharacters", "CheckString(0, 1, \"\xE2\x94\x8C\xE2\x94\x80\")", qp::CellRect{0, 1, 1, 1}},
        AreaCase{"WaitString", "WaitString(5, 1, 2, \"xy\")", qp::CellRect{1, 2, 2, 2}},
        AreaCase{"CheckRect", "CheckRect(1, 2, 3, 4, \"a/b\")", qp::CellRect{1, 2, 3, 4}},
        AreaCase{"CheckWindowIsOneBased", "CheckWindow(1, 1, 80, 25) found (0, 0, 0, 0)", qp::CellRect{0, 0, 79, 24}},
        AreaCase{"EmptyTextIsOneCell", "CheckString(2, 2, \"\")", qp::CellRect{2, 2, 2, 2}},
        AreaCase{"Unknown", "ReadText(0, 0, 1, 1)", std::nullopt},
        AreaCase{"NoParenthesis", "CheckString", std::nullopt},
        AreaCase{"Garbage", "CheckString(x, 1, \"a\")", std::nullopt},
        AreaCase{"HugeNumbersClamp", "CheckString(99999999999, 0, \"ab\")",
                 qp::CellRect{INT32_MAX, 0, INT32_MAX, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JsonEscape, KeepsTextAndEscapesWhatJsonCannotCarry) {
    EXPECT_EQ(JsonEscape("a\"b\\c\n\r\t\x1b[0m"), "a\\\"b\\\\c\\n\\r\\t\\u001b[0m");
    EXPECT_EQ(JsonEscape("\xE2\x94\x8C ok"), "\xE2\x94\x8C ok");
    EXPECT_EQ(JsonEscape("\xC3(\xFF"), "\xEF\xBF\xBD(\xEF\xBF\xBD");
}

TEST(ScreenAnsi, RedrawsRowsWithColoursAndPutsTheCursorBack) {
    ScreenSnapshot s;
    s.width = 3;
    s.height = 2;
    s.wideCells.assign(3 * 2 + 1, ScreenCell{u' ', 0x07});
    s.wideCells[0] = ScreenCell{u'a', 0x1C};  // bright red on blue, in the console's bit order
    s.wideCells[4].ch = 0;                     // never written: a blank
    s.cursorX = 2;
    s.cursorY = 1;
    EXPECT_EQ(ScreenAnsi(s), "\x1b[0m\x1b[H\x1b[2J\x1b[0;91;44ma\x1b[0;37;40m  \r\n   \x1b[0m\x1b[2;3H\x1b[?25h");
}

}  // namespace

// Reports go through a temporary file beside the target: written through a link to the
// file it names, with the file's permissions kept and nothing left over.
TEST(ReportFile, ReplacesTheFileALinkNamesAndKeepsItsPermissions) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(::testing::TempDir()) / ("report-file-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "real");
    std::ofstream(dir / "real" / "r.xml") << "old";
    fs::permissions(dir / "real" / "r.xml", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(dir / "real" / "r.xml", dir / "link.xml");

    ReportFile report((dir / "link.xml").string());
    ASSERT_TRUE(report.open()) << report.error();
    report.stream() << "new";
    EXPECT_EQ(std::ifstream(dir / "real" / "r.xml").rdbuf()->sgetc(), 'o');  // not yet
    ASSERT_TRUE(report.commit()) << report.error();
    EXPECT_TRUE(fs::is_symlink(dir / "link.xml"));
    std::string text;
    std::getline(std::ifstream(dir / "real" / "r.xml"), text);
    EXPECT_EQ(text, "new");
    EXPECT_EQ(fs::status(dir / "real" / "r.xml").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "real"), fs::directory_iterator()), 1);

    {
        ReportFile unfinished((dir / "real" / "other.xml").string());
        ASSERT_TRUE(unfinished.open());
        unfinished.stream() << "never committed";
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "real"), fs::directory_iterator()), 1);

    ReportFile folder(dir.string());
    EXPECT_FALSE(folder.open());
    EXPECT_NE(folder.error().find("is a folder"), std::string::npos);
    ReportFile full("/dev/full");
    ASSERT_TRUE(full.open()) << full.error();
    full.stream() << "x";
    EXPECT_FALSE(full.commit());
    EXPECT_NE(full.error().find("No space left on device"), std::string::npos) << full.error();
    fs::remove_all(dir);
}

namespace {

TEST(ScreenAnsi, AWideCharacterIsWrittenOnceAndAClusterWhole) {
    ScreenSnapshot s;
    s.width = 4;
    s.height = 1;
    s.wideCells.assign(4 + 1, ScreenCell{u' ', 0x07});
    s.wideCells[0] = ScreenCell{0x4E2D, uint16_t(0x07 | kLeadingCell)};   // 中 over two cells
    s.wideCells[1] = ScreenCell{0x4E2D, uint16_t(0x07 | kTrailingCell)};
    s.wideCells[2] = ScreenCell{0xD83D, 0x07};                             // a surrogate pair
    s.clusters.push_back(CellCluster{2, u"\U0001F600"});
    const std::string frame = ScreenAnsi(s);
    EXPECT_NE(frame.find("\x1b[0;37;40m\xE4\xB8\xAD\xF0\x9F\x98\x80 \x1b[0m"), std::string::npos) << frame;
}

}  // namespace
