#include "perform/pitchcorrection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr int kCentre = 69;  // A
constexpr int kRange = 12;
constexpr double kUnitsPerSemitone = 8192.0 / kRange;

PitchCorrection correctionOf(int strength, ScaleKind scale, int glideMs, int root = 0)
{
    PitchCorrection correction;
    correction.setSettings({strength, scale, glideMs});
    correction.setRoot(root);
    correction.setAxis(kCentre, kRange);
    return correction;
}

// The semitones from the centre that a bend sounds, as a real number.
double semitonesOf(std::int32_t bend)
{
    return (bend - 8192) / kUnitsPerSemitone;
}

}  // namespace

TEST(PitchCorrection, OffPassesEveryBendThroughUnchangedWhateverTheGlide)
{
    for (int glide : {0, 120, 500}) {
        PitchCorrection correction = correctionOf(0, ScaleKind::Major, glide);
        std::uint32_t now = 1000;
        for (std::int32_t bend = 0; bend <= 16383; ++bend, now += 3) {
            ASSERT_EQ(correction.follow(bend, now), bend) << "glide " << glide;
            ASSERT_FALSE(correction.settle(now + 2).has_value());
        }
        EXPECT_FALSE(correction.settling());
    }
}

TEST(PitchCorrection, FullStrengthLandsEveryBendOnTheNearestNoteOfTheScale)
{
    PitchCorrection correction = correctionOf(100, ScaleKind::Major, 0);
    for (std::int32_t bend = 0; bend <= 16383; ++bend) {
        const std::int32_t sounded = correction.follow(bend, 0);
        const double semitones = semitonesOf(sounded);
        const long k = std::lround(semitones);
        ASSERT_LE(std::abs(sounded - (8192 + k * kUnitsPerSemitone)), 1.0) << "bend " << bend;
        ASSERT_TRUE(ScaleHolds(ScaleKind::Major, 0, kCentre + int(k))) << "bend " << bend;
        // No note of the scale lies nearer the pointer.
        const double pointer = semitonesOf(bend);
        for (int other = -13; other <= 13; ++other) {
            if (ScaleHolds(ScaleKind::Major, 0, kCentre + other)) {
                ASSERT_LE(std::abs(pointer - double(k)), std::abs(pointer - other) + 1e-9) << "bend " << bend;
            }
        }
    }
}

TEST(PitchCorrection, HalfStrengthSoundsHalfwayToTheNote)
{
    PitchCorrection correction = correctionOf(50, ScaleKind::PentatonicMinor, 0, 9);
    for (std::int32_t bend = 0; bend <= 16383; bend += 7) {
        const PitchCorrection::Aim aim = correction.aimAt(bend);
        ASSERT_LE(std::abs(2 * correction.follow(bend, 0) - (bend + aim.bend)), 2) << "bend " << bend;
    }
}

TEST(PitchCorrection, AimNamesTheNoteAndTheCentsAndTiesGoToTheUpperNote)
{
    PitchCorrection chromatic = correctionOf(100, ScaleKind::Chromatic, 0);
    EXPECT_EQ(chromatic.aimAt(8192 + 341), (PitchCorrection::Aim{69, 8192, 49}));
    EXPECT_EQ(chromatic.aimAt(8192 + 342), (PitchCorrection::Aim{70, 8875, -49}));
    EXPECT_EQ(chromatic.aimAt(16383), (PitchCorrection::Aim{81, 16383, 0}));
    EXPECT_EQ(chromatic.aimAt(0), (PitchCorrection::Aim{57, 0, 0}));

    // Range 4 puts C sharp, halfway between C and D of C major, on a whole bend value.
    PitchCorrection major = correctionOf(100, ScaleKind::Major, 0);
    major.setAxis(60, 4);
    EXPECT_EQ(major.aimAt(8192 + 2048), (PitchCorrection::Aim{62, 8192 + 4096, -100}));
    EXPECT_EQ(major.aimAt(8192 + 2047), (PitchCorrection::Aim{60, 8192, 99}));
}

