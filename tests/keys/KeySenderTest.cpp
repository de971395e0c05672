#include "console/Cancellation.h"
#include "console/Errors.h"
#include "keys/KeyPacer.h"
#include "keys/KeySender.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <thread>
#include <vector>

using namespace qp;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// Collects what the sender writes, and fails the write numbered failAt (1-based) the way the
// console fails when its terminal is gone.
struct RecordLog {
    std::mutex mutex;
    std::vector<KeyEventRecord> records;
    int failAt = 0;
    int writes = 0;
    KeySender::RecordWriter writer()
    {
        return [this](const KeyEventRecord& r) {
            std::lock_guard lock(mutex);
            if (++writes == failAt)
                throw ConsoleError(EIO);
            records.push_back(r);
        };
    }
    std::u16string characters()
    {
        std::u16string s;
        for (const auto& r : records)
            s += char16_t(r.unicodeChar);
        return s;
    }
};

}  // namespace

TEST(KeyPacer, TenPacedKeysTakeNineGaps)
{
    KeyPacer pacer;
    RecordLog log;
    KeySender sender(log.writer(), pacer);
    const auto start = Clock::now();
    sender.putKeys("0123456789");
    const auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, 450ms);
    EXPECT_LT(elapsed, 20s);
    EXPECT_EQ(log.characters(), u"0123456789");
}

TEST(KeyPacer, AKeyLongAfterTheLastIsNotDelayed)
{
    KeyPacer pacer(50ms);
    std::this_thread::sleep_for(70ms);
    const auto before = Clock::now();
    pacer.PaceKeys();
    const auto after = Clock::now();
    EXPECT_GE(pacer.LastKeyTime(), before);
    EXPECT_LE(pacer.LastKeyTime(), after);
}

TEST(KeyPacer, TheFirstKeyWaitsForTheGapAfterCreation)
{
    const auto created = Clock::now();
    KeyPacer pacer(80ms);
    pacer.PaceKeys();
    EXPECT_GE(Clock::now() - created, 80ms);
}

TEST(KeyPacer, NoGapMeansNoWait)
{
    KeyPacer pacer(0ms);
    for (int i = 0; i < 100; ++i) {
        pacer.PaceKeys();
        EXPECT_LE(pacer.LastKeyTime(), Clock::now());
    }
    pacer.setGap(-5ms);
    EXPECT_EQ(pacer.gap(), 0ms);
    pacer.setGap(20ms);
    EXPECT_EQ(pacer.gap(), 20ms);
}

TEST(KeyPacer, TwoThreadsShareTheGap)
{
    KeyPacer pacer(50ms);
    std::mutex mutex;
    std::vector<Clock::time_point> turns;
    const auto start = Clock::now();
    auto paceFive = [&] {
        for (int i = 0; i < 5; ++i) {
            pacer.PaceKeys();
            std::lock_guard lock(mutex);
            turns.push_back(pacer.LastKeyTime());
        }
    };
    std::thread a(paceFive), b(paceFive);
    a.join();
    b.join();
    EXPECT_GE(Clock::now() - start, 450ms);
    ASSERT_EQ(turns.size(), 10u);
}

TEST(KeySender, PutKeysSendsOneKeyPerCharacter)
{
    KeyPacer pacer(0ms);
    RecordLog log;
    KeySender sender(log.writer(), pacer);
    sender.putKeys("a<b>+\xC3\xA9\r");
    EXPECT_EQ(log.characters(), u"a<b>+\u00E9\r");
    for (const auto& r : log.records)
        EXPECT_EQ(r.controlKeyState, 0u);
}

TEST(KeySender, PutKeysWalksHostileText)
{
    KeyPacer pacer(0ms);
    RecordLog log;
    KeySender sender(log.writer(), pacer);
    sender.putKeys(std::string("\0\xFF\xC3", 3) + "\xF0\x9F\x98\x80");
    EXPECT_EQ(log.characters(), std::u16string(u"\0\uFFFD\uFFFD", 3) + u"\U0001F600");
}

TEST(KeySender, PutControlSendsEachGroup)
{
    KeyPacer pacer(0ms);
    RecordLog log;
    KeySender sender(log.writer(), pacer);
    sender.putControl("<Up><Up><Enter>");
    ASSERT_EQ(log.records.size(), 3u);
    EXPECT_EQ(log.records[2].virtualKeyCode, 0x0D);
    log.records.clear();
    sender.putControl("<Up> <Enter>");
    EXPECT_EQ(log.records.size(), 1u);
    log.records.clear();
    for (const char* nothing : {"Enter", "x<Up>", "<Enter", "<<Enter>", "<>", "<Num 5>", "<Shift++>"})
        sender.putControl(nothing);
    EXPECT_TRUE(log.records.empty());
}

TEST(KeySender, EmptyAndUnknownGroupsAreStillPaced)
{
    KeyPacer pacer(50ms);
    RecordLog log;
    KeySender sender(log.writer(), pacer);
    const auto start = Clock::now();
    sender.putControl("<><Hyper><><><Num 5><><><><><>");
    EXPECT_GE(Clock::now() - start, 450ms);
    EXPECT_TRUE(log.records.empty());
}

