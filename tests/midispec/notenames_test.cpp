#include "midispec/midispec.h"

#include <gtest/gtest.h>

#include <string>

TEST(NoteNames, NameNotesWithPitchClassAndOctaveInFourCharacters)
{
    EXPECT_EQ(NoteName(0), " C-1");
    EXPECT_EQ(NoteName(1), "C#-1");
    EXPECT_EQ(NoteName(3), "Eb-1");
    EXPECT_EQ(NoteName(11), " B-1");
    EXPECT_EQ(NoteName(12), " C 0");
    EXPECT_EQ(NoteName(60), " C 4");
    EXPECT_EQ(NoteName(61), " C#4");
    EXPECT_EQ(NoteName(70), " Bb4");
    EXPECT_EQ(NoteName(127), " G 9");

    for (int n = 0; n < kNoteCount; ++n) {
        const std::string name = NoteName(n);
        ASSERT_EQ(name.size(), 4u) << n;
        if (n < 12) {
            EXPECT_EQ(name.substr(2), "-1") << n;
            continue;
        }
        EXPECT_EQ(name[3], '0' + n / 12 - 1) << n;
        // From octave 0 on, the pitch class part repeats unchanged every octave.
        if (n >= 24) {
            EXPECT_EQ(name.substr(0, 3), NoteName(n - 12).substr(0, 3)) << n;
        }
    }
}

TEST(NoteNames, MarkNotesBelowAndAboveTheMidiRange)
{
    EXPECT_EQ(NoteName(-1), "----");
    EXPECT_EQ(NoteName(-1000), "----");
    EXPECT_EQ(NoteName(128), "++++");
    EXPECT_EQ(NoteName(1000), "++++");
}
