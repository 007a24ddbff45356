#include "mididata/textformat.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

TEST(TextFormat, RightAlignsNumbersInTheirWidthWithBlanks)
{
    EXPECT_EQ(FormatText("%d", {42}), "42");
    EXPECT_EQ(FormatText("[%5d]", {42}), "[   42]");
    EXPECT_EQ(FormatText("[%5d]", {-42}), "[  -42]");
    EXPECT_EQ(FormatText("[%3d]", {123456}), "[123456]");
    EXPECT_EQ(FormatText("[%-4d]", {7}), "[7   ]");
    EXPECT_EQ(FormatText("%d", {0}), "0");
}

TEST(TextFormat, PadsToThePrecisionWithZerosAfterTheSign)
{
    EXPECT_EQ(FormatText("%3.3d", {60}), "060");
    EXPECT_EQ(FormatText("%4.4d", {480}), "0480");
    EXPECT_EQ(FormatText("%4.4d", {-5}), "-0005");
    EXPECT_EQ(FormatText("%2.2d", {123}), "123");
    EXPECT_EQ(FormatText("[%6.3d]", {-7}), "[  -007]");
    EXPECT_EQ(FormatText("%.0d", {0}), "0");
}

TEST(TextFormat, HandlesTheExtremesOfEveryIntegerWidth)
{
    EXPECT_EQ(FormatText("%d", {INT_MIN}), "-2147483648");
    EXPECT_EQ(FormatText("%d", {INT_MAX}), "2147483647");
    EXPECT_EQ(FormatText("%13.11d", {INT_MIN}), " -02147483648");
    EXPECT_EQ(FormatText("%d", {UINT32_MAX}), "4294967295");
    EXPECT_EQ(FormatText("%d", {LLONG_MIN}), "-9223372036854775808");
}

TEST(TextFormat, ShowsHexadecimalInUpperCase)
{
    EXPECT_EQ(FormatText("=%2x ", {0x7F}), "=7F ");
    EXPECT_EQ(FormatText("=%2x ", {0x5}), "= 5 ");
    EXPECT_EQ(FormatText("%2.2x", {0x5}), "05");
    EXPECT_EQ(FormatText("<%6.6X>", {0x0800F7}), "<0800F7>");
    EXPECT_EQ(FormatText("%x", {0xABCDEF}), "ABCDEF");
    EXPECT_EQ(FormatText("%x", {-1}), "FFFFFFFF");
}

TEST(TextFormat, InsertsTextsWithWidthAndPrecision)
{
    EXPECT_EQ(FormatText("[%s]", {" C 4"}), "[ C 4]");
    EXPECT_EQ(FormatText("[%s]", {std::string("Piano")}), "[Piano]");
    EXPECT_EQ(FormatText("[%6s]", {"ab"}), "[    ab]");
    EXPECT_EQ(FormatText("[%-6s]", {"ab"}), "[ab    ]");
    EXPECT_EQ(FormatText("[%.2s]", {"abcdef"}), "[ab]");
    EXPECT_EQ(FormatText("%s%d%s", {"INSERTION EFFECT", 2, " PART"}), "INSERTION EFFECT2 PART");
    EXPECT_EQ(FormatText("100%%", {}), "100%");
}

TEST(TextFormat, NeverFailsOnMismatchedDirectives)
{
    EXPECT_EQ(FormatText("a%db", {}), "ab");
    EXPECT_EQ(FormatText("[%3d]", {"text"}), "[   ]");
    EXPECT_EQ(FormatText("[%s]", {5}), "[]");
    EXPECT_EQ(FormatText("%q%d", {3}), "%q3");
    EXPECT_EQ(FormatText("end%", {1}), "end%");
    EXPECT_EQ(FormatText("end%5.", {1}), "end%5.");
    EXPECT_EQ(FormatText("%d", {1, 2}), "1");
    EXPECT_EQ(FormatText("%99999999999d", {1}).size(), 1024u);
}

TEST(TextFormat, ListsBytesAsTwoHexDigitsAndABlankEach)
{
    const std::uint8_t bytes[] = {0x43, 0x7B, 0x00, 0xF7};
    EXPECT_EQ(HexBytesText(bytes, 4), "43 7B 00 F7 ");
    EXPECT_EQ(HexBytesText(bytes, 0), "");
    EXPECT_EQ(HexBytesText(nullptr, 3), "");
}
