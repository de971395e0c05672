// The console methods after the original eleven, against real programs in the real pty:
// finding text and patterns, attributes, size and cursor, the program's exit, quiet and
// sleeping, and their argument checks.
#include "ScriptTestSupport.h"

#include "vbs/Text.h"
#include "script/TypeLibrary.h"

#include <thread>

using namespace qp;
using namespace qp::test;

namespace {

int32_t constant(std::string_view name) {
    for (const ConstantInfo& c : IZEBConsoleConstants)
        if (c.name == name)
            return c.value;
    ADD_FAILURE() << "no constant " << name;
    return 0;
}

// Row 0: "alpha beta"; row 1: "  gamma 42 beta"; row 3: coloured cells R B V U G; a Z in the
// bottom-right cell.
constexpr char16_t kFindScreen[] =
    u"printf \"alpha beta\\n  gamma 42 beta\\n\\n\\033[31mR\\033[0m\\033[44mB\\033[0m\\033[7mV\\033[0m"
    u"\\033[4mU\\033[0m\\033[1;32mG\\033[0m\\033[25;80HZ\\033[5;1Hend\"";

class FindScreen : public ConsoleObjectTest {
protected:
    void SetUp() override { runAndWait(kFindScreen, 0, 4, u"end"); }
};

struct FindCase {
    const char* name;
    std::u16string text;
    int32_t x, y;  // -1, -1: not found
};

class FindStringTable : public FindScreen, public ::testing::WithParamInterface<FindCase> {};

TEST_P(FindStringTable, FindsWhereCheckStringWouldHold) {
    const FindCase& c = GetParam();
    std::vector<vbs::Variant> args{str(c.text), str(u"old"), str(u"old")};
    auto r = call(*obj, u"FindString", args);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.value().boolValue(), c.x >= 0);
    EXPECT_EQ(args[1].longValue(), c.x);
    EXPECT_EQ(args[2].longValue(), c.y);
    if (c.x >= 0) {
        EXPECT_TRUE(obj->CheckString(c.x, c.y, c.text));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Screen, FindStringTable,
    ::testing::Values(FindCase{"FirstRowFirst", u"beta", 6, 0}, FindCase{"Inner", u"gamma", 2, 1},
                      FindCase{"WholeRow", u"alpha beta", 0, 0}, FindCase{"AcrossABlank", u"a b", 4, 0},
                      FindCase{"EmptyIsAtTheOrigin", u"", 0, 0}, FindCase{"Nowhere", u"zeta", -1, -1},
                      FindCase{"TrailingBlankNeverStands", u"beta ", -1, -1},
                      FindCase{"CaseSensitive", u"ALPHA", -1, -1}, FindCase{"BottomRightCell", u"Z", 79, 24},
                      FindCase{"NotAcrossRows", u"betagamma", -1, -1}),
    [](const auto& info) { return std::string(info.param.name); });

struct PatternCase {
    const char* name;
    std::u16string pattern;
    int32_t x, y;
    std::u16string matched;
};

class FindPatternTable : public FindScreen, public ::testing::WithParamInterface<PatternCase> {};

TEST_P(FindPatternTable, MatchesEachRowsText) {
    const PatternCase& c = GetParam();
    std::vector<vbs::Variant> args{str(c.pattern), num(7), num(7), str(u"old")};
    auto r = call(*obj, u"FindPattern", args);
    ASSERT_TRUE(r.ok()) << vbs::toUtf8(r.error().description);
    EXPECT_EQ(r.value().boolValue(), c.x >= 0);
    EXPECT_EQ(args[1].longValue(), c.x);
    EXPECT_EQ(args[2].longValue(), c.y);
    EXPECT_EQ(args[3].string(), c.matched);
}

INSTANTIATE_TEST_SUITE_P(
    Screen, FindPatternTable,
    ::testing::Values(PatternCase{"Digits", u"\\d+", 8, 1, u"42"}, PatternCase{"Anchored", u"^alpha", 0, 0, u"alpha"},
                      PatternCase{"EndOfRow", u"b.ta$", 6, 0, u"beta"},
                      PatternCase{"Group", u"g(am)+ma", 2, 1, u"gamma"},
                      PatternCase{"UnicodeEscape", u"\\u0034\\x32", 8, 1, u"42"},
                      PatternCase{"Alternation", u"zeta|gam", 2, 1, u"gam"},
                      PatternCase{"EmptyClassMatchesNothing", u"a[]", -1, -1, u""},
                      PatternCase{"BlanksAreText", u" +gamma", 0, 1, u"  gamma"},
                      PatternCase{"Nowhere", u"omega", -1, -1, u""},
                      PatternCase{"LastCell", u"Z$", 79, 24, u"Z"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FindScreen, ABadPatternIsError5017) {
    for (std::u16string bad : {u"(", u"[a", u"a{2,1}", u"*"}) {
        std::vector<vbs::Variant> args{str(bad), num(0), num(0), str(u"")};
        auto r = call(*obj, u"FindPattern", args);
        ASSERT_FALSE(r.ok()) << vbs::toUtf8(bad);
        EXPECT_EQ(r.error().number, 5017);
        EXPECT_EQ(r.error().description, u"Syntax error in regular expression");
        std::vector<vbs::Variant> waited{num(5), str(bad), num(0), num(0), str(u"")};
        EXPECT_EQ(call(*obj, u"WaitPattern", waited).error().number, 5017);
    }
}

struct AttrCase {
    const char* name;
    int32_t x, y, attr;
};

class ReadAttrTable : public FindScreen, public ::testing::WithParamInterface<AttrCase> {};

TEST_P(ReadAttrTable, GivesTheCellsWord) {
    EXPECT_EQ(obj->ReadAttr(GetParam().x, GetParam().y), GetParam().attr);
}

INSTANTIATE_TEST_SUITE_P(
    Screen, ReadAttrTable,
    ::testing::Values(AttrCase{"Red", 0, 3, 0x04}, AttrCase{"BlueBackground", 1, 3, 0x17},
                      AttrCase{"Reverse", 2, 3, 0x4070}, AttrCase{"Underline", 3, 3, 0x8007},
                      AttrCase{"BoldGreen", 4, 3, 0x0A}, AttrCase{"Plain", 5, 3, 0x07},
                      AttrCase{"LeftOfTheScreen", -1, 3, -1}, AttrCase{"RightOfTheScreen", 80, 3, -1},
                      AttrCase{"BelowTheScreen", 0, 25, -1}),
    [](const auto& info) { return std::string(info.param.name); });

struct CheckAttrCase {
    const char* name;
    int32_t left, top, right, bottom;
    int32_t attr, mask;
    bool expected;
};

class CheckAttrTable : public FindScreen, public ::testing::WithParamInterface<CheckAttrCase> {};

TEST_P(CheckAttrTable, ComparesEveryCellUnderTheMask) {
    const CheckAttrCase& c = GetParam();
    EXPECT_EQ(obj->CheckAttr(c.left, c.top, c.right, c.bottom, c.attr, c.mask), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Screen, CheckAttrTable,
    ::testing::Values(
        CheckAttrCase{"RedForeground", 0, 3, 0, 3, constant("ForeRed"), constant("ForeMask"), true},
        CheckAttrCase{"NotBlue", 0, 3, 0, 3, constant("ForeBlue"), constant("ForeMask"), false},
        CheckAttrCase{"NoUnderlineUntilU", 0, 3, 2, 3, 0, constant("AttrUnderline"), true},
        CheckAttrCase{"UnderlineAtU", 0, 3, 4, 3, 0, constant("AttrUnderline"), false},
        CheckAttrCase{"ReverseMark", 2, 3, 2, 3, constant("AttrReverse"), constant("AttrReverse"), true},
        CheckAttrCase{"PlainRowRest", 5, 3, 79, 3, 0x07, constant("ColorMask"), true},
        CheckAttrCase{"MaskZeroAlwaysHolds", 0, 0, 79, 24, 0x1234, 0, true},
        CheckAttrCase{"PartlyOffTheScreen", 78, 2, 200, 2, 0x07, constant("AttrMask"), true},
        CheckAttrCase{"EntirelyOffTheScreen", 100, 0, 120, 0, 0, 0, false},
        CheckAttrCase{"ReversedRectangle", 3, 3, 1, 3, 0, 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FindScreen, ConstantsAreReadOnlyMembers) {
    auto r = call(*obj, u"forered");
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.value().longValue(), 4);
    EXPECT_EQ(call(*obj, u"AttrUnderline").value().longValue(), 0x8000);
    std::vector<vbs::Variant> put{num(1)};
    EXPECT_EQ(call(*obj, u"ForeRed", put, vbs::InvokeKind::PropertyPut).error().number, 438);
    EXPECT_EQ(call(*obj, u"ForeRed", {num(1)}).error().number, 450);
}

// --- size and cursor ---------------------------------------------------------------------------

TEST(ConsoleGeometry, SizeAndCursorFollowTheConsole) {
    ConsoleOptions options = fastConsole();
    options.columns = 100;
    options.rows = 30;
    HostedConsole console{nullptr, options};
    auto session = std::make_shared<ConsoleSession>(console, ScriptTimings{0ms, 20ms});
    auto obj = ZEBConsole::create(session);
    EXPECT_EQ(obj->ScreenWidth(), 100);
    EXPECT_EQ(obj->ScreenHeight(), 30);
    obj->RunCommand(u"printf \"ab\\ncd\\033[7;12H\"");
    ASSERT_TRUE(obj->WaitString(10, 0, 1, u"cd"));
    EXPECT_EQ(obj->CursorX(), 11);
    EXPECT_EQ(obj->CursorY(), 6);
    EXPECT_EQ(call(*obj, u"ScreenWidth").value().longValue(), 100);
    EXPECT_EQ(call(*obj, u"cursory").value().longValue(), 6);
}

// --- the program's exit ------------------------------------------------------------------------

struct ExitCase {
    const char* name;
    std::u16string command;
    bool kill;
    int32_t status;
};

class WaitExitTable : public ConsoleObjectTest, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(WaitExitTable, GivesTheExitStatus) {
    const ExitCase& c = GetParam();
    obj->RunCommand(c.command);
    if (c.kill)
        obj->KillProcess();
    std::vector<vbs::Variant> args{num(10), str(u"old")};
    auto r = call(*obj, u"WaitExit", args);
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r.value().boolValue());
    EXPECT_EQ(args[1].longValue(), c.status);
    EXPECT_FALSE(obj->IsProcessActive());
    EXPECT_EQ(obj->WaitExit(0), c.status);  // kept once the program is gone
}

INSTANTIATE_TEST_SUITE_P(
    Programs, WaitExitTable,
    ::testing::Values(ExitCase{"Success", u"true", false, 0}, ExitCase{"ExitCode", u"sh -c 'exit 3'", false, 3},
                      ExitCase{"Terminated", u"sh -c 'kill -TERM $$'", false, 128 + 15},
                      ExitCase{"Killed", u"sleep 30", true, 128 + 9},
                      ExitCase{"LaterExit", u"sh -c 'sleep 0.3; exit 42'", false, 42}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConsoleObjectTest, WaitExitOfARunningProgramGivesUpAfterItsTime) {
    obj->RunCommand(u"sleep 30");
    const auto start = std::chrono::steady_clock::now();
    std::vector<vbs::Variant> args{num(1), num(5)};
    auto r = call(*obj, u"WaitExit", args);
    ASSERT_TRUE(r.ok());
    EXPECT_FALSE(r.value().boolValue());
    EXPECT_EQ(args[1].longValue(), -1);
    const double took = secondsSince(start);
    EXPECT_GT(took, 0.95);
    EXPECT_LT(took, 10.0);
}

TEST_F(ConsoleObjectTest, WaitExitWithoutAProgramAnswersAtOnce) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(obj->WaitExit(30).has_value());
    EXPECT_LT(secondsSince(start), 15.0);  // against the 30 s it was given
}

// --- quiet, finding by waiting, sleeping --------------------------------------------------------

TEST_F(ConsoleObjectTest, WaitQuietEndsWhenTheOutputStops) {
    obj->RunCommand(u"sh -c 'for i in 1 2 3 4 5; do echo $i; sleep 0.05; done; sleep 30'");
    EXPECT_TRUE(obj->WaitQuiet(300, 10));
    EXPECT_TRUE(obj->CheckString(0, 4, u"5")) << vbs::toUtf8(obj->ReadText(0, 0, 79, 6));
}

TEST_F(ConsoleObjectTest, WaitQuietOfAProgramThatNeverStopsGivesUp) {
    // Writes without a pause (no sleeps, no programs started between its lines): even a
    // loaded machine does not stall it for the 300 ms of quiet asked for.
    obj->RunCommand(u"yes tock");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(obj->WaitQuiet(300, 1));
    const double took = secondsSince(start);
    EXPECT_GT(took, 0.95);
    EXPECT_LT(took, 10.0);
    EXPECT_TRUE(obj->WaitQuiet(0, 0));  // no quiet time needed
}

TEST_F(ConsoleObjectTest, WaitFindAndWaitPatternSeeDelayedOutput) {
    obj->RunCommand(u"sh -c 'sleep 0.3; echo; echo late 7; sleep 30'");
    auto found = obj->WaitFind(10, u"late");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->x, 0);
    EXPECT_EQ(found->y, 1);
    auto matched = obj->WaitPattern(10, u"late (\\d)");
    ASSERT_TRUE(matched);
    EXPECT_EQ(matched->text, u"late 7");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(obj->WaitFind(1, u"never"));
    EXPECT_FALSE(obj->WaitPattern(0, u"nev(er)?"));
    const double took = secondsSince(start);
    EXPECT_GT(took, 0.95);
    EXPECT_LT(took, 10.0);
}

TEST_F(ConsoleObjectTest, SleepWaitsMillisecondsAndEndsOnStop) {
    auto start = std::chrono::steady_clock::now();
    obj->Sleep(0);
    obj->Sleep(-5);
    EXPECT_LT(secondsSince(start), 0.9);  // no wait at all
    start = std::chrono::steady_clock::now();
    obj->Sleep(300);
    const double took = secondsSince(start);
    EXPECT_GT(took, 0.29);
    EXPECT_LT(took, 10.0);

    std::thread stopper([this] {
        std::this_thread::sleep_for(200ms);
        session->stopWaiting();
    });
    start = std::chrono::steady_clock::now();
    obj->Sleep(86'400'000);
    EXPECT_FALSE(obj->WaitQuiet(86'400'000, 86'400));
    EXPECT_FALSE(obj->WaitFind(86'400, u"never"));
    EXPECT_FALSE(obj->WaitExit(86'400));
    EXPECT_LT(secondsSince(start), 20.0);  // against waits of a day
    stopper.join();
}

// --- argument checks -----------------------------------------------------------------------------

struct ArgumentCase {
    const char* name;
    std::u16string method;
    std::vector<vbs::Variant> args;
    int32_t number;
};

class NewMethodErrors : public ConsoleObjectTest, public ::testing::WithParamInterface<ArgumentCase> {};

TEST_P(NewMethodErrors, AreTheErrorsOfTheOriginalMethods) {
    std::vector<vbs::Variant> args = GetParam().args;
    const auto start = std::chrono::steady_clock::now();
    auto r = call(*obj, GetParam().method, args);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().number, GetParam().number);
    EXPECT_LT(secondsSince(start), 10.0);  // refused before any wait
}

INSTANTIATE_TEST_SUITE_P(
    Calls, NewMethodErrors,
    ::testing::Values(ArgumentCase{"SleepOverADay", u"Sleep", {num(86'400'001)}, 5},
                      ArgumentCase{"QuietOverADay", u"WaitQuiet", {num(86'400'001), num(1)}, 5},
                      ArgumentCase{"QuietTimeOverADay", u"WaitQuiet", {num(10), num(86'401)}, 5},
                      ArgumentCase{"WaitFindOverADay", u"WaitFind", {num(86'401), str(u"x"), num(0), num(0)}, 5},
                      ArgumentCase{"WaitExitOverADay", u"WaitExit", {num(86'401), num(0)}, 5},
                      ArgumentCase{"SleepText", u"Sleep", {str(u"soon")}, 13},
                      ArgumentCase{"FindNull", u"FindString", {vbs::Variant::null(), num(0), num(0)}, 94},
                      ArgumentCase{"AttrOverflow", u"ReadAttr", {vbs::Variant::fromDouble(1e12), num(0)}, 6},
                      ArgumentCase{"FindWithoutOutArguments", u"FindString", {str(u"x")}, 450},
                      ArgumentCase{"WidthWithAnArgument", u"ScreenWidth", {num(1)}, 450},
                      ArgumentCase{"CheckAttrTooFew", u"CheckAttr", {num(0), num(0), num(0), num(0), num(7)}, 450}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TypeLibraryAppend, TheOriginalElevenKeepTheirPlaces) {
    const char* original[] = {"PutKeys",   "PutControl",      "CheckString", "CheckRect",
                              "ReadText",  "Pause",           "WaitString",  "IsProcessActive",
                              "KillProcess", "RunCommand",    "CheckWindow"};
    const int32_t dispIds[] = {1, 3, 4, 5, 6, 7, 8, 9, 10, 2, 11};
    for (size_t i = 0; i < 11; ++i) {
        EXPECT_EQ(IZEBConsoleMethods[i].name, original[i]);
        EXPECT_EQ(IZEBConsoleMethods[i].dispId, dispIds[i]);
    }
    for (size_t i = 11; i < IZEBConsoleMethods.size(); ++i)
        EXPECT_EQ(IZEBConsoleMethods[i].dispId, int32_t(i + 1)) << IZEBConsoleMethods[i].name;
    for (const ConstantInfo& c : IZEBConsoleConstants)
        EXPECT_EQ(findMethod(IZEBConsoleInfo, c.dispId), nullptr) << c.name;
}

}  // namespace
