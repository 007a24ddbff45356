#include "platform/audioclock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>

using namespace platform;

namespace {

constexpr double kRate = 48000;
constexpr int kFrames = 128;
constexpr double kPeriod = kFrames * 1e6 / kRate;  // 2666.7 us
constexpr std::int64_t kStart = 5'000'000'000;

// Asks for `count` periods, the k-th at start + k * spacing + jitter(k).
template <class Jitter>
void request(AudioClock& clock, int first, int count, double spacing, Jitter jitter)
{
    for (int k = first; k < first + count; ++k)
        clock.startPeriod(kStart + std::llround(k * spacing + jitter(k)), kFrames);
}

double noJitter(int)
{
    return 0;
}

}  // namespace

TEST(AudioClock, SpreadsTheFirstPeriodOverItsNominalLength)
{
    AudioClock clock(kRate);
    clock.startPeriod(kStart, kFrames);
    EXPECT_DOUBLE_EQ(clock.instantOf(0), double(kStart));
    EXPECT_NEAR(clock.instantOf(kFrames), kStart + kPeriod, 1e-3);
    EXPECT_NEAR(clock.instantOf(-kFrames / 2.0), kStart - kPeriod / 2, 1e-3);
}

TEST(AudioClock, SmoothsOutTheJitterOfRequests)
{
    AudioClock clock(kRate);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> late(0, 400);  // woken up to 0.4 ms late
    const auto jitter = [&](int) { return late(random); };
    request(clock, 0, 3000, kPeriod, jitter);  // 8 s to settle
    double worst = 0;
    for (int k = 3000; k < 4000; ++k) {
        request(clock, k, 1, kPeriod, jitter);
        // The line runs through the middle of the requests, 200 us after the beat.
        worst = std::max(worst, std::fabs(clock.instantOf(0) - (kStart + k * kPeriod + 200)));
    }
    EXPECT_LT(worst, 60) << "a single request moves the line by a fraction of its jitter";
    EXPECT_NEAR(clock.periodMicros(), kPeriod, 1);
}

TEST(AudioClock, KeepsASteadyLineWhenASoundServerAsksForFourPeriodsAtOnce)
{
    AudioClock clock(kRate);
    const auto bursts = [](int k) { return -(k % 4) * kPeriod; };  // 0, 1, 2, 3 asked for together
    request(clock, 0, 2000, kPeriod, bursts);
    const double offset = clock.instantOf(0) - (kStart + 1999 * kPeriod);
    double worst = 0;
    for (int k = 2000; k < 2400; ++k) {
        request(clock, k, 1, kPeriod, bursts);
        worst = std::max(worst, std::fabs(clock.instantOf(0) - (kStart + k * kPeriod + offset)));
    }
    EXPECT_LT(worst, 300) << "a period maps to its own span, not to the moment the burst came";
    EXPECT_NEAR(clock.periodMicros(), kPeriod, 100);
}

TEST(AudioClock, LearnsTheRateOfACardThatRunsOffItsNominalRate)
{
    // 128 frames every 3 ms: the card plays at 42667 Hz, not 48000.
    AudioClock clock(kRate);
    request(clock, 0, 3000, 3000, noJitter);
    EXPECT_NEAR(clock.periodMicros(), 3000, 0.5);
    EXPECT_NEAR(clock.instantOf(0), kStart + 2999 * 3000.0, 5);
    EXPECT_NEAR(clock.instantOf(64), kStart + 2999 * 3000.0 + 1500, 5);
}

TEST(AudioClock, RidesOutAStallButFollowsAStreamThatMoved)
{
    AudioClock clock(kRate);
    request(clock, 0, 1000, kPeriod, noJitter);
    // One request 30 ms late, the ones after it catching up at once.
    const auto stall = [](int k) { return std::max(0.0, 30000 - (k - 1000) * kPeriod); };
    request(clock, 1000, 12, kPeriod, stall);
    request(clock, 1012, 200, kPeriod, noJitter);
    EXPECT_NEAR(clock.instantOf(0), kStart + 1211 * kPeriod, 20);

    // From here on every request comes 40 ms later: the stream itself moved.
    const auto moved = [](int) { return 40000.0; };
    request(clock, 1212, 100, kPeriod, moved);
    EXPECT_NEAR(clock.instantOf(0), kStart + 1311 * kPeriod + 40000, 20);
}

TEST(AudioClock, StartsAfreshWhereTheStreamPlaysAgainAfterAPause)
{
    AudioClock clock(kRate);
    request(clock, 0, 1000, kPeriod * 1.001, noJitter);
    // Two seconds without a request: a stall would not move the line, a pause does.
    clock.resync();
    const std::int64_t again = kStart + std::llround(1000 * kPeriod * 1.001) + 2'000'000;
    clock.startPeriod(again, kFrames);
    EXPECT_DOUBLE_EQ(clock.instantOf(0), double(again));
    EXPECT_NEAR(clock.periodMicros(), kPeriod * 1.001, 0.5) << "the rate learned carries over";
    clock.startPeriod(again + std::llround(kPeriod * 1.001), kFrames);
    EXPECT_NEAR(clock.instantOf(0), again + kPeriod * 1.001, 1.0);
}

TEST(AudioClock, StartsOverWhenThePeriodLengthChanges)
{
    AudioClock clock(kRate);
    request(clock, 0, 100, kPeriod, noJitter);
    clock.startPeriod(kStart + 1'000'000, 2 * kFrames);
    EXPECT_DOUBLE_EQ(clock.instantOf(0), kStart + 1'000'000.0);
    EXPECT_NEAR(clock.periodMicros(), 2 * kPeriod, 0.01);
}
