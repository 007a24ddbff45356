#include "midispec/midispec.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// Counts the entries of a table that hold nothing but their own number (index + offset).
template <typename Lookup>
int CountNumberEntries(Lookup lookup, int size, int offset)
{
    int count = 0;
    for (int i = 0; i < size; ++i)
        if (lookup(i) == std::to_string(i + offset))
            ++count;
    return count;
}

}  // namespace

TEST(ProgramNames, HoldOneDistinctNameForEveryProgramWithTheStoredSpelling)
{
    EXPECT_EQ(ProgramName(0), "Acoustic Grand Piano");
    EXPECT_EQ(ProgramName(3), "Honkey-tonk Piano");
    EXPECT_EQ(ProgramName(48), "String Emsemble1");
    EXPECT_EQ(ProgramName(49), "String Emsemble2");
    EXPECT_EQ(ProgramName(78), "Whistle");
    EXPECT_EQ(ProgramName(87), "Lead8(bass + lead)");
    EXPECT_EQ(ProgramName(127), "Gunshot");

    std::set<std::string> names;
    for (int n = 0; n < kProgramCount; ++n) {
        EXPECT_FALSE(ProgramName(n).empty()) << n;
        names.insert(ProgramName(n));
    }
    EXPECT_EQ(names.size(), static_cast<std::size_t>(kProgramCount));
}

TEST(ProgramNames, GiveTheNumberForProgramsOutsideTheTable)
{
    EXPECT_EQ(ProgramName(-1), "-1");
    EXPECT_EQ(ProgramName(128), "128");
    EXPECT_EQ(ProgramName(1000), "1000");
}

TEST(ControllerNames, NameTheKnownControllersAndNumberTheRest)
{
    EXPECT_EQ(ControllerName(0), "Bank Select MSB(0)");
    EXPECT_EQ(ControllerName(2), "2");
    EXPECT_EQ(ControllerName(7), "Main Volume(7)");
    EXPECT_EQ(ControllerName(16), "16(AC1 Default Num)");
    EXPECT_EQ(ControllerName(73), "Atack Time(73)");
    EXPECT_EQ(ControllerName(96), "Deta Increment(96)");
    EXPECT_EQ(ControllerName(122), "122");
    EXPECT_EQ(ControllerName(127), "POLY(127)");

    EXPECT_EQ(CountNumberEntries(ControllerName, kControllerCount, 0), 128 - 36);
    // A named entry carries its number too, so an entry that slipped by one shows here.
    for (int n = 0; n < kControllerCount; ++n)
        EXPECT_NE(ControllerName(n).find(std::to_string(n)), std::string::npos) << n;

    EXPECT_EQ(ControllerName(-1), "-1");
    EXPECT_EQ(ControllerName(128), "128");
}

TEST(DrumKitNames, NameKitsByProgramAndNumberUnnamedOnesFromOne)
{
    EXPECT_EQ(DrumKitName(0), "Standard 1");
    EXPECT_EQ(DrumKitName(1), "Standard 2/(88)");
    EXPECT_EQ(DrumKitName(12), "13");
    EXPECT_EQ(DrumKitName(25), "Analog/TR-808");
    EXPECT_EQ(DrumKitName(85), "Live!Brush&Perc.(XG)");
    EXPECT_EQ(DrumKitName(86), "87");
    EXPECT_EQ(DrumKitName(126), "127CM-64(GS)");
    EXPECT_EQ(CountNumberEntries(DrumKitName, kDrumKitCount, 1), 127 - 44);

    // There is no entry for program 127.
    EXPECT_EQ(DrumKitName(127), "127");
    EXPECT_EQ(DrumKitName(-1), "-1");
}

TEST(DrumSetNames, NameKitsInTheSetStyleAndNumberUnnamedOnesFromOne)
{
    EXPECT_EQ(DrumSetName(0), "Standard Set");
    EXPECT_EQ(DrumSetName(1), "Standard Set2");
    EXPECT_EQ(DrumSetName(2), "3");
    EXPECT_EQ(DrumSetName(57), "Rhythm SFX Set");
    EXPECT_EQ(DrumSetName(126), "127CM-64/32 Set(GS)");
    EXPECT_EQ(CountNumberEntries(DrumSetName, kDrumKitCount, 1), 127 - 9);

    EXPECT_EQ(DrumSetName(127), "127");
    EXPECT_EQ(DrumSetName(-5), "-5");
}

TEST(DrumNoteNames, NameTheSoundsOfNotes13To88AndNumberTheOthers)
{
    EXPECT_EQ(DrumNoteName(0), "0");
    EXPECT_EQ(DrumNoteName(12), "12");
    EXPECT_EQ(DrumNoteName(13), "Surdo Mute(XG)");
    EXPECT_EQ(DrumNoteName(24), "Seq Click H/ConsertSD");
    EXPECT_EQ(DrumNoteName(35), "Kick Tight");
    EXPECT_EQ(DrumNoteName(42), "Hi-HatClosed");
    EXPECT_EQ(DrumNoteName(88), "Applause2(GS)");
    EXPECT_EQ(DrumNoteName(89), "89");
    EXPECT_EQ(DrumNoteName(127), "127");
    for (int n = 13; n <= 88; ++n)
        EXPECT_NE(DrumNoteName(n), std::to_string(n)) << n;
    EXPECT_EQ(CountNumberEntries(DrumNoteName, kNoteCount, 0), 128 - 76);

    EXPECT_EQ(DrumNoteName(-1), "-1");
    EXPECT_EQ(DrumNoteName(128), "128");
}
