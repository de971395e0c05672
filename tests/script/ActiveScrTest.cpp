#include "ScriptTestSupport.h"

#include "script/ActiveScr.h"
#include "vbs/Text.h"
#include "script/ZEBConsApp.h"

#include <atomic>
#include <condition_variable>
#include <thread>

using namespace qp;
using namespace qp::test;

namespace {

std::vector<std::u16string> lines(std::initializer_list<const char16_t*> text) {
    return std::vector<std::u16string>(text.begin(), text.end());
}

// A host with the named item Console over a real console, recording what it shows.
class HostTest : public ConsoleObjectTest {
protected:
    void SetUp() override {
        session->setConsoleObject(obj);
        host.setNamedItems({u"Console"});
        host.setOnGetNamedItem([this](const std::u16string& name, vbs::ObjectRef& o) {
            if (name == u"Console")
                o = session->consoleObject();
        });
        host.setErrorBox([this](const std::u16string& message, const std::u16string& caption) {
            std::lock_guard lock(m_mutex);
            shown.push_back(message);
            captions.push_back(caption);
        });
        host.setMsgBox([this](std::u16string_view text, int, std::u16string_view) {
            std::lock_guard lock(m_mutex);
            boxes.emplace_back(text);
            return 1;
        });
    }
    void TearDown() override { session->clearConsoleObject(); }

    void run(std::initializer_list<const char16_t*> text) {
        host.setLines(lines(text));
        host.RunScript();
    }

    TVBScript host;
    std::mutex m_mutex;
    std::vector<std::u16string> shown, captions, boxes;
};

TEST_F(HostTest, ASyntaxErrorIsShownOnceAndNothingRuns) {
    run({u"MsgBox \"first\"", u"x = 1", u"If Then", u"MsgBox \"last\""});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].substr(0, 9), u"Line: 3 P");
    EXPECT_NE(shown[0].find(u"\r\n"), std::u16string::npos);
    EXPECT_EQ(captions[0], u"Error");
    EXPECT_TRUE(boxes.empty());
    ASSERT_EQ(host.lastErrors().size(), 1u);
    EXPECT_TRUE(host.lastErrors()[0].syntax);
}

TEST_F(HostTest, AnEmptyScriptRunsWithoutAMessage) {
    run({});
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(host.lastOutcome(), vbs::RunOutcome::Completed);
    EXPECT_TRUE(host.Idle());
}

TEST_F(HostTest, AFailedGeneratedCheckIsShownWithLineAndPosition) {
    run({u"x = 1",
         u"If Not Console.CheckString(0, 0, \"absent\") Then",
         u"  Err.Raise 1, \"\", \"Not found string 'absent'\"",
         u"End If",
         u"MsgBox \"not reached\""});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].substr(0, 9), u"Line: 3 P");
    EXPECT_NE(shown[0].find(u"\r\nNot found string 'absent'"), std::u16string::npos);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(host.lastOutcome(), vbs::RunOutcome::Failed);
}

TEST_F(HostTest, AnErrorWithoutDescriptionIsNotShown) {
    run({u"Err.Raise 1, \"\", \"\""});
    EXPECT_TRUE(shown.empty());
    ASSERT_EQ(host.lastErrors().size(), 1u);
}

TEST_F(HostTest, ConsoleMethodsRunAndCheckWindowWorksWithoutThePrefix) {
    run({u"Console.RunCommand \"printf hello\"",
         u"If Not Console.WaitString(5, 0, 0, \"hello\") Then Err.Raise 1, \"\", \"no hello\"",
         u"Console.ReadText 0, 0, 4, 0, text",
         u"MsgBox text",
         u"If Not CheckWindow(0,0,0,0) Then Err.Raise 1, \"\", \"Not found window 0,0,0,0\""});
    EXPECT_TRUE(shown.empty()) << (shown.empty() ? "" : vbs::toUtf8(shown[0]));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], u"hello");
}

TEST_F(HostTest, AMethodsFailureIsARunTimeErrorWithItsDescription) {
    obj->RunCommand(u"sleep 5");
    run({u"On Error Resume Next",
         u"Console.RunCommand \"true\"",
         u"MsgBox Err.Source & \"|\" & Hex(Err.Number)",
         u"On Error GoTo 0",
         u"Console.RunCommand \"true\""});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], u"QuorviaPallant.ZEBConsole|8000FFFF");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].substr(0, 9), u"Line: 5 P");
    EXPECT_NE(shown[0].find(u"already running"), std::u16string::npos);
}

