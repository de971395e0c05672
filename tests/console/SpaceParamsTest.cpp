// Console profiles: the INI rules, integer and style parsing, and hostile files.

#include "console/SpaceParams.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

using namespace qp;
namespace fs = std::filesystem;

namespace {

TSpaceParams loaded(const std::string& text)
{
    TSpaceParams p;
    p.ResetProfile();
    p.LoadProfileText(text);
    return p;
}

struct TempFile {
    std::string path;
    explicit TempFile(const std::string& content, const std::string& name = "profile.vdesk")
    {
        path = (fs::temp_directory_path() / ("qp-profile-" + std::to_string(getpid()) + "-" + name)).string();
        std::ofstream(path, std::ios::binary) << content;
    }
    ~TempFile() { fs::remove(path); }
};

}  // namespace

TEST(SpaceParams, CreationAndResetValues)
{
    TSpaceParams p;
    EXPECT_EQ(p.Width, 0);
    EXPECT_EQ(p.Height, 0);
    EXPECT_EQ(p.Font, (FontSpec{"Courier New", 8, false, false, false, false}));
    p.Font.bold = true;
    p.FileName = "x";
    p.CommandLine = "y";
    p.ResetProfile();
    EXPECT_EQ(p.Width, 80);
    EXPECT_EQ(p.Height, 25);
    EXPECT_EQ(p.Font, (FontSpec{"Courier New", 10, true, false, false, false}));  // style unchanged
    EXPECT_TRUE(p.FileName.empty());
    EXPECT_TRUE(p.CommandLine.empty());
}

TEST(SpaceParams, CompleteExampleProfile)
{
    const TSpaceParams p = loaded(
        "[Process]\r\nCommandLine=viewer.exe /q\r\n[Console]\r\nWidth=100\r\nHeight=40\r\n"
        "Font.Name=Lucida Console\r\nFont.Size=12\r\nFont.Style=BOLD, ITALIC\r\n");
    EXPECT_EQ(p.CommandLine, "viewer.exe /q");
    EXPECT_EQ(p.Width, 100);
    EXPECT_EQ(p.Height, 40);
    EXPECT_EQ(p.Font, (FontSpec{"Lucida Console", 12, true, true, false, false}));
}

TEST(SpaceParams, IniRules)
{
    struct Case {
        const char* name;
        const char* text;
        int32_t width;
        std::string fontName;
    };
    const Case cases[] = {
        {"names in any case", "[CONSOLE]\nwIdTh=90\nfont.name=X\n", 90, "X"},
        {"trimmed around the equals sign", "[Console]\n  Width  =   91   \nFont.Name =  Lucida  Console  \n", 91, "Lucida  Console"},
        {"absent keys keep the value", "[Console]\nHeight=3\n", 80, "Courier New"},
        {"wrong section", "[Other]\nWidth=92\n", 80, "Courier New"},
        {"key before any section", "Width=93\n[Console]\n", 80, "Courier New"},
        {"first of two keys wins", "[Console]\nWidth=94\nWidth=95\n", 94, "Courier New"},
        {"first of two sections wins", "[Console]\nWidth=96\n[Console]\nWidth=97\n", 96, "Courier New"},
        {"empty font name", "[Console]\nFont.Name=\n", 80, ""},
        {"semicolon kept in a value", "[Console]\nFont.Name=A ; B\n", 80, "A ; B"},
        {"comment lines", "; c\n# c\n[Console]\n;Width=1\nWidth=98\n", 98, "Courier New"},
        {"no equals sign", "[Console]\nWidth\nWidth=99\n", 99, "Courier New"},
        {"value with equals sign", "[Console]\nFont.Name=a=b\n", 80, "a=b"},
        {"unclosed section", "[Console\nWidth=42\n", 80, "Courier New"},
        {"byte-order mark", "\xef\xbb\xbf[Console]\nWidth=44\n", 44, "Courier New"},
    };
    for (const Case& c : cases) {
        const TSpaceParams p = loaded(c.text);
        EXPECT_EQ(p.Width, c.width) << c.name;
        EXPECT_EQ(p.Font.name, c.fontName) << c.name;
    }
}

