// Reads that wait for the program's answer, first keys that wait for the program to draw,
// and failed checks called as statements: against real programs in the real pty.
#include "ScriptTestSupport.h"

#include "script/ActiveScr.h"
#include "vbs/Text.h"

#include <mutex>

using namespace qp;
using namespace qp::test;

namespace {

class SettleTest : public ::testing::Test {
protected:
    void make(std::chrono::milliseconds readSettle) {
        session = std::make_shared<ConsoleSession>(console, ScriptTimings{0ms, 20ms, false, readSettle});
        obj = ZEBConsole::create(session);
    }
    HostedConsole console{nullptr, fastConsole()};
    std::shared_ptr<ConsoleSession> session;
    vbs::Ref<ZEBConsole> obj;
};

// The program reads a line and answers after a delay; the check comes right after Enter.
struct AnswerCase {
    const char* name;
    std::chrono::milliseconds settle;
    const char* delay;  // seconds before the answer
    bool seen;
};

class ReadAfterEnter : public SettleTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(ReadAfterEnter, SeesTheAnswerOnlyWhenTheReadSettles) {
    const AnswerCase& c = GetParam();
    make(c.settle);
    const std::string command = std::string("sh -c 'echo go; read l; sleep ") + c.delay + "; echo got:$l'";
    obj->RunCommand(std::u16string(command.begin(), command.end()));
    ASSERT_TRUE(obj->WaitString(10, 0, 0, u"go"));
    obj->PutKeys(u"x");
    obj->PutControl(u"<Enter>");
    EXPECT_EQ(obj->CheckString(0, 2, u"got:x"), c.seen) << vbs::toUtf8(obj->ReadText(0, 0, 79, 3));
}

INSTANTIATE_TEST_SUITE_P(
    Programs, ReadAfterEnter,
    ::testing::Values(AnswerCase{"SettledReadSeesAQuickAnswer", 1500ms, "0.05", true},
                      AnswerCase{"UnsettledReadIsTooEarly", 0ms, "1", false},
                      AnswerCase{"SettleDoesNotWaitForASlowAnswer", 50ms, "1", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettleTest, ReadTextAndCheckRectSettleToo) {
    make(1500ms);
    obj->RunCommand(u"sh -c 'echo go; read l; sleep 0.05; echo one; echo two'");
    ASSERT_TRUE(obj->WaitString(10, 0, 0, u"go"));
    obj->PutControl(u"<Enter>");
    EXPECT_TRUE(obj->CheckRect(0, 2, 2, 3, u"one/two/")) << vbs::toUtf8(obj->ReadText(0, 0, 79, 5));
    obj->KillProcess();
    obj->RunCommand(u"sh -c 'echo go; read l; sleep 0.05; echo three'");
    ASSERT_TRUE(obj->WaitString(10, 0, 0, u"go"));
    obj->PutControl(u"<Enter>");
    EXPECT_EQ(obj->ReadText(0, 2, 9, 2), u"three");
}

TEST_F(SettleTest, AProgramThatNeverGoesQuietIsReadAfterTheBound) {
    make(300ms);  // far longer than the program's pauses, however busy the machine
    obj->RunCommand(u"sh -c 'echo tick; while :; do date +%N; sleep 0.01; done'");
    ASSERT_TRUE(obj->WaitString(10, 0, 0, u"tick"));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(obj->CheckString(0, 0, u"never"));
    const double took = secondsSince(start);
    EXPECT_GT(took, 1.9);
    EXPECT_LT(took, 20.0);
}

TEST_F(SettleTest, AReadRightAfterTheStartWaitsForTheProgramToDraw) {
    make(50ms);
    obj->RunCommand(u"sh -c 'sleep 0.3; echo drawn; sleep 5'");
    EXPECT_TRUE(obj->CheckString(0, 0, u"drawn"));
}

// A program that prints nothing before it reads is ready once it waits for input: the
// first keys do not wait for the bound.
TEST_F(SettleTest, FirstKeysToAProgramThatDrawsNothingWaitOnlyUntilItReads) {
    make(50ms);
    obj->RunCommand(u"sh -c 'read l; echo got:$l; sleep 5'");
    const auto start = std::chrono::steady_clock::now();
    obj->PutKeys(u"x");
    EXPECT_LT(secondsSince(start), 1.9);  // not the whole settle bound of 2 s
    obj->PutControl(u"<Enter>");
    EXPECT_TRUE(obj->CheckString(0, 1, u"got:x"));
}

TEST_F(SettleTest, AStoppedSessionReadsAtOnce) {
    make(50ms);
    obj->RunCommand(u"sh -c 'while :; do date +%N; sleep 0.01; done'");
    session->stopWaiting();
    const auto start = std::chrono::steady_clock::now();
    obj->CheckString(0, 0, u"never");
    EXPECT_LT(secondsSince(start), 1.9);  // not the whole settle bound of 2 s
}

// Keys typed at once after bash starts used to be echoed twice: once by the terminal
// before bash set it up, once by bash's line editor.
TEST_F(SettleTest, FirstKeysWaitUntilBashHasDrawnItsPrompt) {
    make(50ms);
    obj->RunCommand(u"env PS1=$ HOME=/nonexistent bash --norc --noprofile");
    obj->PutKeys(u"echo abc");
    obj->PutControl(u"<Enter>");
    ASSERT_TRUE(obj->WaitString(10, 0, 1, u"abc"));
    EXPECT_EQ(obj->ReadText(0, 0, 79, 1), u"$echo abc/abc/");
}

// --- failed checks as statements ---------------------------------------------------------------

class StatementChecks : public ConsoleObjectTest {
protected:
    void SetUp() override {
        runAndWait(u"printf \"\\nHello Wo\"", 0, 1, u"Hello Wo");
        session->setConsoleObject(obj);
        host.setNamedItems({u"Console"});
        host.setOnGetNamedItem([this](const std::u16string& name, vbs::ObjectRef& o) {
            if (name == u"Console")
                o = session->consoleObject();
        });
        host.setMsgBox([this](std::u16string_view text, int, std::u16string_view) {
            std::lock_guard lock(m_mutex);
            boxes.emplace_back(text);
            return 1;
        });
    }
    void TearDown() override { session->clearConsoleObject(); }

    // The error the script ended with, or an empty text when it completed.
    std::u16string run(const std::u16string& script) {
        host.setLines({script, u"MsgBox \"end\""});
        host.RunScript();
        if (host.lastErrors().empty()) {
            EXPECT_EQ(boxes.size(), 1u);
            return u"";
        }
        const vbs::ScriptError& e = host.lastErrors().front();
        EXPECT_EQ(e.number, ZEBConsole::kFailedCheckError);
        return e.description;
    }

    TVBScript host;
    std::mutex m_mutex;
    std::vector<std::u16string> boxes;
};

struct StatementCase {
    const char* name;
    std::u16string script;
    std::u16string error;  // empty: the script completes
};

class StatementTable : public StatementChecks, public ::testing::WithParamInterface<StatementCase> {};

TEST_P(StatementTable, FailOnlyWhenTheResultIsThrownAway) {
    EXPECT_EQ(run(GetParam().script), GetParam().error);
}

const std::u16string kHelloFailure = u"Not found string 'Hello World' at 0,1; found 'Hello Wo'";

INSTANTIATE_TEST_SUITE_P(
    Forms, StatementTable,
    ::testing::Values(
        StatementCase{"CheckStringStatement", u"Console.CheckString 0, 1, \"Hello World\"", kHelloFailure},
        StatementCase{"CallStatement", u"Call Console.CheckString(0, 1, \"Hello World\")", kHelloFailure},
        StatementCase{"WithoutPrefix", u"CheckString 0, 1, \"Hello World\"", kHelloFailure},
        StatementCase{"WithBlock", u"With Console : .CheckString 0, 1, \"Hello World\" : End With", kHelloFailure},
        StatementCase{"WaitStringStatement", u"Console.WaitString 0, 0, 1, \"Hello World\"", kHelloFailure},
        StatementCase{"CheckRectStatement", u"Console.CheckRect 0, 0, 7, 1, \"x\"",
                      u"Not found string 'x' at 0,0,7,1; found '/Hello Wo/'"},
        StatementCase{"OffTheScreen", u"Console.CheckString 78, 30, \"ab\"",
                      u"Not found string 'ab' at 78,30; found ''"},
        StatementCase{"PassingStatement", u"Console.CheckString 0, 1, \"Hello Wo\"", u""},
        StatementCase{"PassingWindowCheck", u"CheckWindow 0, 0, 0, 0", u""},
        StatementCase{"Assignment", u"x = Console.CheckString(0, 1, \"Hello World\")", u""},
        StatementCase{"Condition", u"If Console.CheckString(0, 1, \"Hello World\") Then MsgBox \"no\"", u""},
        StatementCase{"Operand", u"y = Not Console.WaitString(0, 0, 1, \"Hello World\")", u""},
        StatementCase{"FindStringStatement", u"Console.FindString \"zeta\", x, y",
                      u"Not found string 'zeta' on the screen"},
        StatementCase{"WaitFindStatement", u"Console.WaitFind 0, \"zeta\", x, y",
                      u"Not found string 'zeta' on the screen"},
        StatementCase{"FindPatternStatement", u"Console.FindPattern \"z+\", x, y, m",
                      u"Not found pattern 'z+' on the screen"},
        StatementCase{"WaitPatternStatement", u"WaitPattern 0, \"z+\", x, y, m", u"Not found pattern 'z+' on the screen"},
        StatementCase{"CheckAttrStatement", u"Console.CheckAttr 0, 1, 3, 1, ForeRed, ForeMask",
                      u"Not found attribute &H4 (mask &HF) at 0,1,3,1; found &H7 at 0,1"},
        StatementCase{"CheckAttrOffTheScreen", u"Console.CheckAttr 90, 1, 93, 1, 0, 0",
                      u"Not found attribute &H0 (mask &H0) at 90,1,93,1; not on the screen"},
        StatementCase{"FoundIsNoError", u"Console.FindPattern \"H.llo\", x, y, m : If m <> \"Hello\" Then Err.Raise 1, , \"m\"", u""},
        StatementCase{"ExitedIsNoError", u"Console.WaitExit 5, code : If code <> 0 Then Err.Raise 1, , \"code\"", u""},
        StatementCase{"QuietIsNoError", u"Console.WaitQuiet 10, 5", u""},
        StatementCase{"FindInACondition", u"If Not Console.FindString(\"zeta\", x, y) Then x = 1", u""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StatementChecks, OnErrorResumeNextSeesTheFailure) {
    host.setLines({u"On Error Resume Next", u"Console.CheckString 0, 1, \"Hello World\"",
                   u"MsgBox Err.Number & \"|\" & Err.Description"});
    host.RunScript();
    EXPECT_TRUE(host.lastErrors().empty());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], u"1|" + kHelloFailure);
}

TEST_F(StatementChecks, AStoppedWaitIsNoFailedCheck) {
    session->stopWaiting();
    EXPECT_EQ(run(u"Console.WaitString 3600, 0, 1, \"Hello World\""), u"");
    session->resumeWaiting();
}

TEST_F(StatementChecks, ALenientSessionReturnsFalseInstead) {
    session->setFailedStatementChecksRaise(false);
    EXPECT_EQ(run(u"Console.CheckString 0, 1, \"Hello World\""), u"");
}

TEST_F(StatementChecks, TheErrorIsShownWithItsLine) {
    std::vector<std::u16string> shown;
    host.setErrorBox([&](const std::u16string& message, const std::u16string&) { shown.push_back(message); });
    host.setLines({u"x = 1", u"  Console.CheckString 0, 1, \"Hello World\""});
    host.RunScript();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], u"Line: 2 Position: 3\r\n" + kHelloFailure);
}

}  // namespace
