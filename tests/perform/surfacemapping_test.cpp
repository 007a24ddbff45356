#include "perform/surfacemapping.h"

#include <gtest/gtest.h>

using namespace surface;

// The designed surface: 300 x 300 pixels, range 12 (682 units per semitone), centre note 69.
namespace {
constexpr int kSide = 300;
constexpr int kUnits = 682;
constexpr int kCentre = 69;
}  // namespace

TEST(SurfaceMapping, VerticalPlainMappingGivesTheDesignedBendsSemitonesAndCents)
{
    EXPECT_EQ(VerticalBend(150, kSide), 8191);
    EXPECT_EQ(DeviationOf(8191, kUnits), (Deviation{0, 0}));

    EXPECT_EQ(VerticalBend(0, kSide), 16383);
    EXPECT_EQ(DeviationOf(16383, kUnits), (Deviation{12, 1}));

    EXPECT_EQ(VerticalBend(299, kSide), 54);
    EXPECT_EQ(DeviationOf(54, kUnits), (Deviation{-11, -93}));
}

TEST(SurfaceMapping, HorizontalPlainMappingRisesToTheRight)
{
    EXPECT_EQ(HorizontalBend(0, kSide), 0);
    EXPECT_EQ(HorizontalBend(299, kSide), 16328);
    EXPECT_EQ(DeviationOf(16328, kUnits), (Deviation{11, 92}));
}

TEST(SurfaceMapping, LoudnessPeaksInTheMiddleOfTheAxis)
{
    EXPECT_EQ(Loudness(150, kSide), 127);
    EXPECT_EQ(Loudness(75, kSide), 96);
    EXPECT_EQ(Loudness(0, kSide), 0);
    EXPECT_EQ(Loudness(299, kSide), 2);
    // A surface too large for the 32-bit square still peaks at 127 and ends at 0.
    EXPECT_EQ(Loudness(2500, 5000), 127);
    EXPECT_EQ(Loudness(0, 5000), 0);
}

TEST(SurfaceMapping, EasyMappingDwellsOnEachSemitoneAndMatchesThePlainCentre)
{
    // p = H - Y: Y = 12 and Y = 13 lie on both sides of the line of note 80.
    EXPECT_EQ(EasyBend(kSide - 12, kSide, 12), 15700);
    EXPECT_EQ(EasyBend(kSide - 13, kSide, 12), 15700);
    EXPECT_EQ(EasyBend(kSide - 150, kSide, 12), 8191);
    // Half-way between two lines the curve is steep: one pixel moves the bend
    // by far more than the plain mapping's 54 units.
    EXPECT_GT(EasyBend(94, kSide, 12) - EasyBend(93, kSide, 12), 100);
}

TEST(SurfaceMapping, PositionsOffTheSurfaceAreClampedToTheValidRanges)
{
    EXPECT_EQ(VerticalBend(-40, kSide), 16383);
    EXPECT_EQ(VerticalBend(301, kSide), 0);
    EXPECT_EQ(VerticalBend(5000, kSide), 0);
    EXPECT_EQ(HorizontalBend(-1, kSide), 0);
    EXPECT_EQ(HorizontalBend(400, kSide), 16383);
    EXPECT_EQ(EasyBend(-20, kSide, 12), 0);
    EXPECT_EQ(EasyBend(350, kSide, 12), 16383);
    EXPECT_EQ(Loudness(-200, kSide), 0);
    EXPECT_EQ(Loudness(1000000, kSide), 0);
    EXPECT_EQ(Loudness(-1000000, kSide), 0);
}

TEST(SurfaceMapping, ControlsOfNoSizeCountAsOnePixelInsteadOfDividingByZero)
{
    EXPECT_EQ(VerticalBend(0, 0), 16383);
    EXPECT_EQ(HorizontalBend(0, 0), 0);
    EXPECT_EQ(Loudness(0, 0), 127);
    EXPECT_EQ(EasyBend(0, 0, 12), 0);
}

TEST(SurfaceMapping, StatusTextShowsLoudnessNoteNameAndCents)
{
    EXPECT_EQ(StatusText(127, kCentre, 0), "Vol:127 Note: A 4 0 Cent");
    EXPECT_EQ(StatusText(2, kCentre - 11, -93), "Vol:2 Note: Bb3 -93 Cent");
    EXPECT_EQ(StatusText(0, kCentre + 12, 1), "Vol:0 Note: A 5 1 Cent");
    EXPECT_EQ(StatusText(5, 130, 0), "Vol:5 Note:++++ 0 Cent");
}
