#include "platform/shortmsg.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(ShortMessage, PacksStatusAndDataBytesIntoTheLowThreeBytes)
{
    EXPECT_EQ(packShortMessage(0x90, 0x45, 0x64), 0x00644590u);
    EXPECT_EQ(packShortMessage(0xC2, 0x28), 0x000028C2u);
    EXPECT_EQ(packShortMessage(0xE0, 0x00, 0x40), 0x004000E0u);
}

TEST(ShortMessage, KnowsTheWireLengthOfEveryStatusByte)
{
    for (int channel = 0; channel < 16; ++channel) {
        for (int kind : {0x80, 0x90, 0xA0, 0xB0, 0xE0})
            EXPECT_EQ(shortMessageLength(std::uint8_t(kind | channel)), 3u) << kind << " " << channel;
        for (int kind : {0xC0, 0xD0})
            EXPECT_EQ(shortMessageLength(std::uint8_t(kind | channel)), 2u) << kind << " " << channel;
    }
    EXPECT_EQ(shortMessageLength(0xF1), 2u);
    EXPECT_EQ(shortMessageLength(0xF2), 3u);
    EXPECT_EQ(shortMessageLength(0xF3), 2u);
    for (int status : {0xF6, 0xF8, 0xFA, 0xFB, 0xFC, 0xFE, 0xFF})
        EXPECT_EQ(shortMessageLength(std::uint8_t(status)), 1u) << status;
}

TEST(ShortMessage, RefusesBytesThatCannotStartAShortMessage)
{
    for (int status : {0x00, 0x45, 0x7F, 0xF0, 0xF4, 0xF5, 0xF7, 0xF9, 0xFD})
        EXPECT_EQ(shortMessageLength(std::uint8_t(status)), 0u) << status;
    EXPECT_EQ(unpackShortMessage(0x00006445).length, 0u);
}

TEST(ShortMessage, UnpacksWithoutMaskingAndIgnoresTheTopByte)
{
    const ShortMessage noteOn = unpackShortMessage(0xAB644590);
    EXPECT_EQ(noteOn.length, 3u);
    EXPECT_EQ(noteOn.bytes, (std::array<std::uint8_t, 3>{0x90, 0x45, 0x64}));

    const ShortMessage program = unpackShortMessage(packShortMessage(0xC5, 0xC8, 0x11));
    EXPECT_EQ(program.length, 2u);
    EXPECT_EQ(program.bytes[0], 0xC5);
    EXPECT_EQ(program.bytes[1], 0xC8);
}
