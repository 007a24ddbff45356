#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mididata/metabytes.h"

TEST(MetaBytes, KeepsBytesAcrossShortAndLongDataAndGrowsWithZeros)
{
    MetaBytes b;
    EXPECT_TRUE(b.empty());
    const std::string longText(40, 'x');
    b.assign(longText.begin(), longText.end());
    EXPECT_EQ(b.size(), 40u);
    EXPECT_EQ(std::string(b.begin(), b.end()), longText);

    b = {0x07, 0xA1, 0x20};
    EXPECT_TRUE(b == (std::vector<std::uint8_t>{0x07, 0xA1, 0x20}));
    b.resize(5);
    EXPECT_TRUE(b == (std::vector<std::uint8_t>{0x07, 0xA1, 0x20, 0, 0}));
    b.resize(20);
    EXPECT_EQ(b.size(), 20u);
    EXPECT_EQ(b[2], 0x20);
    EXPECT_EQ(b[19], 0);
    b.assign(30, 0x55);
    EXPECT_EQ(b[29], 0x55);
    b.resize(2);
    EXPECT_TRUE(b == (std::vector<std::uint8_t>{0x55, 0x55}));
    b = std::vector<std::uint8_t>{};
    EXPECT_TRUE(b.empty());
}
