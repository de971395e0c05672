// Golden screen files: written and read back, kept stable across updates, differences told
// row by row, names that would leave the golden folder refused, and hostile files refused
// with a reason instead of crashing.
#include "script/GoldenScreen.h"

#include "vbs/Text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace qp;

namespace {

// A screen of blanks (white on black) with rows of text written from column 0.
ScreenSnapshot screenOf(int width, int height, const std::vector<std::u16string>& rows) {
    ScreenSnapshot s;
    s.width = int16_t(width);
    s.height = int16_t(height);
    s.wideCells.assign(size_t(width) * size_t(height) + 1, ScreenCell{u' ', 0x07});
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size() && int(c) < width; ++c)
            s.wideCells[r * size_t(width) + c].ch = rows[r][c];
    return s;
}

void setAttr(ScreenSnapshot& s, int col, int row, uint16_t attr) {
    s.wideCells[size_t(row) * size_t(s.width) + size_t(col)].attr = attr;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

GoldenScreen parsed(const std::string& text) {
    std::string error;
    auto g = ParseGoldenScreen(text, error);
    EXPECT_TRUE(g) << error << "\n" << text;
    return g.value_or(GoldenScreen{});
}

TEST(GoldenScreen, AScreenReadsBackAsWritten) {
    ScreenSnapshot s = screenOf(12, 3, {u"hello |x|", u"", u"  end"});
    setAttr(s, 0, 0, 0x0C);
    setAttr(s, 1, 0, 0x4070);   // reverse
    setAttr(s, 11, 2, 0x801F);  // underline, in the last cell
    s.wideCells[size_t(12 + 3)].ch = 0x01;  // a control character reads as U+FFFD
    s.wideCells[size_t(12 + 4)].ch = 0;     // an empty cell as a blank
    s.wideCells[size_t(12 + 5)].ch = u'z';
    const GoldenScreen g = GoldenFromScreen(s);
    EXPECT_EQ(g.rows, (std::vector<std::string>{"hello |x|", "   \xEF\xBF\xBD z", "  end"}));
    const std::string text = FormatGoldenScreen(g);
    const GoldenScreen back = parsed(text);
    EXPECT_EQ(back, g);
    // The text rows stand padded between bars, under the size line; the legend words are for people.
    const auto lines = linesOf(text);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "screen 12x3"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "|hello |x|   |"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "|ab..........|"), lines.end()) << text;
    EXPECT_NE(text.find("0C bright red on black"), std::string::npos) << text;
    EXPECT_NE(text.find("4070 black on white, reverse"), std::string::npos) << text;
    // CR LF line ends and a byte-order mark are taken too.
    std::string crlf = "\xEF\xBB\xBF";
    for (const std::string& line : lines)
        crlf += line + "\r\n";
    EXPECT_EQ(parsed(crlf), g);
}

TEST(GoldenScreen, WideCharactersAndClustersAreReadOnce) {
    ScreenSnapshot s = screenOf(6, 1, {u"\u4E2D\u4E2Dab"});
    s.wideCells[0].attr |= kLeadingCell;
    s.wideCells[1].attr |= kTrailingCell;
    s.wideCells[2].ch = u'e';
    s.clusters.push_back({2, u"e\u0301"});
    const GoldenScreen g = GoldenFromScreen(s);
    EXPECT_EQ(g.rows[0], "\xE4\xB8\xAD" "e\xCC\x81" "b");
    // Cell attributes carry no wide-character marks.
    EXPECT_EQ(g.attrs[0], 0x07);
    EXPECT_EQ(parsed(FormatGoldenScreen(g)), g);
}

TEST(GoldenScreen, AnUpdateKeepsTheKeysSoOneCellChangesOneLine) {
    ScreenSnapshot s = screenOf(10, 4, {u"one", u"two", u"three"});
    setAttr(s, 0, 0, 0x1F);
    setAttr(s, 0, 3, 0x2F);
    const GoldenScreen first = parsed(FormatGoldenScreen(GoldenFromScreen(s)));
    // A new attribute that comes first on the screen takes a new key; the others keep theirs.
    setAttr(s, 5, 0, 0x4E);
    const std::string before = FormatGoldenScreen(first), after = FormatGoldenScreen(GoldenFromScreen(s), &first);
    const auto a = linesOf(before), b = linesOf(after);
    ASSERT_EQ(b.size(), a.size() + 1);  // one legend line more
    size_t changed = 0;
    for (const std::string& line : b)
        changed += std::find(a.begin(), a.end(), line) == a.end();
    EXPECT_EQ(changed, 2u) << before << "----\n" << after;  // the legend line and the row
}

