#include "perform/songposition.h"

#include <gtest/gtest.h>

#include "mididata/smf_test_support.h"
#include "midiout/practiceclock.h"
#include "midiout/practicetrack.h"

namespace {

// Three bars of 3/4 at 120 beats a minute (a bar lasts 1.5 s).
smftest::Bytes waltz()
{
    return smftest::smf(1, {
                               smftest::timed({{0, {0xFF, 0x58, 0x04, 0x03, 0x02, 0x18, 0x08}},
                                               {0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}}}),
                               smftest::timed({{0, {0x90, 60, 100}}, {4320, {0x80, 60, 0}}}),
                           });
}

}  // namespace

TEST(SongPosition, RefusesLoopsOutsideTheSongOrBackwardsAndShowsBarBeatTimeAndPass)
{
    midiSong song;
    smftest::loadImage(song, waltz());
    EXPECT_EQ(songBars(song), 3);
    EXPECT_EQ(loopProblem(song, 2, 3), "");
    EXPECT_EQ(loopProblem(song, 4, 4), "The song has 3 bars: a loop lies within bars 1 to 3.");
    EXPECT_EQ(loopProblem(song, 1, 20), "The song has 3 bars: a loop lies within bars 1 to 3.");
    EXPECT_EQ(loopProblem(song, 3, 2), "The song has 3 bars: the loop's last bar (2) comes before its first (3).");

    PracticeChoices choices;
    choices.loopFrom = choices.loopTo = 2;
    choices.countIn = true;
    midiTrack playTrack(nullptr, 0, "");
    buildPracticeTrack(song, playTrack, choices);
    const PracticeClock clock(playTrack, song.division, practiceStartTempo(song, choices),
                              practiceLayout(song, choices));
    EXPECT_EQ(songPositionText(songPositionAt(song, clock, 1000000)), "Count-in");
    // The count-in takes 1.5 s; 1.5 s later the second pass starts, 0.6 s into which is beat 2.
    EXPECT_EQ(songPositionText(songPositionAt(song, clock, 3600000)), "Bar 2:2  0:02.1  pass 2");
}
