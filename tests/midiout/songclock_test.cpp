#include <gtest/gtest.h>

#include <climits>

#include "mididata/song.h"
#include "midiout/songclock.h"

TEST(SequencePlayerClock, CountsEveryTickExactlyWithoutDrift)
{
    // 1041.67 us a tick: whole microseconds a tick would lose 0.67 us on each.
    SongClock clock(480, 0);
    for (std::int32_t tick = 1; tick <= 48000; ++tick)
        ASSERT_EQ(clock.advance(tick, 500000), std::int64_t(tick) * 500000 / 480) << "tick " << tick;
}

TEST(SequencePlayerClock, CountsEachGapAtTheTempoItBeganWith)
{
    SongClock clock(480, 100);  // times count from the first event
    EXPECT_EQ(clock.advance(100, 500000), 0);
    EXPECT_EQ(clock.advance(580, 500000), 500000);
    EXPECT_EQ(clock.advance(1060, 250000), 750000);
    EXPECT_EQ(clock.advance(1000, 250000), 750000);  // out of order: due at once
    EXPECT_EQ(clock.advance(1061, 1), 750000);       // 1/480 us is kept, not lost...
    SongClock exact(480, 0);
    exact.advance(480, 1);
    EXPECT_EQ(exact.advance(960, 1), 2);  // ...so that it adds up
}

TEST(SequencePlayerClock, StandsStillForDivisionZeroAndHoldsTheLongestSong)
{
    SongClock still(0, 0);
    EXPECT_EQ(still.advance(480, 500000), 0);
    EXPECT_EQ(still.advance(INT32_MAX, kMaxTempo), 0);

    SongClock longest(1, INT32_MIN);
    EXPECT_EQ(longest.advance(INT32_MAX, kMaxTempo), std::int64_t(UINT32_MAX) * kMaxTempo);
}

TEST(SequencePlayerClock, ReadsTheTempoOfSetTempoEventsOnly)
{
    EXPECT_EQ(tempoSetBy(TempoEvent(0, 0x51, 400000)), 400000);
    TempoEvent empty(0);
    EXPECT_EQ(tempoSetBy(empty), 500000);
    metaEvent wide(0, 0x51);
    wide.data = {0x01, 0x00, 0x00, 0x00};
    wide.length = 4;
    EXPECT_EQ(tempoSetBy(wide), kMaxTempo);
    EXPECT_EQ(tempoSetBy(trackNameEvent(0)), 0);
    EXPECT_EQ(tempoSetBy(ControlChangeEvent(0, 0)), 0);
}

TEST(SequencePlayerClock, TimesEveryEventOfATrackAsThePlayerAimsThem)
{
    midiSong song;
    song.division = 480;
    midiTrack track(&song, 1, "");
    track.addEvent(new ControlChangeEvent(240, 0));
    track.addEvent(new TempoEvent(720, 0x51, 250000));
    track.addEvent(new ControlChangeEvent(720, 0));
    track.addEvent(new ControlChangeEvent(720, 0));
    track.releaseAt(track.size() - 1);  // an empty slot
    track.addEvent(new ControlChangeEvent(1200, 0));
    EXPECT_EQ(playerEventMicros(track, 500000), (std::vector<std::int64_t>{0, 500000, 500000, 500000, 750000}));

    midiTrack empty(&song, 2, "");
    EXPECT_TRUE(playerEventMicros(empty, 500000).empty());
}