TEST(GoldenScreen, ManyAttributesGetTwoCharacterKeys) {
    ScreenSnapshot s = screenOf(40, 8, {});
    for (int i = 0; i < 256; ++i)
        setAttr(s, i % 40, i / 40, uint16_t(i));
    const GoldenScreen g = GoldenFromScreen(s);
    const std::string text = FormatGoldenScreen(g);
    EXPECT_EQ(parsed(text), g);
    for (const auto& [key, attr] : parsed(text).legend)
        EXPECT_EQ(key.size(), 2u);
}

TEST(GoldenScreen, TheDiffShowsEachDifferingRow) {
    ScreenSnapshot s = screenOf(10, 3, {u"Hello", u"same", u"x"});
    const GoldenScreen golden = GoldenFromScreen(s);
    EXPECT_EQ(GoldenDiff(golden, golden), "");
    s.wideCells[3].ch = u'p';
    setAttr(s, 2, 2, 0x0C);
    const std::string diff = GoldenDiff(golden, GoldenFromScreen(s));
    EXPECT_EQ(diff, "2 rows differ:\n"
                    "row 0 text:\n  golden |Hello|\n  screen |Helpo|\n"
                    "row 2 attributes:\n  golden |..........|\n  screen |..a.......|\n"
                    "keys: . = 0007 white on black; a = 000C bright red on black\n");
    // Another size says so instead.
    EXPECT_EQ(GoldenDiff(golden, GoldenFromScreen(screenOf(12, 3, {}))),
              "The golden screen is 10x3, the screen is 12x3\n");
    // Many differing rows: the first few shown, all counted.
    ScreenSnapshot other = screenOf(10, 3, {u"a", u"b", u"c"});
    EXPECT_TRUE(GoldenDiff(golden, GoldenFromScreen(other), 2).starts_with("3 rows differ (the first 2 shown):\n"));
}

struct HostileCase {
    const char* name;
    std::string text;
    const char* reason;  // a part of the error
};

const std::string kGood = "screen 3x2\ntext\n|ab |\n|   |\nattributes\n. 0007 white on black\n|...|\n|...|\n";