TEST(PitchCorrection, ARestingHandSettlesOnTheNoteWithinTheGlideInSmallSteps)
{
    PitchCorrection correction = correctionOf(100, ScaleKind::Major, 100);
    const std::int32_t pointer = 8192 + 250;  // A plus 37 cents: B is further off
    const std::uint32_t start = 0xFFFFFFF0u;  // the clock wraps while it settles
    EXPECT_EQ(correction.follow(pointer, start), pointer) << "the hand arrives moving: no pull yet";
    EXPECT_TRUE(correction.settling());
    EXPECT_FALSE(correction.settle(start + 4).has_value()) << "a step waits 5 ms";

    std::int32_t last = pointer;
    std::uint32_t lastStep = start;
    for (std::uint32_t t = start + 1; t != start + 150; ++t) {
        const auto step = correction.settle(t);
        if (!step)
            continue;
        EXPECT_GE(t - lastStep, 5u);
        EXPECT_LT(*step, last) << "it moves down towards A, and only down";
        EXPECT_LE(last - *step, 18) << "half a semitone per glide time";
        last = *step;
        lastStep = t;
    }
    EXPECT_EQ(last, 8192);
    EXPECT_FALSE(correction.settling());
    EXPECT_FALSE(correction.settle(start + 400).has_value());
}

TEST(PitchCorrection, WithGlideAMovementNeverStepsFurtherThanThePointerNorAgainstIt)
{
    PitchCorrection correction = correctionOf(100, ScaleKind::Blues, 150, 4);
    std::uint32_t seed = 12345;
    std::int32_t pointer = 8000;
    std::uint32_t now = 0;
    std::int32_t sounded = correction.follow(pointer, now);
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1103515245u + 12345u;
        const std::int32_t step = std::int32_t((seed >> 16) % 121) - 60;
        now += 1 + (seed >> 8) % 12;
        // Some moves come after a rest, while settling steps go out every 5 ms.
        if ((seed >> 4) % 7 == 0) {
            for (int rest = 0; rest < 10; ++rest) {
                now += 5;
                if (const auto settled = correction.settle(now))
                    sounded = *settled;
            }
        }
        const std::int32_t next = std::clamp(pointer + step, 0, 16383);
        const std::int32_t moved = correction.follow(next, now);
        ASSERT_LE(std::abs(moved - sounded), std::abs(next - pointer)) << "move " << i;
        ASSERT_GE(std::int64_t(moved - sounded) * (next - pointer), 0) << "move " << i;
        pointer = next;
        sounded = moved;
    }
}

TEST(PitchCorrection, AVibratoKeepsItsDepthWithGlideButIsFlattenedWithout)
{
    // A vibrato of 40 cents either side of A, 6 swings a second, one move every 8 ms.
    auto depthOf = [](PitchCorrection correction) {
        std::int32_t low = 16383, high = 0;
        for (int i = 0; i < 250; ++i) {
            const double phase = i * 8 / 1000.0 * 6 * 2 * 3.141592653589793;
            const auto bend = std::int32_t(8192 + std::lround(0.4 * kUnitsPerSemitone * std::sin(phase)));
            const std::int32_t sounded = correction.follow(bend, std::uint32_t(i * 8));
            if (i >= 125) {
                low = std::min(low, sounded);
                high = std::max(high, sounded);
            }
        }
        return high - low;
    };
    const double pointerDepth = 0.8 * kUnitsPerSemitone;
    EXPECT_GE(depthOf(correctionOf(100, ScaleKind::Major, 200)), 0.6 * pointerDepth);
    EXPECT_EQ(depthOf(correctionOf(100, ScaleKind::Major, 0)), 0);
}

TEST(PitchCorrection, ReleasingTheNoteStartsTheNextOneFromThePointer)
{
    PitchCorrection correction = correctionOf(100, ScaleKind::Major, 50);
    correction.follow(8192 + 200, 0);
    for (std::uint32_t t = 5; t < 200; t += 5)
        correction.settle(t);
    EXPECT_EQ(correction.sounded(), 8192);
    correction.release();
    EXPECT_FALSE(correction.settling());
    EXPECT_EQ(correction.follow(8192 + 2000, 300), 8192 + 2000);
}
