#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "mididata/event.h"
#include "mididata/smf_test_support.h"
#include "mididata/song.h"
#include "mididata/track.h"
#include "mididata/trackcontext.h"

using smftest::control;
using smftest::note;
using smftest::noteAt;
using smftest::silentOn;

namespace {

// A track of read events, not yet folded.
struct Unfolded {
    midiSong song;
    midiTrack track{&song, 1, ""};
    explicit Unfolded(std::int32_t endTime = 10000)
    {
        track.durationForm = false;
        track.endTime = endTime;
    }
    void add(anyEvent* e) { track.addEvent(e); }
};

}  // namespace

TEST(Track, StartsEmptyInDurationFormWithItsNumberAsName)
{
    midiSong song;
    midiTrack unnamed(&song, 7, "");
    EXPECT_EQ(unnamed.name, "Track7");
    EXPECT_EQ(unnamed.number, 7);
    EXPECT_EQ(unnamed.song, &song);
    EXPECT_TRUE(unnamed.durationForm);
    EXPECT_EQ(unnamed.firstNoteTime, -1);
    EXPECT_EQ(unnamed.endTime, 0);
    EXPECT_EQ(unnamed.channels, 0);
    EXPECT_EQ(unnamed.port, 0);
    EXPECT_FALSE(unnamed.rhythm);
    EXPECT_EQ(unnamed.label, "");
    EXPECT_EQ(unnamed.nameEvent, nullptr);
    EXPECT_TRUE(unnamed.empty());
    EXPECT_TRUE(unnamed.endOfTrack.isTrackEnd());
    EXPECT_EQ(unnamed.endOfTrack.status, 0xFF);
    EXPECT_EQ(unnamed.endOfTrack.metaType, 0x2F);
    EXPECT_EQ(unnamed.endOfTrack.time, 0);
    EXPECT_EQ(unnamed.endOfTrack.length, 0);
    EXPECT_EQ(midiTrack(&song, 0, "Orvelline").name, "Orvelline");
    EXPECT_EQ(unnamed.lowestChannel(), 255);
}

TEST(Track, InsertEventKeepsTimeOrderAndGathersFacts)
{
    midiSong song;
    midiTrack t(&song, 0, "");
    auto* at0 = control(0, 0, 7, 100);
    auto* at100 = control(100, 0, 7, 90);
    auto* at200 = control(200, 0, 7, 80);
    t.insertEvent(at0, true);
    t.insertEvent(at100, true);
    t.insertEvent(at200, true);

    // Equal times keep the order of adding.
    auto* late100 = note(100, 3, 60, 100, 50);
    t.insertEvent(late100, true);
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[2], late100);
    EXPECT_EQ(t[3], at200);
    auto* another0 = control(0, 0, 10, 64);
    t.insertEvent(another0, true);
    EXPECT_EQ(t[1], another0);
    auto* last = control(300, 0, 7, 1);
    t.insertEvent(last, true);
    EXPECT_EQ(t[5], last);
    // Out of order on request: appended.
    auto* appended = control(50, 0, 7, 2);
    t.insertEvent(appended, false);
    EXPECT_EQ(t[6], appended);
    EXPECT_EQ(late100->refCount, 1);

    EXPECT_EQ(t.channels, (1u << 0) | (1u << 3));
    EXPECT_EQ(t.endTime, 150);
    EXPECT_EQ(t.firstNoteTime, 100);
    auto* drum = note(4000, 9, 36, 100, 10);
    t.insertEvent(drum, true);
    EXPECT_EQ(t.endTime, 4010);
    EXPECT_EQ(t.firstNoteTime, 100);
    EXPECT_EQ(t.channels & (1u << 9), 1u << 9);
    // Silent notes and meta events count for neither.
    t.insertEvent(note(20, 5, 60, 0, 9000), true);
    EXPECT_EQ(t.firstNoteTime, 100);
    EXPECT_EQ(t.endTime, 4010);
    auto* text = new textEvent(10);
    t.insertEvent(text, true);
    EXPECT_EQ(t.channels & (1u << 15), 0u);
    t.insertEvent(note(40, 1, 60, 1, 1), true);
    EXPECT_EQ(t.firstNoteTime, 40);

    // The song gives the position: 4000 ticks of 4/4 at 480 is bar 2, beat 0, tick 160.
    EXPECT_EQ(drum->measure, 2u);
    EXPECT_EQ(drum->beat, 0u);
    EXPECT_EQ(drum->tick, 160u);

    // Empty slots are passed over.
    midiTrack gaps(&song, 1, "");
    gaps.insertEvent(control(0, 0, 1, 1), true);
    gaps.insertEvent(control(100, 0, 1, 2), true);
    gaps.insertEvent(control(200, 0, 1, 3), true);
    gaps.releaseAt(1);
    auto* middle = control(150, 0, 1, 4);
    gaps.insertEvent(middle, true);
    gaps.pack();
    ASSERT_EQ(gaps.size(), 3u);
    EXPECT_EQ(gaps[1], middle);
}

