// Hostile scripts: deep nesting, runaway recursion, huge strings and arrays. None may crash
// or hang; each ends in a syntax error or the run-time error VBScript gives.
#include "TestHost.h"

#include <gtest/gtest.h>

#include <string>

using namespace qp::vbs;
using namespace qp::vbs::test;

namespace {

std::u16string repeat(std::u16string_view s, size_t n)
{
    std::u16string out;
    for (size_t i = 0; i < n; ++i)
        out += s;
    return out;
}

int onlyError(const RunResult& r)
{
    EXPECT_EQ(r.errors.size(), 1u);
    return r.errors.empty() ? 0 : r.errors[0].number;
}

TEST(Robustness, DeepNestingIsASyntaxError)
{
    const std::u16string cases[] = {
        u"x = " + repeat(u"(", 100000) + u"1" + repeat(u")", 100000),
        u"x = " + repeat(u"-", 100000) + u"1",
        u"x = " + repeat(u"Not ", 100000) + u"1",
        u"x = 1" + repeat(u" + 1", 200000),
        u"x = a" + repeat(u"(1)", 100000),
        u"x = a" + repeat(u".b", 100000),
        repeat(u"If 1 Then\n", 50000),
        repeat(u"Do\n", 50000),
        repeat(u"If 1 Then ", 50000) + u"x = 1",
        u"x = f(" + repeat(u"f(", 100000),
    };
    for (const std::u16string& text : cases) {
        RunResult r = runScript(text);
        EXPECT_FALSE(r.parsed);
        ASSERT_EQ(r.errors.size(), 1u);
        EXPECT_TRUE(r.errors[0].syntax);
    }
}

TEST(Robustness, ModerateNestingStillRuns)
{
    RunResult r = runScript(u"x = " + repeat(u"(", 50) + u"1" + repeat(u")", 50) + u"\nMsgBox x" + repeat(u" & 1", 300));
    EXPECT_TRUE(r.errors.empty());
    ASSERT_EQ(r.output.size(), 1u);
    EXPECT_EQ(r.output[0].size(), 301u);
}

TEST(Robustness, RunawayRecursionIsOutOfStackSpace)
{
    RunResult r = runScript(u"Sub R(n)\n R n + 1\nEnd Sub\nR 1");
    EXPECT_EQ(onlyError(r), 28);
    EXPECT_EQ(r.errors[0].description, u"Out of stack space");
    EXPECT_EQ(r.errors[0].line, 1);
    // Deep recursion through expressions and loops as well.
    r = runScript(u"Function F(n)\n For i = 1 To 1\n  F = 1 + F(n + 1) * 2\n Next\nEnd Function\nx = F(0)");
    EXPECT_EQ(onlyError(r), 28);
}

TEST(Robustness, RecursionLimitHoldsOnASmallStack)
{
    EngineLimits limits;
    limits.maxCallDepth = 1000000;  // only the stack guard can stop it
    RunResult r = runScript(u"Sub R(n)\n R n + 1\nEnd Sub\nR 1", limits);
    EXPECT_EQ(onlyError(r), 28);
}

TEST(Robustness, HugeStringsAreOutOfMemory)
{
    EngineLimits limits;
    limits.maxStringLength = 1u << 20;
    EXPECT_EQ(onlyError(runScript(u"s = Space(2000000)", limits)), 7);
    EXPECT_EQ(onlyError(runScript(u"s = String(2000000, \"a\")", limits)), 7);
    EXPECT_EQ(onlyError(runScript(u"s = \"x\"\nDo\n s = s & s\nLoop", limits)), 7);
    EXPECT_EQ(onlyError(runScript(u"s = \"x\"\nDo\n s = s + s\nLoop", limits)), 7);
    EXPECT_EQ(onlyError(runScript(u"s = Space(1000)\nDo\n s = Replace(s, \" \", \"  \")\nLoop", limits)), 7);
    RunResult r = runScript(u"On Error Resume Next\ns = Space(2000000)\nMsgBox Err.Number & Len(s)", limits);
    EXPECT_EQ(r.output, std::vector<std::u16string>{u"70"});
}

TEST(Robustness, HugeArraysAreOutOfMemory)
{
    EngineLimits limits;
    limits.maxArrayElements = 1u << 20;
    EXPECT_EQ(onlyError(runScript(u"ReDim a(2000000)", limits)), 7);
    EXPECT_EQ(onlyError(runScript(u"ReDim a(2000, 2000)", limits)), 7);
    EXPECT_EQ(onlyError(runScript(u"ReDim a(65535, 65535, 65535, 65535)", limits)), 7);
    EXPECT_EQ(onlyError(runScript(u"Dim a(2000000)", limits)), 7);
    EXPECT_EQ(onlyError(runScript(u"ReDim a(10)\nDo\n ReDim Preserve a(UBound(a) * 2)\nLoop", limits)), 7);
}

// Every array and string a run holds counts against one limit: many values each below the
// per-value limits still stop with error 7, and what goes away is given back.
TEST(Robustness, TheMemoryLimitCoversEveryArrayAndString)
{
    EngineLimits limits;
    limits.maxMemoryBytes = 64u << 20;
    struct Case {
        const char* name;
        const char16_t* script;
        int error;  // 0: runs to its end
        const char16_t* shown;
    };
    const Case cases[] = {
        {"arrays kept", u"Dim all(100)\nFor i = 0 To 100\n ReDim a(1000000)\n all(i) = a\n n = i\nNext", 7, nullptr},
        {"strings kept", u"Dim all(100)\nFor i = 0 To 100\n all(i) = Space(1000000) & i\nNext", 7, nullptr},
        {"a string grown in place", u"s = \"\"\nDo\n s = s & Space(1000000)\nLoop", 7, nullptr},
        {"a string grown by copies", u"s = \"\"\nDo\n t = s\n s = s & Space(1000000)\nLoop", 7, nullptr},
        {"arrays in arrays", u"a = Array()\nDo\n ReDim b(100000)\n b(0) = a\n a = b\nLoop", 7, nullptr},
        {"memory given back", u"For i = 1 To 20\n ReDim x(1000000)\n s = Space(1000000) & i\nNext\nMsgBox Len(s)", 0, u"1000002"},
        {"erased arrays given back", u"Dim all(3)\nFor i = 1 To 20\n Erase all\n ReDim a(1000000)\n all(i Mod 4) = a\n a = Empty\nNext\nMsgBox \"done\"", 0, u"done"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RunResult r = runScript(c.script, limits);
        if (c.error) {
            EXPECT_EQ(onlyError(r), c.error);
        } else {
            EXPECT_TRUE(r.errors.empty());
            if (c.shown) {
                EXPECT_EQ(r.output.back(), c.shown);
            }
        }
    }
    const RunResult after = runScript(u"On Error Resume Next\nReDim a(10000000)\nMsgBox Err.Number\nErr.Clear\nReDim a(100)\nMsgBox UBound(a)", limits);
    EXPECT_EQ(after.output, (std::vector<std::u16string>{u"7", u"100"}));
}

TEST(Robustness, DeeplyNestedArraysAreReleasedWithoutRecursion)
{
    RunResult r = runScript(u"a = Array()\nFor i = 1 To 300000\n a = Array(a)\nNext\nMsgBox UBound(a)");
    EXPECT_TRUE(r.errors.empty());
    EXPECT_EQ(r.output, std::vector<std::u16string>{u"0"});
}

TEST(Robustness, HostileTextsDoNotCrash)
{
    const std::u16string cases[] = {
        u"\"", u"#", u"#1/2/", u"&H", u"&HFFFFFFFFFF", u"[", u"x = [abc", u"_", u"x = 1 _", u" _\n_\n",
        u"Sub", u"Function f(", u"Dim a(", u"ReDim", u"For Each", u"Select Case", u"Case 1",
        u"End", u"Wend", u"Loop", u"Else", u"ElseIf", u"With", u"Set", u"Call", u"On Error",
        u"Option Explicit\nOption Explicit", u"x = 1 : Option Explicit", u"Exit Do", u".x = 1",
        u"x = .y", u"Class A\nEnd Class", u"x = New Foo", u"x = Me", u"Const", u"Const a",
        u"Erase 1", u"x = 1e400", u"\u0000", u"\ufeffMsgBox 1", u"x = \"\u00e9\"", u"a(((",
        u"If x Then Else Else", u"Do Until", u"x = Array(,)", u"f , , ,", u"x = f(, , )",
    };
    for (const std::u16string& text : cases) {
        EngineLimits limits;
        limits.stepBudget = 100000;
        RunResult r = runScript(text, limits);
        EXPECT_LE(r.errors.size(), 1u);
    }
}

TEST(Robustness, NamesUpTo255Characters)
{
    std::u16string name(255, u'a');
    RunResult r = runScript(name + u" = 1\nMsgBox " + name);
    EXPECT_EQ(r.output, std::vector<std::u16string>{u"1"});
    r = runScript(std::u16string(256, u'a') + u" = 1");
    EXPECT_EQ(onlyError(r), 1030);
}

}  // namespace
