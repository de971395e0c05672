#include "ScriptTestSupport.h"

#include "script/TypeLibrary.h"
#include "script/ZEBConsApp.h"

#include <atomic>
#include <climits>
#include <thread>

using namespace qp;
using namespace qp::test;

namespace {

// Rows 1 and 2 hold ab and cd from column 0, with a frame below them.
constexpr char16_t kScreenCommand[] =
    u"printf \"\\nab\\ncd\\n\\n  \\342\\224\\214\\342\\224\\200\\342\\224\\220\\n"
    u"  \\342\\224\\224\\342\\224\\200\\342\\224\\230\\nend\\n\"";

class ScreenChecks : public ConsoleObjectTest {
protected:
    void SetUp() override { runAndWait(kScreenCommand, 0, 6, u"end"); }
};

struct CheckCase {
    const char* name;
    int32_t x, y;
    std::u16string text;
    bool expected;
};

class CheckStringTable : public ScreenChecks, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(CheckStringTable, ComparesTheRowFromXOverTheTextsLength) {
    const CheckCase& c = GetParam();
    EXPECT_EQ(obj->CheckString(c.x, c.y, c.text), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Screen, CheckStringTable,
    ::testing::Values(CheckCase{"Exact", 0, 1, u"ab", true},
                      CheckCase{"Prefix", 0, 1, u"a", true},
                      CheckCase{"Inner", 1, 2, u"d", true},
                      CheckCase{"OtherRow", 0, 2, u"ab", false},
                      CheckCase{"CaseSensitive", 0, 1, u"AB", false},
                      CheckCase{"EmptyAnywhere", 40, 20, u"", true},
                      CheckCase{"EmptyOffScreen", -7, 999, u"", true},
                      CheckCase{"TrailingBlankNeverMatches", 0, 1, u"ab ", false},
                      CheckCase{"LeftOffScreenReadsLess", -1, 1, u"xab", false},
                      CheckCase{"FarRightNoOverflow", INT_MAX, 1, u"ab", false},
                      CheckCase{"BoxCharacters", 2, 4, u"┌─┐", true},
                      CheckCase{"RowBelowScreen", 0, 25, u"ab", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScreenChecks, CheckRectAndReadTextPutTheSeparatorAfterEveryRow) {
    EXPECT_TRUE(obj->CheckRect(0, 1, 1, 2, u"ab/cd/"));
    EXPECT_FALSE(obj->CheckRect(0, 1, 1, 2, u"ab/cd"));
    EXPECT_TRUE(obj->CheckRect(0, 1, 1, 1, u"ab"));
    EXPECT_TRUE(obj->CheckRect(0, 1, 79, 3, u"ab/cd//"));
    EXPECT_EQ(obj->ReadText(0, 1, 1, 2), u"ab/cd/");
    EXPECT_EQ(obj->ReadText(0, 24, 1, 30), u"/");  // only the rows on the screen are read
    EXPECT_EQ(obj->ReadText(5, 1, 0, 1), u"");
}

// A program writes wide characters, a combining mark and a character beyond the BMP; the
// checks and ReadText see them as written, and columns still count cells.
TEST_F(ConsoleObjectTest, WideCombiningAndAstralTextReadsBackAsWritten) {
    runAndWait(u"printf '\\346\\227\\245\\346\\234\\254\\350\\252\\236|\\ne\\314\\201x\\360\\237\\230\\200y\\n'", 4, 1, u"y");
    const struct {
        const char* name;
        int32_t x, y;
        std::u16string text;
        bool expected;
    } checks[] = {
        {"wide characters", 0, 0, u"日本語", true},
        {"wide then narrow", 0, 0, u"日本語|", true},
        {"columns count cells", 6, 0, u"|", true},
        {"from the second character", 2, 0, u"本語", true},
        {"a prefix", 0, 0, u"日本", true},
        {"another character", 0, 0, u"日本人", false},
        {"base and combining mark", 0, 1, u"e\u0301x", true},
        {"a bare base no longer passes", 0, 1, u"e", false},
        {"nor a text without the mark", 0, 1, u"ex", false},
        {"beyond the BMP", 2, 1, u"\U0001F600y", true},
    };
    for (const auto& c : checks) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(obj->CheckString(c.x, c.y, c.text), c.expected);
    }
    EXPECT_EQ(obj->ReadText(0, 0, 9, 1), u"日本語|/e\u0301x\U0001F600y/");
    EXPECT_TRUE(obj->CheckRect(0, 0, 3, 1, u"日本/e\u0301x\U0001F600/"));
    EXPECT_TRUE(obj->WaitString(1, 2, 0, u"本語|"));
}

TEST_F(ScreenChecks, ReadTextFillsItsOutArgumentAndClearsItOnEntry) {
    std::vector<vbs::Variant> args{num(0), num(1), num(1), num(2), str(u"old")};
    auto r = call(*obj, u"readtext", args);
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r.value().isEmpty());
    ASSERT_TRUE(args[4].isString());
    EXPECT_EQ(args[4].string(), u"ab/cd/");

    std::vector<vbs::Variant> bad{str(u"left"), num(1), num(1), num(2), str(u"old")};
    auto failed = call(*obj, u"ReadText", bad);
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().number, 13);
    EXPECT_TRUE(bad[4].isEmpty());
}

TEST_F(ScreenChecks, CheckWindowFindsTheFrameAtOnce) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(obj->CheckWindow(3, 5, 5, 6));
    EXPECT_LT(secondsSince(start), 5.0);  // against the ten seconds it waits for a frame
}

