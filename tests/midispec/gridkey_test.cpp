#include "midispec/midispec.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace {

// The expected marks, built from interval sets rather than from the step walks:
// the major scale on the key signature's tonic, or the harmonic minor of its
// relative minor, on every note but 0.
std::array<std::uint8_t, 128> ExpectedMarks(int sf, int mode)
{
    static constexpr int kMajor[] = {0, 2, 4, 5, 7, 9, 11};
    static constexpr int kHarmonicMinorOfRelative[] = {0, 2, 4, 5, 8, 9, 11};
    const int tonic = ((sf * 7) % 12 + 12) % 12;
    std::array<std::uint8_t, 128> marks{};
    for (int n = 1; n < 128; ++n) {
        for (int degree : mode == 0 ? kMajor : kHarmonicMinorOfRelative)
            if ((tonic + degree) % 12 == n % 12)
                marks[n] = 1;
    }
    return marks;
}

}  // namespace

TEST(GridKey, MarksTheWhiteKeysForCMajorExceptNoteZero)
{
    SelectGridKey(0, 0);
    EXPECT_EQ(ScaleTable[0], 0);
    EXPECT_EQ(ScaleTable[1], 0);
    EXPECT_EQ(ScaleTable[2], 1);
    EXPECT_EQ(ScaleTable[11], 1);
    EXPECT_EQ(ScaleTable[12], 1);
    EXPECT_EQ(ScaleTable[60], 1);
    EXPECT_EQ(ScaleTable[61], 0);
    EXPECT_EQ(ScaleTable[127], 1);
    int marked = 0;
    for (std::uint8_t mark : ScaleTable)
        marked += mark;
    EXPECT_EQ(marked, 74);  // 75 white keys in 0..127, less note 0
}

TEST(GridKey, MarksTheScaleOfTheChosenKey)
{
    SelectGridKey(-1, 0);  // F major
    EXPECT_EQ(ScaleTable[10], 1);
    EXPECT_EQ(ScaleTable[11], 0);

    SelectGridKey(0, 1);  // A harmonic minor
    EXPECT_EQ(ScaleTable[8], 1);
    EXPECT_EQ(ScaleTable[7], 0);
    EXPECT_EQ(ScaleTable[67], 0);
    EXPECT_EQ(ScaleTable[68], 1);

    SelectGridKey(7, 0);  // C# major starts on note 1; its B# is C
    EXPECT_EQ(ScaleTable[0], 0);
    EXPECT_EQ(ScaleTable[1], 1);
    EXPECT_EQ(ScaleTable[2], 0);
    EXPECT_EQ(ScaleTable[12], 1);
    EXPECT_EQ(ScaleTable[126], 1);
    EXPECT_EQ(ScaleTable[127], 0);
}

TEST(GridKey, MarksEveryKeySignatureInBothModes)
{
    for (int mode = 0; mode <= 1; ++mode) {
        for (int sf = -7; sf <= 7; ++sf) {
            SelectGridKey(sf, mode);
            EXPECT_EQ(ScaleTable, ExpectedMarks(sf, mode)) << "sf=" << sf << " mode=" << mode;
        }
    }
}

TEST(GridKey, LeavesTheMarksAloneForKeysOutsideTheTable)
{
    SelectGridKey(-2, 0);
    const std::array<std::uint8_t, 128> before = ScaleTable;
    SelectGridKey(8, 0);
    SelectGridKey(-8, 1);
    SelectGridKey(0, 2);
    SelectGridKey(0, -1);
    EXPECT_EQ(ScaleTable, before);
}
