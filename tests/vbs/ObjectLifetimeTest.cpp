// Script objects under hostile use: long chains released at once, texts that run themselves,
// Class_Terminate that fails or keeps its object, instances a host keeps after the run.
#include "vbs/Classes.h"
#include "TestHost.h"

#include <gtest/gtest.h>

using namespace qp::vbs;
using namespace qp::vbs::test;

namespace {

int onlyErrorNumber(const RunResult& r)
{
    EXPECT_EQ(r.errors.size(), 1u);
    return r.errors.empty() ? 0 : r.errors[0].number;
}

const char16_t* kNode = u"Class Node\n"
                        u"    Public NextNode\n"
                        u"    Private Sub Class_Terminate()\n"
                        u"        released = released + 1\n"
                        u"    End Sub\n"
                        u"End Class\n";

TEST(ObjectLifetime, LongChainsAreReleasedWithoutExhaustingTheStack)
{
    // A list of 300 000 instances let go with one statement, with and without Terminate.
    for (bool terminate : {true, false}) {
        std::u16string text = terminate ? kNode : u"Class Node\n    Public NextNode\nEnd Class\n";
        text += u"Set head = Nothing\n"
                u"For i = 1 To 300000\n"
                u"    Set n = New Node\n"
                u"    Set n.NextNode = head\n"
                u"    Set head = n\n"
                u"Next\n"
                u"Set n = Nothing\n"
                u"Set head = Nothing\n"
                u"MsgBox released\n";
        RunResult r = runScript(text);
        EXPECT_TRUE(r.errors.empty());
        ASSERT_EQ(r.output.size(), 1u);
        EXPECT_EQ(r.output[0], terminate ? u"300000" : u"");
    }
}

TEST(ObjectLifetime, TextsThatRunThemselvesEndWithOutOfStackSpace)
{
    const char16_t* cases[] = {
        u"s = \"Execute s\"\nExecute s\n",
        u"s = \"ExecuteGlobal s\"\nExecuteGlobal s\n",
        u"s = \"Eval(s)\"\nx = Eval(s)\n",
        u"Sub R()\n    Execute \"R\"\nEnd Sub\nR\n",
    };
    for (const char16_t* text : cases) {
        RunResult r = runScript(text);
        EXPECT_EQ(onlyErrorNumber(r), 28) << narrow(text);
    }
}

TEST(ObjectLifetime, TerminateThatFailsOrKeepsItsObjectRunsOnce)
{
    RunResult r = runScript(u"Class Stubborn\n"
                            u"    Private Sub Class_Terminate()\n"
                            u"        count = count + 1\n"
                            u"        Set keeper = Me\n"
                            u"        Err.Raise 5\n"
                            u"    End Sub\n"
                            u"End Class\n"
                            u"Set s = New Stubborn\n"
                            u"Set s = Nothing\n"
                            u"MsgBox count & \" \" & TypeName(keeper) & \" \" & Err.Number\n"
                            u"Set keeper = Nothing\n"
                            u"MsgBox count\n");
    EXPECT_TRUE(r.errors.empty());
    EXPECT_EQ(r.output, (std::vector<std::u16string>{u"1 Stubborn 0", u"1"})) << "the error is dropped";
}

TEST(ObjectLifetime, AFailedRunRunsNoTerminate)
{
    RunResult r = runScript(u"Class Loud\n"
                            u"    Private Sub Class_Terminate() : MsgBox \"bye\" : End Sub\n"
                            u"End Class\n"
                            u"Set a = New Loud\n"
                            u"x = 1 / 0\n");
    EXPECT_EQ(onlyErrorNumber(r), 11);
    EXPECT_TRUE(r.output.empty());
}

TEST(ObjectLifetime, AnInstanceTheHostKeepsOutlivesTheRunSafely)
{
    // The host's HostValue property keeps the instance after the engine is gone.
    auto test = ObjectRef(new TestObject);
    RecordingSite site(test);
    {
        Engine engine(site);
        engine.addNamedItem(u"Test");
        ASSERT_TRUE(engine.parse(u"Class Kept\n"
                                 u"    Public Value\n"
                                 u"    Private Sub Class_Terminate() : MsgBox \"bye\" : End Sub\n"
                                 u"End Class\n"
                                 u"Set k = New Kept\n"
                                 u"k.Value = 5\n"
                                 u"Set HostValue = k\n"));
        EXPECT_EQ(engine.run(), RunOutcome::Completed);
        engine.close();
    }
    Args none;
    Result<Variant> held = test->invoke(test->dispId(u"HostValue"), InvokeKind::PropertyGet, none);
    ASSERT_TRUE(held.ok());
    ASSERT_TRUE(held.value().isObject());
    Object* kept = held.value().object();
    EXPECT_EQ(kept->typeName(), u"Kept");
    EXPECT_EQ(kept->dispId(u"Value"), kDispIdUnknown) << "the run is over: nothing answers";
    EXPECT_FALSE(kept->invoke(kDispIdValue, InvokeKind::PropertyGet, none).ok());
    EXPECT_TRUE(site.output.empty()) << "no Terminate once the run has ended";
}

TEST(ObjectLifetime, ErrorsCarryTheChainThroughClassMembersAndTexts)
{
    RunResult r = runScript(u"Class Box\n"
                            u"    Public Sub Check(v)\n"
                            u"        Execute \"x = 1 / v\"\n"
                            u"    End Sub\n"
                            u"End Class\n"
                            u"Set b = New Box\n"
                            u"b.Check 0\n");
    ASSERT_EQ(r.errors.size(), 1u);
    const ScriptError& e = r.errors[0];
    EXPECT_EQ(e.number, 11);
    EXPECT_EQ(e.line, 2) << "the host's position is the statement that ran the text";
    ASSERT_EQ(e.calls.size(), 3u);
    EXPECT_EQ(e.calls[0].procedure, u"Execute");
    EXPECT_EQ(e.calls[0].line, 0);
    EXPECT_EQ(e.calls[1].procedure, u"Box.Check");
    EXPECT_EQ(e.calls[1].line, 2);
    EXPECT_EQ(e.calls[2].procedure, u"");
    EXPECT_EQ(e.calls[2].line, 6);
}

}  // namespace
