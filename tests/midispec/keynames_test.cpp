#include "midispec/midispec.h"

#include <gtest/gtest.h>

#include <string>

TEST(KeyNames, NameMajorAndMinorKeysFromSevenFlatsToSevenSharps)
{
    EXPECT_EQ(KeyName(-7, 0), "Cb(B) Major");
    EXPECT_EQ(KeyName(-3, 0), "Eb Major");
    EXPECT_EQ(KeyName(0, 0), "C Major");
    EXPECT_EQ(KeyName(7, 0), "C# Major");
    EXPECT_EQ(KeyName(-7, 1), "Ab Minor");
    EXPECT_EQ(KeyName(-3, 1), "C Minor");
    EXPECT_EQ(KeyName(0, 1), "A Minor");
    EXPECT_EQ(KeyName(7, 1), "A# Minor");

    const std::string major = " Major";
    const std::string minor = " Minor";
    for (int sf = -7; sf <= 7; ++sf) {
        const std::string m0 = KeyName(sf, 0);
        const std::string m1 = KeyName(sf, 1);
        ASSERT_GT(m0.size(), major.size());
        ASSERT_GT(m1.size(), minor.size());
        EXPECT_EQ(m0.substr(m0.size() - major.size()), major) << sf;
        EXPECT_EQ(m1.substr(m1.size() - minor.size()), minor) << sf;
    }
}

TEST(KeyNames, DescribeSignaturesOutsideTheTableNeutrally)
{
    EXPECT_EQ(KeyName(9, 0), "Key sf=9 mode=0");
    EXPECT_EQ(KeyName(-8, 1), "Key sf=-8 mode=1");
    EXPECT_EQ(KeyName(0, 2), "Key sf=0 mode=2");
    EXPECT_EQ(KeyName(3, -1), "Key sf=3 mode=-1");
}
