// Cancellable waits: a wait ends on its condition, its deadline, or any stop that concerns
// it (the caller's, one it was given, one linked to either), never later.

#include "console/Cancellation.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

using namespace qp;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// What happens 100 ms into a wait of up to 30 s, from another thread.
struct WaitCase {
    const char* name;
    bool callerScope;  // the waiting thread runs under a caller stop
    bool givenStop;    // the wait is given a stop of its own
    // Acts from the other thread; the sources are the caller's and the given one.
    std::function<void(std::stop_source& caller, std::stop_source& given, WaitPoint& point,
                       std::atomic<bool>& ready)>
        act;
    WaitEnd expected;
};

class WaitEnds : public ::testing::TestWithParam<WaitCase> {};

TEST_P(WaitEnds, AtOnceForWhatConcernsIt) {
    const WaitCase& c = GetParam();
    std::stop_source caller, given;
    WaitPoint point;
    std::atomic<bool> ready{false};
    std::thread other([&] {
        std::this_thread::sleep_for(100ms);
        c.act(caller, given, point, ready);
    });
    const auto start = Clock::now();
    WaitEnd end;
    {
        std::optional<StopScope> scope;
        if (c.callerScope)
            scope.emplace(caller.get_token());
        const std::stop_token none;
        end = point.waitUntil(Clock::now() + (c.expected == WaitEnd::TimedOut ? 1s : 30s),
                              {c.givenStop ? given.get_token() : none}, [&] { return ready.load(); });
    }
    other.join();
    EXPECT_EQ(end, c.expected);
    EXPECT_LT(secondsSince(start), 15.0);  // against waits of 30 s
}

INSTANTIATE_TEST_SUITE_P(
    Waits, WaitEnds,
    ::testing::Values(
        WaitCase{"ConditionAfterNotify", false, false,
                 [](auto&, auto&, WaitPoint& p, auto& ready) { ready = true; p.notify(); }, WaitEnd::Ready},
        WaitCase{"CallersStop", true, false, [](auto& caller, auto&, auto&, auto&) { caller.request_stop(); },
                 WaitEnd::Stopped},
        WaitCase{"GivenStop", false, true, [](auto&, auto& given, auto&, auto&) { given.request_stop(); },
                 WaitEnd::Stopped},
        WaitCase{"GivenStopUnderACallerScope", true, true,
                 [](auto&, auto& given, auto&, auto&) { given.request_stop(); }, WaitEnd::Stopped},
        WaitCase{"AnotherCallersStopDoesNotConcernIt", false, true,
                 [](auto& caller, auto&, auto&, auto&) { caller.request_stop(); }, WaitEnd::TimedOut},
        WaitCase{"NotifyWithoutTheConditionKeepsWaiting", false, false,
                 [](auto&, auto&, WaitPoint& p, auto&) { p.notify(); }, WaitEnd::TimedOut}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Cancellation, AStopRequestedBeforeTheWaitEndsItWithoutWaiting) {
    std::stop_source caller;
    caller.request_stop();
    StopScope scope(caller.get_token());
    WaitPoint point;
    const auto start = Clock::now();
    EXPECT_EQ(point.waitUntil(Clock::now() + 30s, {}, [] { return false; }), WaitEnd::Stopped);
    EXPECT_FALSE(point.sleepUntil(Clock::now() + 30s));
    EXPECT_TRUE(StopRequested());
    EXPECT_LT(secondsSince(start), 15.0);  // against waits of 30 s
}

TEST(Cancellation, TheConditionWinsOverAStopThatCameFirst) {
    std::stop_source given;
    given.request_stop();
    WaitPoint point;
    EXPECT_EQ(point.waitUntil(Clock::now() + 30s, {given.get_token()}, [] { return true; }), WaitEnd::Ready);
}

TEST(Cancellation, ScopesNestAndRestoreTheOuterCaller) {
    std::stop_source outer, inner;
    EXPECT_FALSE(CurrentStop().stop_possible());
    {
        StopScope a(outer.get_token());
        {
            StopScope b(inner.get_token());
            inner.request_stop();
            EXPECT_TRUE(StopRequested());
        }
        EXPECT_FALSE(StopRequested());
        outer.request_stop();
        EXPECT_TRUE(StopRequested());
    }
    EXPECT_FALSE(StopRequested());
}

TEST(Cancellation, ALinkForwardsAStopOnlyWhileItLives) {
    std::stop_source from, to;
    { StopLink link(from.get_token(), to); }
    from.request_stop();
    EXPECT_FALSE(to.stop_requested());

    std::stop_source from2, to2;
    StopLink link(from2.get_token(), to2);
    from2.request_stop();
    EXPECT_TRUE(to2.stop_requested());

    std::stop_source stopped, to3;
    stopped.request_stop();
    StopLink late(stopped.get_token(), to3);  // already stopped: forwarded at once
    EXPECT_TRUE(to3.stop_requested());
}

TEST(Cancellation, ManyWaitersOnOnePointAllEndOnTheirCallersStop) {
    WaitPoint point;
    std::stop_source caller;
    std::vector<std::thread> waiters;
    std::atomic<int> stopped{0};
    for (int i = 0; i < 8; ++i)
        waiters.emplace_back([&] {
            StopScope scope(caller.get_token());
            if (point.waitUntil(Clock::now() + 30s, {}, [] { return false; }) == WaitEnd::Stopped)
                ++stopped;
        });
    const auto start = Clock::now();
    std::this_thread::sleep_for(50ms);
    caller.request_stop();
    for (auto& t : waiters)
        t.join();
    EXPECT_EQ(stopped.load(), 8);
    EXPECT_LT(secondsSince(start), 15.0);  // against waits of 30 s
}

}  // namespace