TEST_F(HostTest, TwoRunsDoNotShareVariables) {
    run({u"x = 5"});
    run({u"MsgBox \"[\" & x & \"]\""});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], u"[]");
}

TEST_F(HostTest, AnUnknownNamedItemFailsInGetItemInfoAndInTheScript) {
    host.setNamedItems({u"Console", u"Missing"});
    TActiveScriptSite site(&host);
    vbs::ObjectRef unk(obj);
    const CoClassInfo* info = &ZEBConsAppClass;
    EXPECT_EQ(site.GetItemInfo(u"Missing", kItemInfoObject, &unk, &info), kItemNotFound);
    EXPECT_FALSE(unk);
    EXPECT_EQ(info, nullptr);
    EXPECT_EQ(site.GetItemInfo(u"console", kItemInfoObject, &unk, nullptr), kItemNotFound);
    EXPECT_EQ(site.GetItemInfo(u"Console", kItemInfoObject, &unk, nullptr), kItemFound);
    EXPECT_EQ(unk.get(), obj.get());
    EXPECT_EQ(site.GetItemInfo(u"Console", kItemInfoType, nullptr, &info), kItemFound);
    EXPECT_EQ(info, &ZEBConsoleClass);

    run({u"Missing.Foo"});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].substr(0, 9), u"Line: 1 P");
}

TEST_F(HostTest, WithoutAConsoleObjectTheFirstUseOfConsoleFails) {
    session->clearConsoleObject();
    run({u"x = 1", u"Console.Pause 0"});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].substr(0, 9), u"Line: 2 P");
}

TEST_F(HostTest, IdleAndInterruptFromAnotherThread) {
    EXPECT_TRUE(host.Idle());
    host.Interrupt();  // nothing runs: nothing happens
    host.setLines(lines({u"Console.Pause 0", u"MsgBox \"after the pause\""}));
    host.RunScript();
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(host.lastOutcome(), vbs::RunOutcome::Completed);
}

// The interrupt ends a console call that types or waits at once, and the statement after it
// does not run: typing 100 000 keys 50 ms apart would take 80 minutes, the waits an hour.
struct InterruptCase {
    const char* name;
    const char16_t* statement;
};

class InterruptedCalls : public HostTest, public ::testing::WithParamInterface<InterruptCase> {};

TEST_P(InterruptedCalls, EndAtOnce) {
    session->pacer().setGap(50ms);
    std::mutex mutex;
    std::condition_variable started;
    bool inScript = false;
    host.setMsgBox([&](std::u16string_view text, int, std::u16string_view) {
        std::lock_guard lock(mutex);
        boxes.emplace_back(text);
        inScript = true;
        started.notify_all();
        return 1;
    });
    host.setLines(lines({u"MsgBox \"started\"", GetParam().statement, u"MsgBox \"after the call\""}));
    std::thread worker([this] { host.RunScript(); });
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(started.wait_for(lock, 30s, [&] { return inScript; }));
    }
    EXPECT_FALSE(host.Idle());
    const auto start = std::chrono::steady_clock::now();
    host.Interrupt();
    worker.join();
    EXPECT_LT(secondsSince(start), 20.0);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(host.Idle());
    EXPECT_EQ(host.lastOutcome(), vbs::RunOutcome::Interrupted);
    // The next run is not stopped by the last one's interrupt.
    session->pacer().setGap(0ms);
    run({u"Console.PutKeys \"ab\"", u"Console.Pause 0"});
    EXPECT_EQ(host.lastOutcome(), vbs::RunOutcome::Completed);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, InterruptedCalls,
    ::testing::Values(InterruptCase{"Pause", u"Console.Pause 3600"},
                      InterruptCase{"WaitString", u"Console.WaitString 3600, 0, 0, \"never\""},
                      InterruptCase{"CheckWindow", u"Console.CheckWindow 2, 2, 9, 9"},
                      InterruptCase{"PutKeys", u"Console.PutKeys String(100000, \"a\")"},
                      InterruptCase{"PutControl", u"Console.PutControl Replace(String(100000, \"x\"), \"x\", \"<Up>\")"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScriptErrorMessage, IsLineAndPositionFromOneThenTheDescription) {
    vbs::ScriptError e;
    e.line = 4;
    e.position = 2;
    e.description = u"Not found string 'Hello'";
    EXPECT_EQ(ScriptErrorMessage(e), u"Line: 5 Position: 3\r\nNot found string 'Hello'");
}

}  // namespace
