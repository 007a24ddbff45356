#include "mididata/xgnames.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "mididata/event.h"

namespace {

// A Yamaha XG parameter change for address h m l with one data byte.
std::vector<std::uint8_t> xg(std::uint8_t h, std::uint8_t m, std::uint8_t l)
{
    return {0x43, 0x10, 0x4C, h, m, l, 0x00, 0xF7};
}

}  // namespace

TEST(XgNames, AnswersForeignAndShortMessagesWithFixedTexts)
{
    EXPECT_EQ(XgParameterName({0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}), "Not XG or GM");
    EXPECT_EQ(XgParameterName(std::vector<std::uint8_t>{}), "Not XG or GM");
    EXPECT_EQ(XgParameterName({0x43}), "No Address");
    EXPECT_EQ(XgParameterName({0x43, 0x10, 0x4C, 0x08, 0xF7}), "No Address");
    EXPECT_EQ(XgParameterName({0x43, 0x10, 0x4C, 0x08, 0x00, 0xF7}), "UNKNOWN PARAMETER:Address = <0800F7>");
}

TEST(XgNames, NamesSystemEffectAndEqualizerAddresses)
{
    EXPECT_EQ(XgParameterName(xg(0x00, 0x00, 0x7E)), "XG SYSTEM ON");
    EXPECT_EQ(XgParameterName(xg(0x00, 0x00, 0x00)), "MASTER TUNE");
    EXPECT_EQ(XgParameterName(xg(0x00, 0x00, 0x05)), "MASTER ATTENATOR");
    EXPECT_EQ(XgParameterName(xg(0x00, 0x00, 0x7F)), "ALL PARAMETER RESET");
    EXPECT_EQ(XgParameterName({0x43, 0x10, 0x4C, 0x00, 0x00, 0x01, 0xF7}), "UNKNOWN PARAMETER:Address = <000001>");

    EXPECT_EQ(XgParameterName(xg(0x02, 0x01, 0x00)), "REVERB TYPE");
    EXPECT_EQ(XgParameterName(xg(0x02, 0x01, 0x2E)), "SEND CHORUS TO REVERB");
    EXPECT_EQ(XgParameterName(xg(0x02, 0x01, 0x75)), "VARIATION PARAMETER 16");
    EXPECT_EQ(XgParameterName(xg(0x02, 0x01, 0x01)), "UNKNOWN PARAMETER:Address = <020101>");

    EXPECT_EQ(XgParameterName(xg(0x02, 0x40, 0x00)), "EQTYPE");
    EXPECT_EQ(XgParameterName(xg(0x02, 0x40, 0x03)), "EQ Ql");
    EXPECT_EQ(XgParameterName(xg(0x02, 0x40, 0x0F)), "EQQ4");
    EXPECT_EQ(XgParameterName(xg(0x02, 0x40, 0x12)), "EQ FREQUCNCY5");
    EXPECT_EQ(XgParameterName(xg(0x02, 0x40, 0x15)), "UNKNOWN PARAMETER:Address = <024015>");
}

TEST(XgNames, SpellsDisplayLettersUpToTheClosingByte)
{
    EXPECT_EQ(XgParameterName({0x43, 0x10, 0x4C, 0x06, 0x00, 0x00, 0x41, 0x42, 0xF7}), "DISPLAY LETTER<AB>");
    EXPECT_EQ(XgParameterName({0x43, 0x10, 0x4C, 0x06, 0x00, 0x00, 0xF7}), "DISPLAY LETTER<>");
    // Ending right after the address leaves no letters and no closing byte to drop.
    EXPECT_EQ(XgParameterName({0x43, 0x10, 0x4C, 0x06, 0x00, 0x00}), "DISPLAY LETTER<>");
    EXPECT_EQ(XgParameterName({0x43, 0x10, 0x4C, 0x06, 0x00, 0x00, 0x5A}), "DISPLAY LETTER<>");
    EXPECT_EQ(XgParameterName({0x43, 0x10, 0x4C, 0x07, 0x12, 0x34, 0xF7}), "DISPLAY BITMAP");
    EXPECT_EQ(XgParameterName({0x43, 0x10, 0x4C, 0x07, 0x00, 0x00}), "DISPLAY BITMAP");
    EXPECT_EQ(XgParameterName(xg(0x11, 0x00, 0x00)), "A/D SETUP Part = 0");
    EXPECT_EQ(XgParameterName(xg(0x11, 0x00, 0x01)), "UNKNOWN PARAMETER:Address = <110001>");
}