TEST_F(ConsoleObjectTest, CheckWindowOfNothingIsTrueWithoutFrames) {
    runAndWait(u"printf plain", 0, 0, u"plain");
    EXPECT_TRUE(obj->CheckWindow(0, 0, 0, 0));
}

TEST_F(ScreenChecks, CheckWindowGivesUpAfterTenSeconds) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(obj->CheckWindow(1, 1, 10, 10));
    const double took = secondsSince(start);
    EXPECT_GT(took, 9.5);
    EXPECT_LT(took, 40.0);
}

// --- dispatch ---------------------------------------------------------------------------------

TEST_F(ConsoleObjectTest, EveryMethodIsFoundByNameWithoutRegardToCase) {
    for (const MethodInfo& m : IZEBConsoleMethods) {
        std::u16string name(m.name.begin(), m.name.end());
        EXPECT_EQ(obj->dispId(name), m.dispId) << m.name;
        for (char16_t& c : name)
            c = c >= u'a' && c <= u'z' ? char16_t(c - 32) : c;
        EXPECT_EQ(obj->dispId(name), m.dispId) << m.name;
    }
    EXPECT_EQ(obj->dispId(u"Bottom"), vbs::kDispIdUnknown);
    EXPECT_EQ(obj->typeName(), u"IZEBConsole");
}

struct DispatchErrorCase {
    const char* name;
    std::u16string method;
    std::vector<vbs::Variant> args;
    vbs::InvokeKind kind;
    int32_t number;
};

class DispatchErrors : public ConsoleObjectTest, public ::testing::WithParamInterface<DispatchErrorCase> {};

TEST_P(DispatchErrors, AreTheErrorsAScriptGetsFromAnAutomationObject) {
    std::vector<vbs::Variant> args = GetParam().args;
    auto r = call(*obj, GetParam().method, args, GetParam().kind);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().number, GetParam().number);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, DispatchErrors,
    ::testing::Values(
        DispatchErrorCase{"TooFewArguments", u"CheckString", {num(0), num(0)}, vbs::InvokeKind::Method, 450},
        DispatchErrorCase{"TooManyArguments", u"IsProcessActive", {num(1)}, vbs::InvokeKind::Method, 450},
        DispatchErrorCase{"NotANumber", u"Pause", {str(u"soon")}, vbs::InvokeKind::Method, 13},
        DispatchErrorCase{"NumberTooLarge", u"Pause", {vbs::Variant::fromDouble(1e12)}, vbs::InvokeKind::Method, 6},
        DispatchErrorCase{"NullText", u"PutKeys", {vbs::Variant::null()}, vbs::InvokeKind::Method, 94},
        DispatchErrorCase{"Assignment", u"PutKeys", {str(u"x")}, vbs::InvokeKind::PropertyPut, 438},
        DispatchErrorCase{"UnknownMember", u"Bottom", {}, vbs::InvokeKind::Method, 438}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConsoleObjectTest, ResultsAreAutomationBooleansAndNumbersConvert) {
    runAndWait(u"printf 42", 0, 0, u"42");
    auto r = call(*obj, u"CheckString", {str(u"0"), vbs::Variant::fromDouble(0.4), num(42)});
    ASSERT_TRUE(r.ok());
    ASSERT_EQ(r.value().type(), vbs::VarType::Boolean);
    EXPECT_TRUE(r.value().boolValue());
}