TEST(KeySender, AFailedWriteStopsTheRest)
{
    KeyPacer pacer(0ms);
    RecordLog log;
    log.failAt = 3;
    KeySender sender(log.writer(), pacer);
    EXPECT_THROW(sender.putKeys("abcdef"), ConsoleError);
    EXPECT_EQ(log.characters(), u"ab");

    RecordLog control;
    control.failAt = 2;
    KeySender controlSender(control.writer(), pacer);
    try {
        controlSender.putControl("<F1><F2><F3>");
        FAIL() << "no error";
    } catch (const ConsoleError& e) {
        EXPECT_EQ(e.code(), EIO);
        EXPECT_EQ(std::string(e.what()).rfind("Win32 Error.  Code: ", 0), 0u);
    }
    ASSERT_EQ(control.records.size(), 1u);
    EXPECT_EQ(control.records[0].virtualKeyCode, 0x70);
}

TEST(KeySender, UnpacedSendsLeaveTheLastKeyTimeAlone)
{
    KeyPacer pacer(50ms);
    RecordLog log;
    KeySender sender(log.writer(), pacer);
    const auto last = pacer.LastKeyTime();
    sender.SendChar('x');
    sender.SendKeyCombo("Ctrl+C");
    sender.SendKeyCombo("Hyper");
    EXPECT_EQ(pacer.LastKeyTime(), last);
    EXPECT_EQ(log.records.size(), 2u);
}

TEST(KeySender, ASurrogatePairIsNeverSplitByAnotherThread)
{
    KeyPacer pacer(0ms);
    RecordLog log;
    KeySender script(log.writer(), pacer), user(log.writer(), pacer);
    std::thread a([&] {
        for (int i = 0; i < 2000; ++i)
            script.SendChar(U'\U0001F600');
    });
    std::thread b([&] {
        for (int i = 0; i < 2000; ++i)
            user.SendKeyCombo("Enter");
    });
    a.join();
    b.join();
    ASSERT_EQ(log.records.size(), 6000u);
    for (size_t i = 0; i < log.records.size(); ++i)
        if (log.records[i].unicodeChar == 0xD83D) {
            ASSERT_LT(i + 1, log.records.size());
            EXPECT_EQ(log.records[i + 1].unicodeChar, 0xDE00) << "at " << i;
        }
}

// A stop ends paced typing at once, whichever way it reaches the sender, and nothing after it
// is sent: 100 000 keys 50 ms apart would take 80 minutes.
struct StopCase {
    const char* name;
    bool control;     // putControl instead of putKeys
    bool stopBefore;  // the caller's stop is requested before typing starts
};

class PacedTypingStops : public ::testing::TestWithParam<StopCase> {};

TEST_P(PacedTypingStops, AtOnceOnTheCallersStop)
{
    const StopCase& c = GetParam();
    KeyPacer pacer(50ms);
    RecordLog log;
    KeySender sender(log.writer(), pacer);
    std::stop_source caller;
    if (c.stopBefore)
        caller.request_stop();
    // The stop comes once the typing is under way (its first key sent), however slowly the
    // machine gets there.
    std::atomic<bool> typed{false};
    std::thread stopper([&] {
        for (;;) {
            {
                std::lock_guard lock(log.mutex);
                if (typed || !log.records.empty())
                    break;
            }
            std::this_thread::sleep_for(1ms);
        }
        caller.request_stop();
    });
    const auto start = Clock::now();
    {
        StopScope scope(caller.get_token());
        std::string text;
        for (int i = 0; i < 100000; ++i)
            text += c.control ? "<Up>" : "a";
        c.control ? sender.putControl(text) : sender.putKeys(text);
    }
    const auto took = Clock::now() - start;
    typed = true;
    stopper.join();
    EXPECT_LT(took, 20s);  // against 100 000 keys 50 ms apart
    std::lock_guard lock(log.mutex);
    if (c.stopBefore) {
        EXPECT_TRUE(log.records.empty());
    } else {
        EXPECT_GE(log.records.size(), 1u);
        EXPECT_LT(log.records.size(), 100u);
    }
}

INSTANTIATE_TEST_SUITE_P(Typing, PacedTypingStops,
                         ::testing::Values(StopCase{"PutKeys", false, false}, StopCase{"PutControl", true, false},
                                           StopCase{"PutKeysAlreadyStopped", false, true},
                                           StopCase{"PutControlAlreadyStopped", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(KeyPacer, AGivenStopEndsTheWaitForTheTurnAndCountsNoKeyAsSent)
{
    KeyPacer pacer(std::chrono::milliseconds(3600 * 1000));
    std::stop_source stop;
    std::thread stopper([&] {
        std::this_thread::sleep_for(100ms);
        stop.request_stop();
    });
    const auto start = Clock::now();
    EXPECT_FALSE(pacer.PaceKeys({stop.get_token()}));
    EXPECT_LT(Clock::now() - start, 20s);  // against a gap of an hour
    stopper.join();
    // A stopped caller gets no more turns.
    EXPECT_FALSE(pacer.PaceKeys({stop.get_token()}));
}