TEST(SpaceParams, IntegerValues)
{
    struct Case {
        const char* text;
        bool ok;
        int32_t value;
    };
    const Case cases[] = {
        {"100", true, 100},   {"+7", true, 7},        {"-5", true, -5},          {"0x64", true, 100},
        {"0X64", true, 100},  {"$64", true, 100},     {"$ff", true, 255},        {"-$10", true, -16},
        {"0", true, 0},       {"2147483647", true, 2147483647}, {"-2147483648", true, INT32_MIN},
        {"2147483648", false, 0}, {"0x80000000", false, 0}, {"99999999999999999999", false, 0},
        {"wide", false, 0},   {"", false, 0},         {"12a", false, 0},         {"0x", false, 0},
        {"$", false, 0},      {"1 2", false, 0},      {"--1", false, 0},         {"0xg", false, 0},
        {" 5", false, 0},
    };
    for (const Case& c : cases) {
        int32_t v = 12345;
        EXPECT_EQ(ParseProfileInteger(c.text, v), c.ok) << c.text;
        EXPECT_EQ(v, c.ok ? c.value : 12345) << c.text;
    }
    EXPECT_EQ(loaded("[Console]\nWidth=0x64\nHeight=$64\n").Height, 100);
    EXPECT_EQ(loaded("[Console]\nWidth=wide\n").Width, 80);
    EXPECT_EQ(loaded("[Console]\nFont.Size=huge\n").Font.size, 10);
}

TEST(SpaceParams, FontStyles)
{
    struct Case {
        const char* value;
        bool bold, italic, underline, strike;
    };
    const Case cases[] = {
        {"bold, italic", true, true, false, false},
        {"Default", true, false, true, false},  // keeps the style it had
        {"  default ", true, false, true, false},
        {"", false, false, false, false},
        {"HEAVY", false, false, false, false},
        {"BOLDFACE", true, false, false, false},
        {"underline,strikeout", false, false, true, true},
        {" ,, italic ,", false, true, false, false},
        {"bold italic", true, false, false, false},  // one token, begins with BOLD
    };
    for (const Case& c : cases) {
        TSpaceParams p;
        p.Font.bold = true;
        p.Font.underline = true;
        p.ParseFontStyle(c.value);
        EXPECT_EQ(p.Font.bold, c.bold) << c.value;
        EXPECT_EQ(p.Font.italic, c.italic) << c.value;
        EXPECT_EQ(p.Font.underline, c.underline) << c.value;
        EXPECT_EQ(p.Font.strikeOut, c.strike) << c.value;
    }
    TSpaceParams p;
    p.Font.italic = true;
    p.LoadProfileText("[Console]\nWidth=5\n");  // no Font.Style: as "Default"
    EXPECT_TRUE(p.Font.italic);
}

TEST(SpaceParams, LoadProfileFromFiles)
{
    TSpaceParams p;
    p.ResetProfile();
    EXPECT_FALSE(p.LoadProfile("/no/such/profile.vdesk"));
    EXPECT_EQ(p.FileName, "/no/such/profile.vdesk");
    EXPECT_EQ(p.Width, 80);

    TempFile file("[Console]\nWidth=120\n");
    EXPECT_TRUE(p.LoadProfile(file.path));
    EXPECT_EQ(p.Width, 120);
    EXPECT_EQ(p.FileName, file.path);
    EXPECT_FALSE(p.LoadProfile(fs::temp_directory_path().string()));  // a folder is no file
}

TEST(SpaceParams, HostileFilesGiveDefaultsWithoutCrashing)
{
    std::string binary(70000, '\0');
    std::mt19937 rng(7);
    for (char& c : binary)
        c = char(rng());
    const std::string longValue(3000, 'n');
    std::string huge = "[Console]\nWidth=77\n" + std::string(TSpaceParams::kMaxProfileBytes, 'x');
    const struct {
        const char* name;
        std::string content;
        int32_t width;
    } cases[] = {
        {"binary", binary, 80},
        {"binary with a key", "[Console]\nWidth=70\n" + binary, 70},
        {"NUL inside a line", std::string("[Console]\nWidth=7\0 1\n", 20), 7},
        {"huge", huge, 80},
        {"very long line", "[Console]\nFont.Name=" + longValue + "\nWidth=66\n", 66},
        {"only newlines", std::string(100000, '\n'), 80},
        {"section name too long", "[" + std::string(500, 'C') + "]\nWidth=1\n[Console]\nWidth=55\n", 55},
    };
    for (const auto& c : cases) {
        TempFile file(c.content);
        TSpaceParams p;
        p.ResetProfile();
        EXPECT_TRUE(p.LoadProfile(file.path)) << c.name;
        EXPECT_EQ(p.Width, c.width) << c.name;
    }
    TSpaceParams p;
    p.ResetProfile();
    p.LoadProfileText("[Console]\nFont.Name=" + longValue + "\n");
    EXPECT_EQ(p.Font.name.size(), TSpaceParams::kMaxValueLength);
    EXPECT_TRUE(p.LoadProfile("/dev/zero"));  // exists, gives nothing
    EXPECT_EQ(p.Width, 80);
}

TEST(SpaceParams, UnreadableFileGivesDefaults)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    TempFile file("[Console]\nWidth=50\n");
    fs::permissions(file.path, fs::perms::none);
    TSpaceParams p;
    p.ResetProfile();
    EXPECT_TRUE(p.LoadProfile(file.path));
    EXPECT_EQ(p.Width, 80);
}