TEST(Track, FoldPairsNoteOffsWithTheNotesTheyEnd)
{
    {
        Unfolded u;
        u.add(note(0, 0, 60));
        u.add(silentOn(480, 0, 60));
        u.track.foldNoteOffs();
        ASSERT_EQ(u.track.size(), 1u);
        EXPECT_EQ(noteAt(u.track, 0)->duration, 480);
        EXPECT_TRUE(u.track.durationForm);
    }
    {
        // A note-off message (status 9n, velocity dropped) ends a note too.
        Unfolded u;
        u.add(note(10, 2, 61));
        auto* off = new NoteOffEvent(250, 2);
        off->key = 61;
        u.add(off);
        u.track.foldNoteOffs();
        ASSERT_EQ(u.track.size(), 1u);
        EXPECT_EQ(noteAt(u.track, 0)->duration, 240);
    }
    {
        // A note-off on the note's own tick gives a note of no length.
        Unfolded u;
        u.add(note(300, 0, 60));
        u.add(silentOn(300, 0, 60));
        u.track.foldNoteOffs();
        ASSERT_EQ(u.track.size(), 1u);
        EXPECT_EQ(noteAt(u.track, 0)->duration, 0);
    }
    {
        // Overlapping notes of one key take the note-offs first come, first served.
        Unfolded u;
        u.add(note(0, 0, 60));
        u.add(note(100, 0, 60));
        u.add(silentOn(200, 0, 60));
        u.add(silentOn(300, 0, 60));
        u.track.foldNoteOffs();
        ASSERT_EQ(u.track.size(), 2u);
        EXPECT_EQ(noteAt(u.track, 0)->duration, 200);
        EXPECT_EQ(noteAt(u.track, 1)->duration, 200);
    }
    {
        // Another channel or key, or a note-off before the note, ends nothing;
        // note-offs that end nothing go all the same.
        Unfolded u(1000);
        u.add(silentOn(0, 0, 60));
        u.add(note(10, 0, 60));
        u.add(silentOn(100, 1, 60));
        u.add(silentOn(150, 0, 61));
        u.track.foldNoteOffs();
        ASSERT_EQ(u.track.size(), 1u);
        EXPECT_EQ(noteAt(u.track, 0)->duration, 990);
    }
    {
        // An already folded track is left alone.
        midiSong song;
        midiTrack t(&song, 0, "");
        t.addEvent(note(0, 0, 60));
        t.addEvent(silentOn(480, 0, 60));
        t.foldNoteOffs();
        EXPECT_EQ(t.size(), 2u);
        EXPECT_EQ(noteAt(t, 0)->duration, 0);
    }
}

TEST(Track, FoldEndsUnpairedNotesAtAllOffNextNoteOrTrackEnd)
{
    {
        Unfolded u;
        u.add(control(5, 0, 123, 0));
        u.add(note(10, 0, 60));
        u.add(control(500, 1, 123, 0));
        u.add(control(960, 0, 123, 0));
        u.track.foldNoteOffs();
        ASSERT_EQ(u.track.size(), 4u);
        EXPECT_EQ(noteAt(u.track, 1)->duration, 950);
    }
    {
        Unfolded u;
        u.add(note(0, 4, 60));
        u.add(control(700, 4, 0x78, 0));
        u.track.foldNoteOffs();
        EXPECT_EQ(noteAt(u.track, 0)->duration, 700);
    }
    {
        // A later note-off wins over an All Notes Off before it.
        Unfolded u;
        u.add(note(0, 0, 60));
        u.add(control(100, 0, 123, 0));
        u.add(silentOn(200, 0, 60));
        u.track.foldNoteOffs();
        ASSERT_EQ(u.track.size(), 2u);
        EXPECT_EQ(noteAt(u.track, 0)->duration, 200);
    }
    {
        Unfolded u(1000);
        u.add(note(0, 0, 60));
        u.add(note(100, 0, 60));
        u.track.foldNoteOffs();
        EXPECT_EQ(noteAt(u.track, 0)->duration, 99);
        EXPECT_EQ(noteAt(u.track, 1)->duration, 900);
    }
    {
        // At least one tick up to the next note of the key.
        Unfolded u(1000);
        u.add(note(0, 0, 60));
        u.add(note(0, 0, 60));
        u.add(note(1, 0, 60));
        u.track.foldNoteOffs();
        EXPECT_EQ(noteAt(u.track, 0)->duration, 1);
        EXPECT_EQ(noteAt(u.track, 1)->duration, 1);
        EXPECT_EQ(noteAt(u.track, 2)->duration, 999);
    }
    {
        Unfolded u(200);
        u.add(note(200, 0, 60));
        u.track.foldNoteOffs();
        EXPECT_EQ(noteAt(u.track, 0)->duration, 0);
    }
}