// --- waiting ------------------------------------------------------------------------------------

TEST_F(ConsoleObjectTest, PauseWaitsSecondsWhateverThePollingPeriod) {
    auto start = std::chrono::steady_clock::now();
    obj->Pause(0);
    obj->Pause(-3);
    EXPECT_LT(secondsSince(start), 0.9);  // no whole second
    start = std::chrono::steady_clock::now();
    obj->Pause(1);
    const double took = secondsSince(start);
    EXPECT_GT(took, 0.95);
    EXPECT_LT(took, 10.0);
}

TEST_F(ConsoleObjectTest, WaitStringChecksOnceWithNoTimeAndWaitsAboutItsSeconds) {
    runAndWait(u"printf here", 0, 0, u"here");
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(obj->WaitString(0, 0, 0, u"there"));
    EXPECT_LT(secondsSince(start), 0.9);  // no whole second
    start = std::chrono::steady_clock::now();
    EXPECT_FALSE(obj->WaitString(1, 0, 0, u"there"));
    const double took = secondsSince(start);
    EXPECT_GT(took, 0.95);
    EXPECT_LT(took, 10.0);
}

TEST_F(ConsoleObjectTest, WaitStringReturnsAsSoonAsDelayedOutputShows) {
    const auto start = std::chrono::steady_clock::now();
    obj->RunCommand(u"sh -c \"sleep 0.5; echo ready\"");
    EXPECT_TRUE(obj->WaitString(60, 0, 0, u"ready"));
    const double took = secondsSince(start);
    EXPECT_GT(took, 0.45);
    EXPECT_LT(took, 30.0);  // against the sixty seconds it was given
}

// With three-second periods, output 300 ms into a wait is seen at the period's end, or at
// once when the session wakes on output; either way a wait for text that never comes
// lasts its whole time. (Periods far longer than the output's delay keep the two apart
// on a loaded machine.)
class WakeOnOutput : public ::testing::TestWithParam<bool> {};

TEST_P(WakeOnOutput, DecidesWhenDelayedOutputIsSeen) {
    const bool wake = GetParam();
    SessionScreenListener listener;
    HostedConsole console{&listener, fastConsole()};
    auto session = std::make_shared<ConsoleSession>(console, ScriptTimings{0ms, 3000ms, wake});
    listener.attach(session);
    auto obj = ZEBConsole::create(session);
    obj->RunCommand(u"sh -c \"sleep 0.3; echo ready; sleep 0.3; echo more\"");
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(obj->WaitString(5, 0, 0, u"ready"));
    const double took = secondsSince(start);
    if (wake) {
        EXPECT_LT(took, 2.5);
    } else {
        EXPECT_GT(took, 2.95);
    }
    start = std::chrono::steady_clock::now();
    EXPECT_FALSE(obj->WaitString(2, 0, 5, u"never"));
    EXPECT_GT(secondsSince(start), 1.95);
}

