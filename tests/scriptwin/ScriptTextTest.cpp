// Script files as lines, and the colouring rules.
#include "scriptwin/ScriptText.h"
#include "scriptwin/VbsHighlight.h"

#include <gtest/gtest.h>

using namespace qp;

TEST(ScriptText, AnyLineBreakEndsALine)
{
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {"a\r\nb\r\n", {"a", "b"}}, {"a\nb", {"a", "b"}},   {"a\rb\r", {"a", "b"}}, {"", {}},
        {"\r\n\r\n", {"", ""}},     {"a\n\rb", {"a", "", "b"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitScriptLines(c.text), c.lines) << c.text;
    EXPECT_EQ(JoinScriptLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

TEST(ScriptText, TrailingBlanksGo)
{
    const std::pair<std::string, std::string> cases[] = {
        {"a = 1  ", "a = 1"}, {"x\t \t", "x"}, {"   ", ""}, {"", ""}, {"  lead", "  lead"}, {"s = \"a \" ", "s = \"a \""},
    };
    for (const auto& [line, saved] : cases)
        EXPECT_EQ(WithoutTrailingBlanks(line), saved) << line;
}

TEST(ScriptText, DefaultExtension)
{
    EXPECT_EQ(WithDefaultExtension("/tmp/x/test"), "/tmp/x/test.vbs");
    EXPECT_EQ(WithDefaultExtension("/tmp/x/test.txt"), "/tmp/x/test.txt");
    EXPECT_EQ(WithDefaultExtension("/tmp/a.b/test"), "/tmp/a.b/test.vbs");
    EXPECT_EQ(WithDefaultExtension("/tmp/.hidden"), "/tmp/.hidden.vbs");
}

TEST(VbsHighlight, WordGroups)
{
    struct Case {
        const char* word;
        VbsStyle style;
    } cases[] = {
        {"If", VbsStyle::KeyWord},     {"eLSEif", VbsStyle::KeyWord},   {"MsgBox", VbsStyle::Function},
        {"DateAdd", VbsStyle::Default}, {"DateAddFunction", VbsStyle::Function}, {"Replace", VbsStyle::Function},
        {"Description", VbsStyle::Property}, {"Raise", VbsStyle::Method},  {"err", VbsStyle::Object},
        {"vbCrLf", VbsStyle::Constant}, {"TRUE", VbsStyle::Constant},  {"Console", VbsStyle::Default},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VbsWordStyle(c.word), c.style) << c.word;
}

TEST(VbsHighlight, RemarksStringsNumbersAndDelimiters)
{
    const std::string text = "x = \"If 1\" ' If 2\r\nIf_x If.Not 12.5 \"a\r\nb\" End";
    std::vector<VbsStyle> styles;
    EXPECT_EQ(StyleVbsText(text, VbsLineState::Root, styles), VbsLineState::Root);
    auto at = [&](const std::string& piece, size_t from = 0) { return styles[text.find(piece, from)]; };
    EXPECT_EQ(at("x"), VbsStyle::Default);
    EXPECT_EQ(at("If 1"), VbsStyle::String);
    EXPECT_EQ(at("1\""), VbsStyle::String);
    EXPECT_EQ(at("' If"), VbsStyle::Remark);
    EXPECT_EQ(at("2\r"), VbsStyle::Remark);
    EXPECT_EQ(at("If_x"), VbsStyle::Default) << "the underscore is a word character";
    EXPECT_EQ(at("If.Not"), VbsStyle::KeyWord);
    EXPECT_EQ(at("Not 12"), VbsStyle::KeyWord);
    EXPECT_EQ(at("12.5"), VbsStyle::Number);
    EXPECT_EQ(at("5 \""), VbsStyle::Number);
    EXPECT_EQ(at("b\""), VbsStyle::String) << "a string runs across the line end";
    EXPECT_EQ(at("End"), VbsStyle::KeyWord);

    EXPECT_EQ(StyleVbsText("\"open", VbsLineState::Root, styles), VbsLineState::InString);
    EXPECT_EQ(StyleVbsText("still\" If", VbsLineState::InString, styles), VbsLineState::Root);
    EXPECT_EQ(styles[7], VbsStyle::KeyWord);
}