TEST(Track, FoldTakesResetMessagesOutWithoutDestroyingThem)
{
    Unfolded u;
    midiSong& song = u.song;
    auto* other = new sysexEvent(0, 0xF0, 0);
    other->bytes = {0x7E, 0x7F, 0x09, 0x01, 0xF7};
    u.add(song.gmSystemOn);
    u.add(song.xgSystemOn);
    u.add(song.gsReset);
    u.add(song.gsModeSet1);
    u.add(other);
    u.track.foldNoteOffs();
    ASSERT_EQ(u.track.size(), 2u);
    EXPECT_EQ(u.track[0], song.gsModeSet1);
    EXPECT_EQ(u.track[1], other);
    EXPECT_EQ(song.gmSystemOn->refCount, anyEvent::kPermanent);
    EXPECT_EQ(song.gsReset->refCount, anyEvent::kPermanent);
    EXPECT_EQ(song.gmSystemOn->bytes, (std::vector<std::uint8_t>{0x7E, 0x7F, 0x09, 0x01, 0xF7}));
}

TEST(Track, ExpandAddsNoteOffsThatSortBeforeTheOtherEventsOfTheirTick)
{
    midiSong song;
    midiTrack t(&song, 0, "");
    auto* n = note(0, 2, 60, 100, 480);
    auto* cc = control(480, 2, 7, 100);
    t.insertEvent(n, true);
    t.insertEvent(cc, true);
    t.expandDurations();
    EXPECT_FALSE(t.durationForm);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0], n);
    auto* off = noteAt(t, 1);
    ASSERT_NE(off, nullptr);
    EXPECT_EQ(off->time, 480);
    EXPECT_EQ(off->key, 60);
    EXPECT_EQ(off->velocity, 0);
    EXPECT_EQ(off->status, 0x92);
    EXPECT_EQ(off->kind(), kKindNoteOff);
    EXPECT_EQ(off->creationIndex, 0);
    EXPECT_EQ(off->beat, 1u);
    EXPECT_EQ(t[2], cc);
    EXPECT_EQ(t.endTime, 480);

    // Expanding twice does nothing; folding brings the durations back.
    t.expandDurations();
    EXPECT_EQ(t.size(), 3u);
    t.foldNoteOffs();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(n->duration, 480);
    EXPECT_TRUE(t.durationForm);
}

TEST(Track, ExpandPutsTheNoteOffOfANoteOfNoLengthRightAfterIt)
{
    midiSong song;
    midiTrack t(&song, 0, "");
    auto* x = note(0, 0, 50, 100, 100);
    auto* before = control(100, 0, 7, 1);
    auto* z = note(100, 0, 60, 100, 0);
    auto* after = control(100, 0, 7, 2);
    auto* silent = note(100, 0, 70, 0, 30);
    for (anyEvent* e : {static_cast<anyEvent*>(x), static_cast<anyEvent*>(before), static_cast<anyEvent*>(z),
                        static_cast<anyEvent*>(after), static_cast<anyEvent*>(silent)})
        t.insertEvent(e, true);
    t.expandDurations();
    // A silent note-on is no sounding note and gets nothing.
    ASSERT_EQ(t.size(), 7u);
    EXPECT_EQ(t[0], x);
    EXPECT_EQ(noteAt(t, 1)->key, 50);
    EXPECT_EQ(noteAt(t, 1)->velocity, 0);
    EXPECT_EQ(t[2], before);
    EXPECT_EQ(t[3], z);
    ASSERT_NE(noteAt(t, 4), nullptr);
    EXPECT_EQ(noteAt(t, 4)->key, 60);
    EXPECT_EQ(noteAt(t, 4)->velocity, 0);
    EXPECT_EQ(noteAt(t, 4)->time, 100);
    EXPECT_EQ(t[5], after);
    EXPECT_EQ(t[6], silent);

    // Folding releases every note-off, the silent note-on among them.
    t.foldNoteOffs();
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(x->duration, 100);
    EXPECT_EQ(z->duration, 0);
}

TEST(Track, ExpandAndFoldKeepTenThousandOverlappingNotesOfOneKey)
{
    midiSong song;
    midiTrack t(&song, 0, "");
    const int n = 5000;
    for (int i = 0; i < n; ++i)
        t.addEvent(note(i, 0, 60, 100, n));
    t.expandDurations();
    ASSERT_EQ(t.size(), std::size_t(2 * n));
    EXPECT_EQ(t.endTime, 2 * n - 1);
    t.foldNoteOffs();
    ASSERT_EQ(t.size(), std::size_t(n));
    int wrong = 0;
    for (std::size_t i = 0; i < t.size(); ++i)
        wrong += noteAt(t, i)->duration != n;
    EXPECT_EQ(wrong, 0);
}