INSTANTIATE_TEST_SUITE_P(Sessions, WakeOnOutput, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Waking" : "Sleeping"; });

TEST_F(ConsoleObjectTest, StoppedWaitingCutsEveryWaitShort) {
    std::thread stopper([this] {
        std::this_thread::sleep_for(200ms);
        session->stopWaiting();
    });
    session->pacer().setGap(50ms);
    const auto start = std::chrono::steady_clock::now();
    obj->Pause(30);
    EXPECT_FALSE(obj->WaitString(30, 0, 0, u"never"));
    EXPECT_FALSE(obj->CheckWindow(1, 1, 2, 2));
    obj->PutKeys(std::u16string(100000, u'a'));
    obj->PutControl(u"<Up><Up><Up><Up><Up><Up><Up><Up><Up><Up><Up><Up><Up><Up><Up><Up><Up><Up><Up><Up>");
    EXPECT_LT(secondsSince(start), 20.0);  // against waits of 30 s and more
    stopper.join();
    EXPECT_TRUE(console.inputLog().empty() || console.inputLog().size() < 100u);
    session->resumeWaiting();
    session->pacer().setGap(0ms);
    obj->PutKeys(u"xyz");
    ASSERT_GE(console.inputLog().size(), 3u);
    EXPECT_EQ(console.inputLog().back().unicodeChar, u'z');
}

// Each caller (a script run, a bus client's call) has its own stop: stopping one caller's
// typing leaves another caller's typing on the same console alone.
TEST_F(ConsoleObjectTest, ACallersStopEndsOnlyThatCallersTyping) {
    session->pacer().setGap(5ms);
    std::stop_source first, second;
    std::thread a([&] {
        StopScope scope(first.get_token());
        obj->PutKeys(std::u16string(100000, u'a'));
    });
    std::atomic<bool> secondDone{false};
    std::thread b([&] {
        StopScope scope(second.get_token());
        obj->PutKeys(std::u16string(40, u'b'));
        secondDone = true;
    });
    const auto start = std::chrono::steady_clock::now();
    first.request_stop();
    a.join();
    EXPECT_LT(secondsSince(start), 20.0);  // against 100 000 keys 5 ms apart
    b.join();
    EXPECT_TRUE(secondDone.load());
    size_t bs = 0;
    for (const KeyEventRecord& r : console.inputLog())
        bs += r.unicodeChar == u'b';
    EXPECT_EQ(bs, 40u);
}

TEST_F(ConsoleObjectTest, PumpRunsOnlyOnTheMainThread) {
    std::atomic<int> pumps{0};
    session->setMainThreadPump(std::this_thread::get_id(), [&] { ++pumps; });
    obj->Pause(0);
    EXPECT_EQ(pumps.load(), 1);
    std::thread([&] { obj->Pause(0); }).join();
    EXPECT_EQ(pumps.load(), 1);
    obj->IsProcessActive();  // does not pump
    EXPECT_EQ(pumps.load(), 1);
    obj->CheckString(0, 0, u"");
    EXPECT_EQ(pumps.load(), 2);
}

// --- the program under test -------------------------------------------------------------------

TEST_F(ConsoleObjectTest, IsProcessActiveStaysFalseAfterTheProgramExits) {
    obj->RunCommand(u"true");
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (obj->IsProcessActive() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(obj->IsProcessActive());
    EXPECT_FALSE(obj->IsProcessActive());
    obj->KillProcess();  // nothing to kill
    EXPECT_FALSE(obj->IsProcessActive());
}

TEST_F(ConsoleObjectTest, KillProcessEndsAProgramThatIgnoresSignals) {
    runAndWait(helper("qp_stubborn"), 0, 0, u"pids:");
    EXPECT_TRUE(obj->IsProcessActive());
    const auto start = std::chrono::steady_clock::now();
    obj->KillProcess();
    EXPECT_LT(secondsSince(start), 10.0);  // it waits about a second
    EXPECT_FALSE(obj->IsProcessActive());
}

TEST_F(ConsoleObjectTest, RunCommandReturnsThisObjectWhenNothingRuns) {
    auto r = call(*obj, u"RunCommand", {str(u"sleep 5")});
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.value().object(), obj.get());
    EXPECT_TRUE(obj->IsProcessActive());
}

TEST_F(ConsoleObjectTest, RunCommandWhileAProgramRunsNeedsAnotherInstance) {
    obj->RunCommand(u"sleep 5");
    auto r = call(*obj, u"RunCommand", {str(u"true")});
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().number, kUnexpectedFailure);
    EXPECT_EQ(r.error().source, u"QuorviaPallant.ZEBConsole");
    EXPECT_EQ(r.error().description, std::u16string(RemoteConsoleUnavailable.begin(), RemoteConsoleUnavailable.end()));

    auto other = ZEBConsole::create(session);
    session->setRemoteRunner([&](const std::u16string& cmd) -> vbs::ObjectRef {
        EXPECT_EQ(cmd, u"true");
        return other;
    });
    auto again = call(*obj, u"RunCommand", {str(u"true")});
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again.value().object(), other.get());
}

TEST_F(ConsoleObjectTest, AFailedRemoteCallKeepsItsOwnFailureCode) {
    obj->RunCommand(u"sleep 5");
    session->setRemoteRunner([](const std::u16string&) -> vbs::ObjectRef {
        throw FailureCodeError(int32_t(0x80080005), "Server execution failed");
    });
    auto r = call(*obj, u"RunCommand", {str(u"true")});
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().number, int32_t(0x80080005));
    EXPECT_EQ(r.error().description, u"Server execution failed");
}

