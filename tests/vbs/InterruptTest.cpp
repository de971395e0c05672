// Interrupt and state() from another thread while a script runs.
#include "TestHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace qp::vbs;
using namespace qp::vbs::test;
using namespace std::chrono_literals;

namespace {

// Waits until pred holds or the time is up.
template <class Pred>
bool waitFor(Pred pred, std::chrono::milliseconds limit)
{
    auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

struct Running {
    explicit Running(std::u16string text) : site(ObjectRef(test = new TestObject)), engine(site)
    {
        engine.addNamedItem(u"Test");
        EXPECT_TRUE(engine.parse(text));
        worker = std::thread([this] { outcome = engine.run(); done = true; });
    }
    ~Running()
    {
        if (worker.joinable())
            worker.join();
    }

    TestObject* test;
    RecordingSite site;
    Engine engine;
    std::atomic<RunOutcome> outcome{RunOutcome::NotParsed};
    std::atomic<bool> done{false};
    std::thread worker;
};

TEST(Interrupt, EndsAnEmptyEndlessLoop)
{
    Running r(u"Do : Loop");
    ASSERT_TRUE(waitFor([&] { return r.engine.state() == EngineState::Connected; }, 60s));
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(r.done);
    r.engine.interrupt();
    ASSERT_TRUE(waitFor([&] { return r.done.load(); }, 60s)) << "the loop did not stop";
    r.worker.join();
    EXPECT_EQ(r.outcome, RunOutcome::Interrupted);
    EXPECT_EQ(r.engine.state(), EngineState::Disconnected);
    EXPECT_TRUE(r.site.errors.empty());
}

TEST(Interrupt, EndsLoopsOfEveryKind)
{
    const char16_t* loops[] = {
        u"While True : Wend",
        u"Do While True : x = x + 1 : Loop",
        u"For i = 1 To 2 Step 0 : Next",
        u"Sub S() : Do : Loop : End Sub : S",
        u"On Error Resume Next : Do : x = 1 / 0 : Loop",
    };
    for (const char16_t* text : loops) {
        Running r(text);
        ASSERT_TRUE(waitFor([&] { return r.engine.state() == EngineState::Connected; }, 60s));
        r.engine.interrupt();
        ASSERT_TRUE(waitFor([&] { return r.done.load(); }, 60s)) << qp::vbs::test::narrow(text);
        r.worker.join();
        EXPECT_EQ(r.outcome, RunOutcome::Interrupted);
    }
}

TEST(Interrupt, DoesNotBreakIntoAHostMethod)
{
    Running r(u"HostWait 300\nMsgBox \"after the wait\"");
    ASSERT_TRUE(waitFor([&] { return r.test->calls.load() > 0; }, 60s));
    r.engine.interrupt();
    ASSERT_TRUE(waitFor([&] { return r.done.load(); }, 60s));
    r.worker.join();
    EXPECT_EQ(r.test->waitsEnded.load(), 1) << "the method ran to its end";
    EXPECT_EQ(r.outcome, RunOutcome::Interrupted);
    EXPECT_TRUE(r.site.output.empty()) << "no statement ran after the method returned";
}

TEST(Interrupt, StateIsReadableWhileRunning)
{
    Running r(u"For i = 1 To 200000 : x = x & \"\" : Next");
    int polls = 0;
    while (!r.done) {
        EngineState s = r.engine.state();
        EXPECT_TRUE(s == EngineState::Started || s == EngineState::Connected || s == EngineState::Disconnected);
        ++polls;
    }
    r.worker.join();
    EXPECT_GT(polls, 0);
    EXPECT_EQ(r.outcome, RunOutcome::Completed);
}

}  // namespace
