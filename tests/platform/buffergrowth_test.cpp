#include "platform/buffergrowth.h"

#include <gtest/gtest.h>

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