TEST_F(ConsoleObjectTest, ACommandThatCannotStartIsShownThenAborts) {
    std::vector<std::string> shown;
    session->setErrorBox([&](const std::string& m) { shown.push_back(m); });
    auto r = call(*obj, u"RunCommand", {str(u"/nonexistent/program --flag")});
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().description, u"Operation aborted");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "Can't execute \"/nonexistent/program --flag\"");
}

TEST_F(ConsoleObjectTest, AnOutsideClientGetsTheFailureAtOnceWithoutABox) {
    std::vector<std::string> shown;
    session->setErrorBox([&](const std::string& m) { shown.push_back(m); });
    {
        const OutsideCallScope outside;
        auto r = call(*obj, u"RunCommand", {str(u"/nonexistent/program")});
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().description, u"Can't execute \"/nonexistent/program\"");
        auto app = ZEBConsApp::create(session);
        auto opened = call(*app, u"OpenConsole", {str(u"/nonexistent/other")});
        ASSERT_FALSE(opened.ok());
        EXPECT_EQ(opened.error().description, u"Can't execute \"/nonexistent/other\"");
    }
    EXPECT_TRUE(shown.empty());
    // Out of the outside call, the box is back.
    EXPECT_FALSE(call(*obj, u"RunCommand", {str(u"/nonexistent/program")}).ok());
    EXPECT_EQ(shown.size(), 1u);
}

TEST_F(ConsoleObjectTest, AnObjectWhoseSessionIsGoneFailsCleanly) {
    session.reset();
    auto r = call(*obj, u"IsProcessActive");
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().number, kUnexpectedFailure);
    EXPECT_EQ(r.error().description, u"The console of this object is gone");
}

// --- keys -------------------------------------------------------------------------------------

class RecordingTrace : public ScriptTraceListener {
public:
    void keySent(std::string_view method, std::string_view key) override {
        std::lock_guard lock(m);
        keys.push_back(std::string(method) + " " + std::string(key));
    }
    void checkMade(std::string_view call, bool result, const ScreenSnapshot&) override {
        std::lock_guard lock(m);
        checks.push_back(std::string(call) + (result ? " True" : " False"));
    }
    std::mutex m;
    std::vector<std::string> keys, checks;
};

TEST_F(ConsoleObjectTest, TypedKeysReachTheProgramAndAreTraced) {
    auto trace = std::make_shared<RecordingTrace>();
    session->setTraceListener(trace);
    runAndWait(u"sh -c 'echo go; read line; echo got:$line'", 0, 0, u"go");
    obj->PutKeys(u"a<b>");
    obj->PutControl(u"<Enter> stray <Enter>");
    EXPECT_TRUE(obj->WaitString(5, 0, 2, u"got:a<b>"));
    const std::vector<std::string> expectedKeys = {"PutKeys a", "PutKeys <", "PutKeys b", "PutKeys >",
                                                   "PutControl <Enter>"};
    EXPECT_EQ(trace->keys, expectedKeys);
    ASSERT_FALSE(trace->checks.empty());
    EXPECT_EQ(trace->checks.back(), "WaitString(5, 0, 2, \"got:a<b>\") True");
}

TEST_F(ConsoleObjectTest, ACharacterTheCodePageLacksIsSentAsItsReplacement) {
    obj->PutKeys(std::u16string(1, char16_t(0xD800)));
    const auto log = console.inputLog();
    ASSERT_FALSE(log.empty());
    // '?' where the code page has a default character of its own, U+FFFD under UTF-8.
    EXPECT_TRUE(log.back().unicodeChar == u'?' || log.back().unicodeChar == 0xFFFD) << log.back().unicodeChar;
}

TEST(ConsoleObjectPacing, TenPacedKeysTakeNineGaps) {
    HostedConsole console{nullptr, fastConsole()};
    auto session = std::make_shared<ConsoleSession>(console, ScriptTimings{50ms, 200ms});
    auto obj = ZEBConsole::create(session);
    obj->PutKeys(u"x");  // the first key may wait for the gap after the pacer's start
    const auto start = std::chrono::steady_clock::now();
    obj->PutKeys(u"0123456789");
    EXPECT_GT(secondsSince(start), 0.45);
}

}  // namespace
