#include "platform/clock.h"
#include "platform/timer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

using namespace platform;

namespace {

constexpr auto kPatience = std::chrono::seconds(20);

// What the callbacks saw, guarded so that the test thread can wait for it.
struct Journal {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::uintptr_t> users;
    std::vector<std::uint32_t> ids;

    // Notifies under the lock: the waiting test may destroy the journal as soon as it sees the entry.
    void note(std::uint32_t id, std::uintptr_t user)
    {
        std::lock_guard lock(mutex);
        ids.push_back(id);
        users.push_back(user);
        changed.notify_all();
    }

    bool waitFor(std::size_t count)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, kPatience, [&] { return users.size() >= count; });
    }

    bool waitForId(std::uint32_t id)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, kPatience, [&] { return std::find(ids.begin(), ids.end(), id) != ids.end(); });
    }

    std::vector<std::uintptr_t> seen()
    {
        std::lock_guard lock(mutex);
        return users;
    }
};

Journal* journal = nullptr;

void noteFired(std::uint32_t id, std::uintptr_t user)
{
    journal->note(id, user);
}

class Timers : public ::testing::Test {
protected:
    void SetUp() override { journal = &record; }
    void TearDown() override { journal = nullptr; }

    // Arms a timer after all the others, and waits until it fires: by then
    // every timer due earlier has run, because one thread runs them in order.
    void drain(std::uint32_t delayMs)
    {
        const std::uint32_t sentinel = timeSetEvent(delayMs, 10, noteFired, 999);
        ASSERT_NE(sentinel, 0u);
        ASSERT_TRUE(record.waitForId(sentinel));
    }

    Journal record;
};

}  // namespace

TEST_F(Timers, ReportTheirCapsAndAcceptPeriodsWithinThem)
{
    TimeCaps caps;
    ASSERT_EQ(timeGetDevCaps(caps), MmOk);
    EXPECT_EQ(caps.periodMin, 1u);
    EXPECT_EQ(caps.periodMax, 1000000u);
    EXPECT_EQ(timeBeginPeriod(caps.periodMin), MmOk);
    EXPECT_EQ(timeEndPeriod(caps.periodMin), MmOk);
    EXPECT_EQ(timeBeginPeriod(0), TimerNoCanDo);
    EXPECT_EQ(timeBeginPeriod(caps.periodMax + 1), TimerNoCanDo);
}

TEST_F(Timers, RefuseDelaysOutsideTheCapsAndMissingCallbacks)
{
    EXPECT_EQ(timeSetEvent(0, 10, noteFired, 1), 0u);
    EXPECT_EQ(timeSetEvent(1000001, 10, noteFired, 1), 0u);
    EXPECT_EQ(timeSetEvent(5, 10, nullptr, 1), 0u);
    EXPECT_EQ(timeSetEventAt(std::chrono::steady_clock::time_point::max(), noteFired, 1), 0u);
    EXPECT_EQ(timeKillEvent(0), TimerNoCanDo);
}

TEST_F(Timers, FireOnceWithTheirUserValue)
{
    const std::uint32_t id = timeSetEvent(5, 10, noteFired, 0xC0FFEE);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(record.waitFor(1));
    drain(20);
    const std::vector<std::uintptr_t> seen = record.seen();
    ASSERT_EQ(seen.size(), 2u) << "the one-shot timer fired exactly once";
    EXPECT_EQ(seen[0], 0xC0FFEEu);
    std::lock_guard lock(record.mutex);
    EXPECT_EQ(record.ids[0], id);
    EXPECT_EQ(timeKillEvent(id), TimerNoCanDo) << "a timer that has fired is gone";
}

TEST_F(Timers, FireInDeadlineOrderWhateverTheOrderOfSetting)
{
    // Instants from one reading of the clock: relative delays set one after
    // another would drift apart when the machine stalls between the calls.
    const auto now = std::chrono::steady_clock::now();
    const auto in = [now](int ms) { return now + std::chrono::milliseconds(ms); };
    const std::uint32_t ids[] = {timeSetEventAt(in(60), noteFired, 60), timeSetEventAt(in(20), noteFired, 20),
                                 timeSetEventAt(in(40), noteFired, 40), timeSetEventAt(in(20), noteFired, 21)};
    for (std::uint32_t id : ids)
        EXPECT_NE(id, 0u);
    EXPECT_NE(ids[1], ids[3]);
    ASSERT_TRUE(record.waitFor(4));
    EXPECT_EQ(record.seen(), (std::vector<std::uintptr_t>{20, 21, 40, 60}));
}