TEST(XgNames, NamesDrumSetupParametersWithSetupAndNote)
{
    EXPECT_EQ(XgParameterName({0x43, 0x10, 0x4C, 0x30, 0x24, 0x05, 0x40, 0xF7}), "REVERB SEND Drum 0 Note 36");
    EXPECT_EQ(XgParameterName(xg(0x31, 0x24, 0x05)), "REVERB SEND Drum 1 Note 36");
    EXPECT_EQ(XgParameterName(xg(0x3F, 0x00, 0x0D)), "EG ATACK Drum 15 Note 0");
    EXPECT_EQ(XgParameterName(xg(0x32, 0x7F, 0x20)), " EQ BASS  2 Note 127");
    EXPECT_EQ(XgParameterName(xg(0x30, 0x10, 0x73)), " SOURCE DRUM KIT(Note number)(NOT USED)  0 Note 16");
    EXPECT_EQ(XgParameterName(xg(0x30, 0x24, 0x10)), "UNKNOWN PARAMETER:Address = <302410>");
    EXPECT_EQ(XgParameterName(xg(0x40, 0x24, 0x05)), "UNKNOWN PARAMETER:Address = <402405>");
}

TEST(XgNames, NamesInsertionEffectsWithTheirNumber)
{
    EXPECT_EQ(XgParameterName(xg(0x03, 0x00, 0x00)), "INSERTION EFFECT1 TYPE MSB");
    EXPECT_EQ(XgParameterName({0x43, 0x10, 0x4C, 0x03, 0x01, 0x0C, 0x05, 0xF7}), "INSERTION EFFECT2 PART");
    EXPECT_EQ(XgParameterName(xg(0x03, 0x00, 0x02)), "INSERTION EFFECT1 PARAMETERI");
    EXPECT_EQ(XgParameterName(xg(0x03, 0x02, 0x04)), "lNSERTION EFFECT3 PARAMETER3");
    EXPECT_EQ(XgParameterName(xg(0x03, 0x00, 0x11)), "AC2 INSERTION1 CONTROL DEPTH");
    EXPECT_EQ(XgParameterName(xg(0x03, 0xFF, 0x42)), "INSERTION EFFECT256 PARAMETER11");
    EXPECT_EQ(XgParameterName(xg(0x03, 0x00, 0x01)), "UNKNOWN PARAMETER:Address = <030001>");
}

TEST(XgNames, NamesMultiPartParametersWithThePartNumber)
{
    EXPECT_EQ(XgParameterName({0x43, 0x10, 0x4C, 0x08, 0x00, 0x07, 0x02, 0xF7}), "Part1 PART MODE");
    EXPECT_EQ(XgParameterName(xg(0x08, 0x00, 0x0F)), "Part1 NOTE LIMIT LOW");
    EXPECT_EQ(XgParameterName(xg(0x08, 0x09, 0x01)), "Part10 BANK SELECT MSB");
    EXPECT_EQ(XgParameterName(xg(0x08, 0x0F, 0x5E)), "Part16 ACI LFO FMOD DEFrH");
    EXPECT_EQ(XgParameterName(xg(0x08, 0x00, 0x7F)), "Part1 EQ TREBLE shape (NOT USED)");
    EXPECT_EQ(XgParameterName(xg(0x08, 0x00, 0x0A)), "UNKNOWN PARAMETER:Address = <08000A>");
    EXPECT_EQ(XgParameterName(xg(0x08, 0x00, 0x6F)), "UNKNOWN PARAMETER:Address = <08006F>");

    EXPECT_EQ(XgParameterName(xg(0x09, 0x02, 0x00)), "Part3 VL Note Assign");
    EXPECT_EQ(XgParameterName(xg(0x09, 0x00, 0x0A)), "Part1 SCREAM CONTROL DEPTH ");
    EXPECT_EQ(XgParameterName(xg(0x09, 0x00, 0x16)), "Part1 ABSORPTION CONTROL DEPTH");
    EXPECT_EQ(XgParameterName(xg(0x09, 0x00, 0x17)), "UNKNOWN PARAMETER:Address = <090017>");
}

TEST(XgNames, NamesAdPartParametersWithoutANumber)
{
    EXPECT_EQ(XgParameterName(xg(0x10, 0x00, 0x00)), "INPUT GAIN");
    EXPECT_EQ(XgParameterName(xg(0x10, 0x01, 0x0B)), "VOLUME");
    EXPECT_EQ(XgParameterName(xg(0x10, 0x00, 0x05)), "NOT USED");
    EXPECT_EQ(XgParameterName(xg(0x10, 0x00, 0x0A)), "NOT USED");
    EXPECT_EQ(XgParameterName(xg(0x10, 0x00, 0x58)), "NOT USED");
    EXPECT_EQ(XgParameterName(xg(0x10, 0x00, 0xC0)), "AC2 CONTROLLER NVMBER");
    EXPECT_EQ(XgParameterName(xg(0x10, 0x00, 0x15)), "UNKNOWN PARAMETER:Address = <100015>");
    EXPECT_EQ(XgParameterName(xg(0x10, 0x00, 0x60)), "UNKNOWN PARAMETER:Address = <100060>");
}

TEST(XgNames, ReadsTheStoredBytesOfAnEvent)
{
    sysexEvent e(0, 0xF0, 0);
    e.bytes = {0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};
    EXPECT_EQ(XgParameterName(e), "XG SYSTEM ON");
    e.bytes = {0x43, 0x10, 0x4C, 0x01, 0x02, 0x03, 0x00, 0xF7};
    EXPECT_EQ(XgParameterName(e), "UNKNOWN PARAMETER:Address = <010203>");
}