class HostileGolden : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileGolden, IsRefusedWithAReason) {
    std::string error;
    EXPECT_FALSE(ParseGoldenScreen(GetParam().text, error));
    EXPECT_NE(error.find(GetParam().reason), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Files, HostileGolden,
    ::testing::Values(
        HostileCase{"Empty", "", "it ends before the screen's size"},
        HostileCase{"OnlyComments", "# nothing\n\n", "truncated"},
        HostileCase{"Binary", std::string("\x7F" "ELF\x02\x01\x01\0\0\0", 10), "NUL bytes"},
        HostileCase{"NotUtf8", "screen 3x2\ntext\n|\xFF\xFE|\n", "not UTF-8"},
        HostileCase{"TruncatedInTheText", kGood.substr(0, 22), "truncated"},
        HostileCase{"TruncatedInTheLegend", kGood.substr(0, kGood.find('.')), "truncated"},
        HostileCase{"TruncatedInARow", kGood.substr(0, kGood.size() - 3), "line 8: expected attribute row 1"},
        HostileCase{"NoSize", "text\n", "line 1: expected the screen's size"},
        HostileCase{"HugeSize", "screen 100000x100000\n", "is no console's size"},
        HostileCase{"TooManyCells", "screen 10000x10000\n", "is no console's size"},
        HostileCase{"ZeroSize", "screen 0x5\n", "is no console's size"},
        HostileCase{"OverlongNumber", "screen 0000000000000080x25\n", "expected the screen's size"},
        HostileCase{"RowWithoutBars", "screen 3x1\ntext\nabc\n", "line 3: expected text row 0"},
        HostileCase{"ShortAttributeRow", "screen 3x1\ntext\n|a|\nattributes\n. 0007\n|..|\n", "3 keys between bars"},
        HostileCase{"UnknownKey", "screen 3x1\ntext\n|a|\nattributes\n. 0007\n|.x.|\n", "'x' is not in the legend"},
        HostileCase{"KeyTwice", "screen 3x1\ntext\n|a|\nattributes\n. 0007\n. 0008\n", "given twice"},
        HostileCase{"MixedKeyWidths", "screen 3x1\ntext\n|a|\nattributes\n. 0007\nab 0008\n", "same length"},
        HostileCase{"BadHex", "screen 3x1\ntext\n|a|\nattributes\n. 00G7\n", "expected a legend line"},
        HostileCase{"HexTooLong", "screen 3x1\ntext\n|a|\nattributes\n. 100007\n", "expected a legend line"},
        HostileCase{"BarKey", "screen 3x1\ntext\n|a|\nattributes\n| 0007\n|||||\n", "without a legend"},
        HostileCase{"NoLegend", "screen 3x1\ntext\n|a|\nattributes\n|...|\n", "without a legend"},
        HostileCase{"TextAfterTheEnd", kGood + "|...|\n", "line 9: unexpected text"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GoldenScreen, ALongRowOfGarbageIsRefusedNotKept) {
    std::string text = "screen 3x1\ntext\n|" + std::string(1 << 20, 'x') + "|\nattributes\n. 0007\n|" +
                       std::string(1 << 20, '.') + "|\n";
    std::string error;
    EXPECT_FALSE(ParseGoldenScreen(text, error));
    EXPECT_NE(error.find("expected attribute row 0"), std::string::npos) << error.substr(0, 200);
}

struct NameCase {
    const char* name;
    std::u16string golden;
    const char* problem;  // empty: accepted
};

class GoldenNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(GoldenNames, StayInsideTheGoldenFolder) {
    EXPECT_EQ(GoldenNameProblem(GetParam().golden), GetParam().problem);
}

INSTANTIATE_TEST_SUITE_P(
    Names, GoldenNames,
    ::testing::Values(NameCase{"Plain", u"Main", ""}, NameCase{"Spaces", u"after login", ""},
                      NameCase{"Dotted", u"v1..2", ""}, NameCase{"Unicode", u"\u00C9cran \u4E2D", ""},
                      NameCase{"Empty", u"", "it is empty"},
                      NameCase{"Dot", u".", "it would name a folder, not a file in the golden folder"},
                      NameCase{"DotDot", u"..", "it would name a folder, not a file in the golden folder"},
                      NameCase{"Slash", u"../etc/passwd", "it holds a path separator"},
                      NameCase{"Backslash", u"a\\b", "it holds a path separator"},
                      NameCase{"Absolute", u"/tmp/x", "it holds a path separator"},
                      NameCase{"Newline", u"a\nb", "it holds a control character"},
                      NameCase{"Nul", std::u16string(u"a\0b", 3), "it holds a control character"},
                      NameCase{"C1Control", u"a\u0085", "it holds a control character"},
                      NameCase{"LoneSurrogate", std::u16string(1, char16_t(0xD800)), "it holds an unpaired surrogate"},
                      NameCase{"TooLong", std::u16string(201, u'n'), "it is longer than 200 bytes"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GoldenScreen, FilesLiveInTheScriptsGoldenFolder) {
    EXPECT_EQ(GoldenFolderOf("suite/login.vbs"), "suite/golden/login");
    EXPECT_EQ(GoldenFolderOf("login.vbs"), "golden/login");
    EXPECT_EQ(GoldenFilePath("suite/golden/login", u"Main"), "suite/golden/login/Main.screen");
}

TEST(GoldenScreen, FilesAreWrittenWholeAndReadBounded) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(::testing::TempDir()) / "qp-golden-files";
    fs::remove_all(dir);
    const std::string path = (dir / "golden" / "s" / "Main.screen").string();
    std::string error;
    bool missing = false;
    EXPECT_FALSE(ReadGoldenFile(path, error, missing));
    EXPECT_TRUE(missing);
    ASSERT_TRUE(WriteGoldenFile(path, kGood, error)) << error;
    EXPECT_EQ(ReadGoldenFile(path, error, missing).value_or(""), kGood);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "golden" / "s"), fs::directory_iterator()), 1);
    // A folder where the file should be: neither read nor replaced.
    const std::string folder = (dir / "golden" / "s" / "Folder.screen").string();
    fs::create_directories(folder);
    EXPECT_FALSE(ReadGoldenFile(folder, error, missing));
    EXPECT_FALSE(missing);
    EXPECT_EQ(error, "it is a folder");
    EXPECT_FALSE(WriteGoldenFile(folder, kGood, error));
    EXPECT_TRUE(fs::is_directory(folder));
    // A file larger than the bound is refused unread (a sparse file: no disk is used).
    const std::string huge = (dir / "golden" / "s" / "Huge.screen").string();
    { std::ofstream(huge) << "x"; }
    fs::resize_file(huge, kMaxGoldenBytes + 1);
    EXPECT_FALSE(ReadGoldenFile(huge, error, missing));
    EXPECT_NE(error.find("larger than 32 MB"), std::string::npos) << error;
    fs::remove_all(dir);
}

}  // namespace
