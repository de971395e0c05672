// The engine as a host drives it: named items, lifecycle and state, error reports.
#include "TestHost.h"

#include <gtest/gtest.h>

using namespace qp::vbs;
using namespace qp::vbs::test;

namespace {

TEST(Host, NamedItemIsAskedForOnceWhenFirstUsed)
{
    RecordingSite site(ObjectRef(new TestObject));
    Engine engine(site);
    engine.addNamedItem(u"Test");
    ASSERT_TRUE(engine.parse(u"x = 1\r\nMsgBox Test.HostEcho(1) & HostEcho(2)\r\nTest.HostValue = 3\r\n"));
    EXPECT_TRUE(site.asked.empty()) << "nothing is asked before the script runs";
    EXPECT_EQ(engine.run(), RunOutcome::Completed);
    EXPECT_EQ(site.asked, std::vector<std::u16string>{u"Test"});
    EXPECT_EQ(site.output, std::vector<std::u16string>{u"12"});
}

TEST(Host, UnknownNamedItemFailsAtItsFirstUse)
{
    RecordingSite site;  // knows no object at all, like a process without a console object
    Engine engine(site);
    engine.addNamedItem(u"Console");
    ASSERT_TRUE(engine.parse(u"MsgBox \"before\"\n  Console.PutKeys \"dir\"\nMsgBox \"after\"\n"));
    EXPECT_EQ(engine.run(), RunOutcome::Failed);
    EXPECT_EQ(site.output, std::vector<std::u16string>{u"before"});
    ASSERT_EQ(site.errors.size(), 1u);
    EXPECT_EQ(site.errors[0].number, 424);
    EXPECT_EQ(site.errors[0].line, 1);
    EXPECT_EQ(site.errors[0].position, 2);
    EXPECT_FALSE(site.errors[0].syntax);
}

TEST(Host, BareNameWithoutContextObjectIsAnImplicitVariable)
{
    RecordingSite site;
    Engine engine(site);
    engine.addNamedItem(u"Console");
    ASSERT_TRUE(engine.parse(u"CheckWindow = 4\nMsgBox CheckWindow\n"));
    EXPECT_EQ(engine.run(), RunOutcome::Completed);
    EXPECT_EQ(site.output, std::vector<std::u16string>{u"4"});
}

TEST(Host, SyntaxErrorIsReportedOnceAndNothingRuns)
{
    RunResult r = runScript(u"MsgBox 1\nMsgBox 2\nIf Then\n");
    EXPECT_FALSE(r.parsed);
    EXPECT_TRUE(r.output.empty());
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_TRUE(r.errors[0].syntax);
    EXPECT_EQ(r.errors[0].line, 2);
    EXPECT_EQ(r.errors[0].number, 1023);
    EXPECT_EQ(r.errors[0].source, u"VBScript compilation error");
    EXPECT_EQ(r.errors[0].description, u"Expected expression");
}

TEST(Host, EmptyScriptRunsWithoutMessages)
{
    for (std::u16string_view text : {u"", u"\r\n", u"' only a comment", u"   \r\n\r\n  "}) {
        RunResult r = runScript(text);
        EXPECT_TRUE(r.parsed);
        EXPECT_EQ(r.outcome, RunOutcome::Completed);
        EXPECT_TRUE(r.errors.empty());
        EXPECT_TRUE(r.output.empty());
    }
}

TEST(Host, StatesFollowTheLifecycle)
{
    auto* test = new TestObject;
    ObjectRef keep(test);
    RecordingSite site2(keep);
    Engine engine(site2);
    EngineState during = EngineState::Closed;
    test->onWait = [&] { during = engine.state(); };
    EXPECT_EQ(engine.state(), EngineState::Initialized);
    engine.addNamedItem(u"Test");
    ASSERT_TRUE(engine.parse(u"HostWait 0"));
    EXPECT_EQ(engine.state(), EngineState::Started);
    EXPECT_EQ(engine.run(), RunOutcome::Completed);
    EXPECT_EQ(during, EngineState::Connected);
    EXPECT_EQ(engine.state(), EngineState::Disconnected);
    engine.close();
    EXPECT_EQ(engine.state(), EngineState::Closed);
    EXPECT_EQ(engine.run(), RunOutcome::NotParsed);
}

TEST(Host, RunWithoutParseDoesNothing)
{
    RecordingSite site;
    Engine engine(site);
    EXPECT_EQ(engine.run(), RunOutcome::NotParsed);
    RunResult r = runScript(u"x = ");
    EXPECT_EQ(r.outcome, RunOutcome::NotParsed);
}

TEST(Host, TwoRunsDoNotShareVariables)
{
    RunResult first = runScript(u"Dim x : x = 5 : y = 6 : MsgBox x + y");
    EXPECT_EQ(first.output, std::vector<std::u16string>{u"11"});
    RunResult second = runScript(u"MsgBox IsEmpty(x) & IsEmpty(y)");
    EXPECT_EQ(second.output, std::vector<std::u16string>{u"TrueTrue"});
}

TEST(Host, HostErrorKeepsItsSourceAndDescription)
{
    RunResult r = runScript(u"\n HostFail 77, \"it broke\"");
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_EQ(r.errors[0].number, 77);
    EXPECT_EQ(r.errors[0].source, u"Test.Host");
    EXPECT_EQ(r.errors[0].description, u"it broke");
    EXPECT_EQ(r.errors[0].line, 1);
    EXPECT_EQ(r.errors[0].position, 1);
}

TEST(Host, RuntimeErrorsCarryTheRuntimeSource)
{
    RunResult r = runScript(u"x = 1 / 0");
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_EQ(r.errors[0].source, u"VBScript runtime error");
    EXPECT_EQ(r.outcome, RunOutcome::Failed);
}

TEST(Host, ItemWithGlobalMembersIsReachedByBareNames)
{
    RecordingSite site(ObjectRef(new TestObject));
    Engine engine(site);
    engine.addNamedItem(u"Other");  // the context item, unknown to the site
    engine.addNamedItem(u"Test", true);
    ASSERT_TRUE(engine.parse(u"MsgBox HostEcho(\"global member\")"));
    EXPECT_EQ(engine.run(), RunOutcome::Completed);
    EXPECT_EQ(site.output, std::vector<std::u16string>{u"global member"});
}

TEST(Host, InterruptBeforeRunEndsAtTheFirstStatement)
{
    RecordingSite site;
    Engine engine(site);
    ASSERT_TRUE(engine.parse(u"MsgBox 1\nMsgBox 2"));
    engine.interrupt();
    EXPECT_EQ(engine.run(), RunOutcome::Interrupted);
    EXPECT_TRUE(site.output.empty());
    EXPECT_TRUE(site.errors.empty()) << "an interruption is no error";
}

TEST(Host, StepBudgetEndsAnEndlessLoop)
{
    EngineLimits limits;
    limits.stepBudget = 10000;
    RunResult r = runScript(u"Do : Loop", limits);
    EXPECT_EQ(r.outcome, RunOutcome::Interrupted);
    r = runScript(u"Do\nx = x + 1\nLoop Until False", limits);
    EXPECT_EQ(r.outcome, RunOutcome::Interrupted);
}

TEST(Host, OnErrorResumeNextDoesNotSwallowTheInterruption)
{
    EngineLimits limits;
    limits.stepBudget = 1000;
    RunResult r = runScript(u"On Error Resume Next\nDo\nx = 1 / 0\nLoop", limits);
    EXPECT_EQ(r.outcome, RunOutcome::Interrupted);
    EXPECT_TRUE(r.errors.empty());
}

TEST(Host, MsgBoxPassesButtonsAndTitle)
{
    struct Site : RecordingSite {
        int msgBox(std::u16string_view text, int buttons, std::u16string_view title) override
        {
            seen.push_back(std::u16string(text) + u"|" + std::u16string(title) + u"|" + (buttons == 4 ? u"4" : u"?"));
            return 7;  // vbNo
        }
        std::vector<std::u16string> seen;
    } site;
    Engine engine(site);
    ASSERT_TRUE(engine.parse(u"r = MsgBox(\"Go on?\", vbYesNo, \"Question\")\nIf r = vbNo Then MsgBox \"no\", 4\n"));
    engine.run();
    EXPECT_EQ(site.seen, (std::vector<std::u16string>{u"Go on?|Question|4", u"no|VBScript|4"}));
}

TEST(Host, InputBoxAsksTheSite)
{
    struct Site : RecordingSite {
        Variant inputBox(std::u16string_view prompt, std::u16string_view title, std::u16string_view initial) override
        {
            return Variant::fromString(std::u16string(prompt) + u"/" + std::u16string(title) + u"/" + std::u16string(initial));
        }
    } site;
    Engine engine(site);
    ASSERT_TRUE(engine.parse(u"MsgBox InputBox(\"Name?\", \"T\", \"x\")\nMsgBox InputBox(\"P\")"));
    engine.run();
    EXPECT_EQ(site.output, (std::vector<std::u16string>{u"Name?/T/x", u"P/VBScript/"}));
}

}  // namespace

