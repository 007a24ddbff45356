// The lines and numbers of the settings files, as both there.cfg and
// device.prf read them.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/settingstext.h"

using platform::settingsFileLines;
using platform::wholeNumber;
using Lines = std::vector<std::string>;

TEST(SettingsText, LinesTakeCrLfAndBareLfAndTheLastEndStartsNoLine)
{
    EXPECT_EQ(settingsFileLines("0000\r\n12\r\n-1\r\n"), (Lines{"0000", "12", "-1"}));
    EXPECT_EQ(settingsFileLines("a\nb\r\nc"), (Lines{"a", "b", "c"}));
    // An empty line inside or at the end is a line of its own.
    EXPECT_EQ(settingsFileLines("a\r\n\r\nb\r\n\r\n"), (Lines{"a", "", "b", ""}));
    EXPECT_EQ(settingsFileLines(""), (Lines{""}));
    EXPECT_EQ(settingsFileLines("\n"), (Lines{""}));
    // Only the CR of a line end goes; one inside a value stays.
    EXPECT_EQ(settingsFileLines("a\rb\r\n"), (Lines{"a\rb"}));
}

TEST(SettingsText, WholeNumbersAllowBlanksAndOneSignWithinThirtyTwoBits)
{
    EXPECT_EQ(wholeNumber("42"), 42);
    EXPECT_EQ(wholeNumber(" \t-7\r "), -7);
    EXPECT_EQ(wholeNumber("+12"), 12);
    EXPECT_EQ(wholeNumber("0000"), 0);
    EXPECT_EQ(wholeNumber("2147483647"), 2147483647);
    EXPECT_EQ(wholeNumber("-2147483648"), -2147483647 - 1);
    for (const char* bad :
         {"", "  ", "+", "-", "+-5", "-+5", "++5", "1 2", "12a", "0x10", "1.5", "2147483648", "-2147483649", "１２"})
        EXPECT_EQ(wholeNumber(bad), std::nullopt) << "'" << bad << "'";
}
