#include "platform/buffergrowth.h"

#include <gtest/gtest.h>

#include <vector>

using platform::BufferGrowth;

namespace {

constexpr std::int64_t kSecond = 1'000'000;

}  // namespace

TEST(BufferGrowth, GrowsOnlyWhenAStallComesAgainWithinTenSeconds)
{
    BufferGrowth growth(1000, 100, 1250);
    // A lone stall of several underruns costs nothing.
    EXPECT_FALSE(growth.underrun(5 * kSecond));
    EXPECT_FALSE(growth.underrun(5 * kSecond + 1000));
    EXPECT_FALSE(growth.underrun(5 * kSecond + kSecond / 2));
    EXPECT_EQ(growth.bytes(), 1000u);

    // The next stall, more than ten seconds on, is lone too.
    EXPECT_FALSE(growth.underrun(16 * kSecond));
    EXPECT_EQ(growth.bytes(), 1000u);

    // Within ten seconds of it: a step, once for the whole stall.
    EXPECT_TRUE(growth.underrun(20 * kSecond));
    EXPECT_FALSE(growth.underrun(20 * kSecond + 2000));
    EXPECT_EQ(growth.bytes(), 1100u);

    // Recurring stalls keep growing it, up to the most and never beyond.
    EXPECT_TRUE(growth.underrun(22 * kSecond));
    EXPECT_TRUE(growth.underrun(24 * kSecond));
    EXPECT_EQ(growth.bytes(), 1250u);
    EXPECT_FALSE(growth.underrun(26 * kSecond));
    EXPECT_EQ(growth.bytes(), 1250u);
}

TEST(BufferGrowth, StepsBackToItsStartAfterCalmMinutesButNotWhileASongPlays)
{
    constexpr std::int64_t kMinute = 60 * kSecond;
    // 17 ms of floor, 4 ms steps, grown to 97 ms (as bytes of 48 kHz float stereo, 384 a millisecond).
    constexpr std::uint32_t kMs = 384;
    BufferGrowth growth(17 * kMs, 4 * kMs, 100 * kMs);
    std::int64_t now = 0;
    while (growth.bytes() < 97 * kMs) {
        growth.underrun(now);
        now += 2 * kSecond;
    }
    const std::int64_t lastUnderrun = now - 2 * kSecond;

    // Not before a whole minute without an underrun, and not while a song plays.
    EXPECT_FALSE(growth.calm(lastUnderrun + kMinute - kSecond, false));
    EXPECT_FALSE(growth.calm(lastUnderrun + 3 * kMinute, true));
    EXPECT_EQ(growth.bytes(), 97 * kMs);

    // Once the song is over: half the excess, in whole steps.
    now = lastUnderrun + 3 * kMinute;
    EXPECT_TRUE(growth.calm(now, false));
    EXPECT_EQ(growth.bytes(), 57 * kMs);
    // The next step waits for another calm minute.
    EXPECT_FALSE(growth.calm(now + kMinute / 2, false));

    // An underrun starts the minute afresh.
    growth.underrun(now + kMinute / 2);
    EXPECT_FALSE(growth.calm(now + kMinute + kSecond, false));
    now += kMinute / 2;

    // Calm minutes bring it down to the floor and never below.
    std::vector<std::uint32_t> steps;
    for (int minute = 1; minute <= 10; ++minute)
        if (growth.calm(now + minute * kMinute, false))
            steps.push_back(growth.bytes() / kMs);
    EXPECT_EQ(steps, (std::vector<std::uint32_t>{37, 29, 25, 21, 17}));
    EXPECT_EQ(growth.bytes(), 17 * kMs);

    // Grown again from there, as from the start.
    growth.underrun(now + 11 * kMinute);
    EXPECT_TRUE(growth.underrun(now + 11 * kMinute + 5 * kSecond));
    EXPECT_EQ(growth.bytes(), 21 * kMs);
}