namespace {

// The chain of calls at a run-time error: each procedure with the statement running in it,
// innermost first, ending with the global code.
TEST(Host, RunTimeErrorCarriesTheChainOfCalls)
{
    RunResult r = runScript(u"Sub Inner(x)\n"
                            u"    Dim y\n"
                            u"    y = 1\n"
                            u"      y = x / 0\n"
                            u"End Sub\n"
                            u"Function Middle()\n"
                            u"    Middle = 1\n"
                            u"    Inner 5\n"
                            u"End Function\n"
                            u"MsgBox \"start\"\n"
                            u"  z = Middle()\n");
    ASSERT_EQ(r.errors.size(), 1u);
    const ScriptError& e = r.errors[0];
    EXPECT_EQ(e.number, 11);
    EXPECT_EQ(e.line, 3);
    EXPECT_EQ(e.position, 6);
    struct Want {
        const char16_t* name;
        int line, position;
    };
    const Want want[] = {{u"Inner", 3, 6}, {u"Middle", 7, 4}, {u"", 10, 2}};
    ASSERT_EQ(e.calls.size(), std::size(want));
    for (size_t i = 0; i < e.calls.size(); ++i) {
        EXPECT_EQ(e.calls[i].procedure, want[i].name) << i;
        EXPECT_EQ(e.calls[i].line, want[i].line) << i;
        EXPECT_EQ(e.calls[i].position, want[i].position) << i;
    }
}

TEST(Host, ErrorHandledInACallerLeavesNoChainBehind)
{
    // The first error is absorbed by the caller's handler; the reported one has its own chain.
    RunResult r = runScript(u"Sub Fails()\n"
                            u"    Err.Raise 5\n"
                            u"End Sub\n"
                            u"On Error Resume Next\n"
                            u"Fails\n"
                            u"On Error GoTo 0\n"
                            u"Err.Raise 9\n");
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_EQ(r.errors[0].number, 9);
    ASSERT_EQ(r.errors[0].calls.size(), 1u);
    EXPECT_EQ(r.errors[0].calls[0].procedure, u"");
    EXPECT_EQ(r.errors[0].calls[0].line, 6);
}

TEST(Host, SyntaxErrorHasNoChain)
{
    RunResult r = runScript(u"If Then\n");
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_TRUE(r.errors[0].calls.empty());
}

}  // namespace

namespace {

// A host method learns which statement called it: the innermost procedure's, and the
// caller's again once the procedure has returned.
TEST(Host, CurrentStatementLineIsTheCallingStatement)
{
    auto* test = new TestObject;
    std::vector<int> seen;
    test->onWait = [&] { seen.push_back(CurrentStatementLine()); };
    RecordingSite site{ObjectRef(test)};
    {
        Engine engine(site);
        engine.addNamedItem(u"Test");
        ASSERT_TRUE(engine.parse(u"Sub Helper()\n"
                                 u"    Test.HostWait 0\n"
                                 u"End Sub\n"
                                 u"Test.HostWait 0\n"
                                 u"If Test.HostEcho(1) = 1 Then\n"
                                 u"    Helper\n"
                                 u"End If\n"
                                 u"Call Helper : Test.HostWait 0\n"));
        EXPECT_EQ(engine.run(), RunOutcome::Completed);
        engine.close();
    }
    EXPECT_EQ(seen, (std::vector<int>{3, 1, 1, 7}));
    EXPECT_EQ(CurrentStatementLine(), -1);
}

}  // namespace