TEST_F(Timers, FireAtAnInstantOfTheSteadyClockAndAtOnceWhenItHasPassed)
{
    const auto now = std::chrono::steady_clock::now();
    ASSERT_NE(timeSetEventAt(now + std::chrono::milliseconds(30), noteFired, 2), 0u);
    ASSERT_NE(timeSetEventAt(now - std::chrono::hours(1), noteFired, 1), 0u);
    ASSERT_NE(timeSetEventAt(std::chrono::steady_clock::time_point::min(), noteFired, 0), 0u);
    ASSERT_TRUE(record.waitFor(3));
    EXPECT_EQ(record.seen(), (std::vector<std::uintptr_t>{1, 0, 2}));
    EXPECT_GE(std::chrono::steady_clock::now(), now + std::chrono::milliseconds(30));
}

TEST_F(Timers, NeverFireOnceKilled)
{
    // Far enough ahead that a stall of the test thread cannot let it fire before the kill.
    const std::uint32_t killed = timeSetEvent(300, 10, noteFired, 1);
    ASSERT_NE(killed, 0u);
    EXPECT_EQ(timeKillEvent(killed), MmOk);
    EXPECT_EQ(timeKillEvent(killed), TimerNoCanDo);
    drain(400);
    EXPECT_EQ(record.seen(), (std::vector<std::uintptr_t>{999}));
}

namespace {

std::atomic<std::uint32_t> victim{0};
std::atomic<int> killResults{-1};
std::atomic<int> selfKillResult{-1};

void killOther(std::uint32_t id, std::uintptr_t user)
{
    killResults = int(timeKillEvent(victim.load()));
    selfKillResult = int(timeKillEvent(id));  // returns at once from inside its own callback
    journal->note(id, user);
}

}  // namespace

TEST_F(Timers, MayBeKilledFromInsideACallback)
{
    killResults = -1;
    selfKillResult = -1;
    // The victim is set first and lies far behind the killer, so that a
    // stall of the test thread cannot change which fires first.
    victim = timeSetEvent(300, 10, noteFired, 2);
    ASSERT_NE(victim.load(), 0u);
    ASSERT_NE(timeSetEvent(10, 10, killOther, 1), 0u);
    drain(400);
    EXPECT_EQ(record.seen(), (std::vector<std::uintptr_t>{1, 999}));
    EXPECT_EQ(killResults.load(), int(MmOk));
    EXPECT_EQ(selfKillResult.load(), int(MmOk));
}

namespace {

std::atomic<bool> callbackStarted{false};
std::atomic<bool> callbackFinished{false};
std::atomic<bool> killerReady{false};

// Blocks rather than spins: the timer thread may run at a real-time priority.
void slowCallback(std::uint32_t, std::uintptr_t)
{
    callbackStarted = true;
    callbackStarted.notify_all();
    killerReady.wait(false);
    Sleep(30);
    callbackFinished = true;
}

}  // namespace

TEST_F(Timers, LetARunningCallbackFinishBeforeTheKillReturns)
{
    callbackStarted = false;
    callbackFinished = false;
    killerReady = false;
    const std::uint32_t id = timeSetEvent(1, 10, slowCallback, 0);
    ASSERT_NE(id, 0u);
    callbackStarted.wait(false);
    killerReady = true;
    killerReady.notify_all();
    const MmResult result = timeKillEvent(id);
    EXPECT_TRUE(callbackFinished.load()) << "the kill returned while the callback still ran";
    EXPECT_TRUE(result == MmOk || result == TimerNoCanDo);
}

namespace {

std::atomic<bool> killReturned{false};
std::atomic<int> firedAfterKill{0};
std::atomic<int> fired{0};

void watchForLateFiring(std::uint32_t, std::uintptr_t)
{
    ++fired;
    if (killReturned.load())
        ++firedAfterKill;
    std::this_thread::yield();
    if (killReturned.load())
        ++firedAfterKill;
}

}  // namespace

TEST_F(Timers, RunNothingAfterAKillFromAnotherThreadReturns)
{
    fired = 0;
    firedAfterKill = 0;
    for (int round = 0; round < 200; ++round) {
        killReturned = false;
        const std::uint32_t id = timeSetEvent(1, 10, watchForLateFiring, 0);
        ASSERT_NE(id, 0u);
        std::thread killer([&] {
            std::this_thread::sleep_for(std::chrono::microseconds((round % 20) * 100));
            timeKillEvent(id);
            killReturned = true;
        });
        killer.join();
    }
    drain(5);
    EXPECT_EQ(firedAfterKill.load(), 0);
    EXPECT_LE(fired.load(), 200);
}

namespace {

std::atomic<int> chainLeft{0};

void chainLink(std::uint32_t id, std::uintptr_t user)
{
    journal->note(id, user);
    if (--chainLeft > 0) {
        EXPECT_NE(timeSetEvent(2, 10, chainLink, user + 1), 0u);
    }
}

}  // namespace

TEST_F(Timers, MayArmTheNextTimerFromACallback)
{
    chainLeft = 5;
    ASSERT_NE(timeSetEvent(2, 10, chainLink, 1), 0u);
    ASSERT_TRUE(record.waitFor(5));
    drain(20);
    EXPECT_EQ(record.seen(), (std::vector<std::uintptr_t>{1, 2, 3, 4, 5, 999}));
}
