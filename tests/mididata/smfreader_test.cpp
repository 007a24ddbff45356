#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "mididata/event.h"
#include "mididata/midierror.h"
#include "mididata/smf_test_support.h"
#include "mididata/song.h"

using namespace smftest;

namespace {

const std::set<std::string> kReaderMessages = {
    "Couldn't find MIDI Header block", "Invalid header length",      "Format2 is not supported",
    "Couldn't find MIDI Track block",  "Data may have been broken.", "Data chunk may be broken",
};

bool isReaderMessage(const std::string& m)
{
    return kReaderMessages.count(m) != 0;
}

}  // namespace

TEST(SmfReader, RejectsBrokenHeaders)
{
    EXPECT_EQ(loadMessage({'M', 'T', 'h', 'x', 0, 0, 0, 6, 0, 0, 0, 1, 1, 0xE0}), "Couldn't find MIDI Header block");
    EXPECT_EQ(loadMessage(Bytes{}), "Couldn't find MIDI Header block");
    EXPECT_EQ(loadMessage({'M', 'T'}), "Couldn't find MIDI Header block");
    EXPECT_EQ(loadMessage(join({{'M', 'T', 'h', 'd', 0, 0, 0, 8, 0, 1, 0, 1, 1, 0xE0, 0, 0}, track({})})),
              "Invalid header length");
    EXPECT_EQ(loadMessage(smf(2, {{}})), "Format2 is not supported");
    const std::string cut = loadMessage({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1});
    EXPECT_TRUE(isReaderMessage(cut)) << cut;
}

TEST(SmfReader, RejectsMissingTrackChunks)
{
    EXPECT_EQ(loadMessage(join({header(1, 1), {'M', 'T', 'r', 'x', 0, 0, 0, 4}, kEndOfTrack})),
              "Couldn't find MIDI Track block");
    EXPECT_EQ(loadMessage(join({header(1, 2), track({})})), "Couldn't find MIDI Track block");
    const std::string bare = loadMessage(join({header(1, 1), {'M', 'T', 'r', 'k'}}));
    EXPECT_TRUE(isReaderMessage(bare)) << bare;
    // The chunk length plays no part: the next chunk follows the End of Track.
    midiSong song;
    EXPECT_EQ(loadMessage(song, join({header(1, 2),
                                      {'M', 'T', 'r', 'k', 0, 0, 0, 0},
                                      kEndOfTrack,
                                      {'M', 'T', 'r', 'k', 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x90, 0x3C, 0x64},
                                      kEndOfTrack})),
              "");
    ASSERT_EQ(song.tracks.size(), 2u);
    EXPECT_EQ(song.tracks[1]->size(), 1u);
}

TEST(SmfReader, NeverReadsPastTheEndOfATruncatedFile)
{
    const Bytes format0 = smf(0, {{0x00, 0xFF, 0x58, 0x04, 0x03, 0x02, 0x18, 0x08, 0x00, 0xC1, 0x05, 0x00, 0x91,
                                   0x3C, 0x64, 0x00, 0xB9, 0x07, 0x64, 0x60, 0x81, 0x3C, 0x40, 0x00, 0xD9, 0x10}});
    const Bytes laterTempo = smf(1, {{0x00, 0xFF, 0x01, 0x01, 'x'},
                                     {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xE0, 0x00, 0x40},
                                     {0x60, 0xFF, 0x51, 0x03, 0x09, 0x27, 0xC0, 0x00, 0xF7, 0x01, 0xF7}});
    const Bytes rich = richFile();
    for (const Bytes* file : {&rich, &format0, &laterTempo}) {
        const Bytes& good = *file;
        ASSERT_EQ(loadMessage(good), "");
        // One song reused for every cut, as a window reuses its song.
        midiSong song;
        for (std::size_t n = 0; n < good.size(); ++n) {
            const Bytes cut(good.begin(), good.begin() + std::ptrdiff_t(n));
            const std::string m = loadMessage(song, cut);
            EXPECT_TRUE(isReaderMessage(m)) << "cut at " << n << ": '" << m << "'";
            // A broken format 0 file is not split.
            if (file == &format0) {
                EXPECT_TRUE(song.tracks.empty());
            }
            (void)song.keyAt(1);
            (void)song.tempoAt(0);
        }
    }

    // A track without End of Track, and lengths that claim more than is there.
    EXPECT_TRUE(isReaderMessage(loadMessage(join({header(1, 1), chunk({0x00, 0x90, 0x3C, 0x64})}))));
    const Bytes claims[] = {
        {0x00, 0xFF, 0x01, 0x87, 0xFF, 0xFF, 0xFF, 0x7F, 'a'},
        {0x00, 0xFF, 0x01, 0x0A, 'a', 'b'},
        {0x00, 0xF0, 0x87, 0xFF, 0xFF, 0xFF, 0x7F, 0xF7},
        {0x00, 0xF7, 0x05, 0x01},
    };
    for (const Bytes& c : claims) {
        const std::string m = loadMessage(join({header(1, 1), chunk(c)}));
        EXPECT_TRUE(isReaderMessage(m)) << m;
    }
}

TEST(SmfReader, RefusesNegativeOrOverflowingNumbersAsBrokenData)
{
    const char* broken = "Data may have been broken.";
    EXPECT_EQ(loadMessage(smf(1, {{0x8F, 0xFF, 0xFF, 0xFF, 0x7F, 0x90, 0x3C, 0x64}})), broken);
    EXPECT_EQ(loadMessage(smf(1, {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x90, 0x3C, 0x64}})), broken);
    EXPECT_EQ(loadMessage(smf(1, {{0x00, 0xFF, 0x01, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F}})), broken);
    EXPECT_EQ(loadMessage(smf(1, {{0x00, 0xF0, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F}})), broken);
    // Two deltas that together pass the largest time.
    EXPECT_EQ(loadMessage(smf(1, {{0x87, 0xFF, 0xFF, 0xFF, 0x7F, 0x90, 0x3C, 0x64, 0x01, 0x80, 0x3C, 0x00}})), broken);
    EXPECT_EQ(loadMessage(smf(1, {{0x87, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x01, 0x00, 0x87, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF,
                                   0x01, 0x00}})),
              broken);

    // The largest time itself is fine.
    midiSong song;
    ASSERT_EQ(loadMessage(song, smf(1, {{0x87, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x01, 0x00}})), "");
    EXPECT_EQ(song.songLength, INT32_MAX);
    EXPECT_EQ(song.tracks[0]->at(0)->time, INT32_MAX);
    EXPECT_EQ(song.barStarts.count(), std::int64_t(INT32_MAX) / 1920 + 2);
}

// Shapes editors leave: a velocity of 204 under a status and under running
// status, a controller value of 128, a key and a bend byte with the high bit.
TEST(SmfReader, TakesDataBytesOf128OrMoreAsTheValuesTheyAreAndWritesThemBack)
{
    const Bytes events = {
        0x00, 0x90, 0x3C, 0xCC, 0x00, 0x3E, 0xCC,  // two notes, the second by running status
        0x00, 0xB0, 0x07, 0x80, 0x00, 0xC0, 0x85,  // volume 128, program 133
        0x00, 0xA0, 0x90, 0x10, 0x00, 0xE0, 0x80, 0x40, 0x00, 0x91, 0x40, 0x64, 0x00, 0x91, 0xC3, 0x64,
        0x00, 0xC3, 0x64,  // where an event starts, such a byte is a status: program 100
        0x83, 0x60, 0x80, 0x3C, 0x00, 0x00, 0x3E, 0x00, 0x00, 0x91, 0x40, 0x00, 0x00, 0x91, 0xC3, 0x00};
    midiSong song;
    ASSERT_EQ(loadMessage(song, smf(1, {events})), "");
    EXPECT_EQ(song.highDataBytes, 8u);
    EXPECT_EQ(highDataBytesNote(song), "holds 8 data bytes above 127, kept as read and sent to a device as 127");
    const midiTrack& t = *song.tracks[0];
    ASSERT_EQ(t.size(), 9u);
    EXPECT_EQ(noteAt(t, 0)->velocity, 204);
    EXPECT_EQ(noteAt(t, 0)->duration, 480);
    EXPECT_EQ(noteAt(t, 1)->velocity, 204);
    EXPECT_EQ(eventAs<ControlChangeEvent>(t, 2)->value, 128);
    EXPECT_EQ(eventAs<ProgramChangeEvent>(t, 3)->program, 0x85);
    EXPECT_EQ(eventAs<PolyAfterEvent>(t, 4)->key, 0x90);
    EXPECT_EQ(eventAs<PitchBendEvent>(t, 5)->bend, 0x80 + 128 * 0x40);
    EXPECT_EQ(noteAt(t, 7)->key, 0xC3);
    EXPECT_EQ(noteAt(t, 7)->duration, 480);
    ASSERT_NE(eventAs<ProgramChangeEvent>(t, 8), nullptr);
    EXPECT_EQ(eventAs<ProgramChangeEvent>(t, 8)->channel(), 3);
    EXPECT_NE(t.at(1)->AsText().find("Vel = 204"), std::string::npos) << t.at(1)->AsText();

    // Written and read again, the same bytes: the status is repeated before a
    // first data byte with the high bit, so that it cannot read as a status.
    const Bytes saved = saveImage(song);
    const Bytes body = trackBody(saved, 0);
    const auto holds = [&body](const Bytes& part) {
        return std::search(body.begin(), body.end(), part.begin(), part.end()) != body.end();
    };
    EXPECT_TRUE(holds({0x00, 0x91, 0xC3, 0x64}));
    EXPECT_TRUE(holds({0x00, 0x91, 0xC3, 0x00}));
    EXPECT_TRUE(holds({0x00, 0xE0, 0x80, 0x40}));
    midiSong again;
    ASSERT_EQ(loadMessage(again, saved), "");
    EXPECT_EQ(again.highDataBytes, song.highDataBytes);
    EXPECT_EQ(describeSong(again), describeSong(song));
    EXPECT_EQ(saveImage(again), saved);

    midiSong plain;
    ASSERT_EQ(loadMessage(plain, smf(1, {{0x00, 0x90, 0x7F, 0x7F, 0x00, 0xC0, 0x7F, 0x00, 0xE0, 0x7F, 0x7F}})), "");
    EXPECT_EQ(plain.highDataBytes, 0u);
    EXPECT_EQ(highDataBytesNote(plain), "");
}

TEST(SmfReader, AnEventCutShortByTheEndOfTheFileIsBrokenData)
{
    const char* broken = "Data may have been broken.";
    for (const Bytes& cut : {Bytes{0x00, 0x90, 0x3C}, Bytes{0x00, 0x90, 0x3C, 0xCC, 0x00, 0x3E},
                             Bytes{0x00, 0xB0, 0x07}, Bytes{0x00, 0xC0}, Bytes{0x00, 0xE0, 0x80}})
        EXPECT_EQ(loadMessage(join({header(1, 1), chunk(cut)})), broken) << cut.size();
}

TEST(SmfReader, RunningStatusRepeatsTheLastChannelStatusOfTheTrack)
{
    const Bytes between[] = {
        {}, {0x00, 0xFF, 0x01, 0x00}, {0x00, 0xF0, 0x03, 0x43, 0x10, 0xF7}, {0x00, 0xF8}, {0x00, 0xF1, 0x00, 0xFE},
    };
    for (const Bytes& b : between) {
        midiSong song;
        const Bytes events =
            join({{0x00, 0x90, 0x3C, 0x64}, b, {0x00, 0x3E, 0x64, 0x83, 0x60, 0x3C, 0x00, 0x00, 0x3E, 0x00}});
        ASSERT_EQ(loadMessage(song, smf(1, {events})), "") << b.size();
        std::vector<const NoteOnEvent*> notes;
        for (const anyEvent* e : song.tracks[0]->items())
            if (e->kind() == kKindNoteOn)
                notes.push_back(static_cast<const NoteOnEvent*>(e));
        ASSERT_EQ(notes.size(), 2u) << b.size();
        EXPECT_EQ(notes[0]->key, 0x3C);
        EXPECT_EQ(notes[1]->key, 0x3E);
        EXPECT_EQ(notes[1]->status, 0x90);
        EXPECT_EQ(notes[1]->velocity, 0x64);
        EXPECT_EQ(notes[0]->duration, 480);
        EXPECT_EQ(notes[1]->duration, 480);
    }

    midiSong controls;
    ASSERT_EQ(loadMessage(controls, smf(1, {{0x00, 0xB2, 0x07, 0x64, 0x00, 0x0A, 0x40, 0x00, 0xC2, 0x05, 0x00, 0x06}})),
              "");
    const midiTrack& t = *controls.tracks[0];
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(eventAs<ControlChangeEvent>(t, 1)->controller, 0x0A);
    EXPECT_EQ(eventAs<ControlChangeEvent>(t, 1)->status, 0xB2);
    EXPECT_EQ(eventAs<ProgramChangeEvent>(t, 3)->program, 6);

    const char* noStatus = "Data chunk may be broken";
    EXPECT_EQ(loadMessage(smf(1, {{0x00, 0x40}})), noStatus);
    EXPECT_EQ(loadMessage(smf(1, {{0x00, 0xFF, 0x01, 0x00, 0x00, 0x40, 0x00}})), noStatus);
    EXPECT_EQ(loadMessage(smf(1, {{0x00, 0xF0, 0x01, 0xF7, 0x00, 0x40, 0x00}})), noStatus);
    EXPECT_EQ(loadMessage(smf(1, {{0x00, 0xF8, 0x00, 0x40, 0x00}})), noStatus);
    // Each track starts without a status.
    EXPECT_EQ(loadMessage(smf(1, {{0x00, 0x90, 0x3C, 0x64}, {0x00, 0x3C, 0x64}})), noStatus);
}

TEST(SmfReader, NoteOffsBecomeDurations)
{
    struct Case {
        Bytes events;
        std::int32_t duration;
    };
    const Case cases[] = {
        {{0x00, 0x90, 0x3C, 0x64, 0x83, 0x60, 0x3C, 0x00}, 480},
        {{0x00, 0x90, 0x3C, 0x64, 0x83, 0x60, 0x80, 0x3C, 0x40}, 480},
        {{0x00, 0x90, 0x3C, 0x64, 0x00, 0x80, 0x3C, 0x40}, 0},
        {{0x00, 0x90, 0x3C, 0x64, 0x00, 0x3C, 0x00}, 0},
    };
    for (const Case& c : cases) {
        midiSong song;
        ASSERT_EQ(loadMessage(song, smf(1, {c.events})), "");
        ASSERT_EQ(song.tracks[0]->size(), 1u);
        EXPECT_EQ(noteAt(*song.tracks[0], 0)->duration, c.duration);
        EXPECT_TRUE(song.tracks[0]->durationForm);
    }

    midiSong allOff;
    ASSERT_EQ(loadMessage(allOff, smf(1, {{0x00, 0x90, 0x3C, 0x64, 0x87, 0x40, 0xB0, 0x7B, 0x00}})), "");
    ASSERT_EQ(allOff.tracks[0]->size(), 2u);
    EXPECT_EQ(noteAt(*allOff.tracks[0], 0)->duration, 960);

    // No note-off: up to one tick before the next note of the key, else the track's end.
    midiSong unended;
    ASSERT_EQ(loadMessage(unended, smf(1, {{0x00, 0x90, 0x3C, 0x64, 0x64, 0x3C, 0x64, 0x87, 0x40, 0xFF, 0x01, 0x00}})),
              "");
    const midiTrack& t = *unended.tracks[0];
    EXPECT_EQ(t.endTime, 1060);
    EXPECT_EQ(noteAt(t, 0)->duration, 99);
    EXPECT_EQ(noteAt(t, 1)->duration, 960);

    // The first note-on counts for the first note time, whatever its velocity.
    midiSong first;
    ASSERT_EQ(loadMessage(first, smf(1, {{0x14, 0x90, 0x3C, 0x00, 0x1E, 0x90, 0x3C, 0x64}})), "");
    EXPECT_EQ(first.tracks[0]->firstNoteTime, 20);
    EXPECT_EQ(first.firstNoteTime, 20);
}

TEST(SmfReader, ANoteOffThatEndsNoNoteStaysAsWritten)
{
    const Bytes events = {0x00, 0x93, 0x3C, 0x00, 0x0A, 0x84, 0x3D, 0x40, 0x81,
                          0x70, 0x90, 0x3E, 0x64, 0x60, 0x80, 0x3E, 0x00};
    midiSong song;
    ASSERT_EQ(loadMessage(song, smf(1, {events})), "");
    const midiTrack& t = *song.tracks[0];
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(noteAt(t, 0)->status, 0x93);
    EXPECT_EQ(noteAt(t, 0)->kind(), kKindNoteOff);
    EXPECT_EQ(noteAt(t, 1)->status, 0x84);
    EXPECT_EQ(noteAt(t, 1)->time, 10);
    EXPECT_EQ(noteAt(t, 1)->velocity, 0);
    EXPECT_EQ(noteAt(t, 2)->kind(), kKindNoteOn);
    EXPECT_EQ(noteAt(t, 2)->duration, 96);
    EXPECT_EQ(t.firstNoteTime, 0);
    EXPECT_EQ(t.channels, 0x19);
    // Written back as read, the note's own note-off built from its duration.
    EXPECT_EQ(trackBody(saveImage(song), 0),
              join({{0x00, 0x93, 0x3C, 0x00, 0x0A, 0x84, 0x3D, 0x00, 0x81, 0x70, 0x90, 0x3E, 0x64, 0x60, 0x3E, 0x00},
                    kEndOfTrack}));
}

TEST(SmfReader, PairsTenThousandOverlappingNotesOfOneKeyInOrder)
{
    const int n = 5000;
    Bytes events = {0x00, 0x90, 0x3C, 0x64};
    for (int i = 1; i < n; ++i)
        events.insert(events.end(), {0x01, 0x3C, 0x64});
    events.insert(events.end(), {0x01, 0x3C, 0x00});
    for (int i = 1; i < n; ++i)
        events.insert(events.end(), {0x01, 0x3C, 0x00});
    midiSong song;
    ASSERT_EQ(loadMessage(song, smf(1, {events})), "");
    const midiTrack& t = *song.tracks[0];
    ASSERT_EQ(t.size(), std::size_t(n));
    int wrong = 0;
    for (std::size_t i = 0; i < t.size(); ++i)
        wrong += noteAt(t, i)->duration != n || noteAt(t, i)->time != std::int32_t(i);
    EXPECT_EQ(wrong, 0);
}

TEST(SmfReader, ResetMessagesSetFlagsAndLeaveTheirTracks)
{
    midiSong song;
    ASSERT_EQ(loadMessage(song, smf(1,
                                    {
                                        {0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0x00, 0xF0, 0x0A, 0x41, 0x10,
                                         0x42, 0x12, 0x00, 0x00, 0x7F, 0x00, 0x01, 0xF7, 0x00, 0xF0, 0x08, 0x43, 0x10,
                                         0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7, 0x00, 0xF7, 0x02, 0x01, 0x02},
                                        {0x00, 0xF7, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7,
                                         0x00, 0xF0, 0x01, 0xF7},
                                    })),
              "");
    EXPECT_EQ(song.resetFlags, 7u);
    const midiTrack& t0 = *song.tracks[0];
    ASSERT_EQ(t0.size(), 2u);
    auto* modeSet = eventAs<sysexEvent>(t0, 0);
    ASSERT_NE(modeSet, nullptr);
    EXPECT_TRUE(sameSysex(modeSet, song.gsModeSet1));
    EXPECT_NE(modeSet, song.gsModeSet1);
    EXPECT_EQ(modeSet->ordinal, 1);
    EXPECT_EQ(eventAs<sysexEvent>(t0, 1)->ordinal, 3);
    EXPECT_EQ(eventAs<sysexEvent>(t0, 1)->status, 0xF7);
    const midiTrack& t1 = *song.tracks[1];
    ASSERT_EQ(t1.size(), 1u);
    EXPECT_EQ(eventAs<sysexEvent>(t1, 0)->ordinal, 1);
    ASSERT_EQ(song.sysexEvents.size(), 3u);
    EXPECT_EQ(song.sysexEvents[0], modeSet);
    EXPECT_EQ(song.sysexEvents[2], t1[0]);

    ASSERT_EQ(loadMessage(song, smf(1, {{0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7}})), "");
    EXPECT_EQ(song.resetFlags, 1u);
    EXPECT_TRUE(song.tracks[0]->empty());
    EXPECT_TRUE(song.sysexEvents.empty());
}

TEST(SmfReader, CopyrightTextsAreJoinedForShowingAndKeptAsReadInTheirTracks)
{
    midiSong song;
    const Bytes twoTracks = smf(1, {
                                       {0x00, 0xFF, 0x02, 0x01, 'A', 0x00, 0xFF, 0x02, 0x01, 'B'},
                                       {0x00, 0xFF, 0x02, 0x02, 'C', 'D', 0x00, 0xFF, 0x02, 0x00},
                                   });
    ASSERT_EQ(loadMessage(song, twoTracks), "");
    ASSERT_NE(song.copyright, nullptr);
    EXPECT_EQ(song.copyright->ValueText(), "A B CD ");
    ASSERT_EQ(song.tracks[0]->size(), 2u);
    EXPECT_EQ(eventAs<copyrightEvent>(*song.tracks[0], 0)->ValueText(), "A");
    EXPECT_EQ(eventAs<copyrightEvent>(*song.tracks[0], 1)->ValueText(), "B");
    EXPECT_EQ(song.tracks[1]->size(), 2u);
    // Saving writes each text as it was read, however often it is done.
    const Bytes once = saveImage(song);
    midiSong again;
    ASSERT_EQ(loadMessage(again, once), "");
    EXPECT_EQ(again.copyright->ValueText(), "A B CD ");
    EXPECT_EQ(saveImage(again), once);
    EXPECT_EQ(trackBody(once, 0), join({{0x00, 0xFF, 0x02, 0x01, 'A', 0x00, 0xFF, 0x02, 0x01, 'B'}, kEndOfTrack}));
    // A single copyright is the event itself.
    ASSERT_EQ(loadMessage(song, smf(1, {{0x00, 0xFF, 0x02, 0x01, 'Y'}})), "");
    EXPECT_EQ(song.copyright, song.tracks[0]->at(0));

    ASSERT_EQ(loadMessage(song, smf(1, {{0x00, 0xFF, 0x02, 0x01, 'X'}})), "");
    EXPECT_EQ(song.copyright->ValueText(), "X");
    ASSERT_EQ(loadMessage(song, smf(1, {{}})), "");
    EXPECT_EQ(song.copyright, nullptr);
}

TEST(SmfReader, KeepsTheFirstTrackAndDropsLaterTracksWithoutEvents)
{
    midiSong song;
    ASSERT_EQ(loadMessage(song, smf(1, {{}, {0x00, 0x90, 0x3C, 0x64}, {}})), "");
    EXPECT_EQ(song.trackCount, 2);
    ASSERT_EQ(song.tracks.size(), 2u);
    EXPECT_TRUE(song.tracks[0]->empty());
    EXPECT_EQ(song.conductor, song.tracks[0]);
    EXPECT_EQ(song.tracks[1]->number, 1);
    EXPECT_EQ(song.tracks[1]->name, "Track1");
}

TEST(SmfReader, TempoEventsOfLaterTracksMoveToTheFirstTrackInTimeOrder)
{
    {
        // The first track ends no earlier than the last tempo it is given.
        midiSong song;
        ASSERT_EQ(loadMessage(song, smf(1, {{0x64, 0xFF, 0x01, 0x00},
                                            {0x83, 0x60, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x10, 0xC0, 0x01}})),
                  "");
        EXPECT_EQ(song.tracks[0]->endTime, 480);
        EXPECT_EQ(song.tracks[1]->endTime, 496);
        EXPECT_EQ(song.songLength, 496);
    }

    midiSong song;
    ASSERT_EQ(loadMessage(song, smf(1,
                                    {
                                        {0x00, 0xFF, 0x03, 0x01, 'C', 0x83, 0x60, 0xFF, 0x01, 0x01, 'x', 0x83, 0x60,
                                         0xFF, 0x01, 0x01, 'y'},
                                        {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0x90, 0x3C, 0x64, 0x83, 0x60,
                                         0xFF, 0x51, 0x03, 0x09, 0x27, 0xC0},
                                        {0x83, 0x60, 0xFF, 0x51, 0x03, 0x0B, 0x71, 0xB0},
                                    })),
              "");
    ASSERT_EQ(song.tracks.size(), 2u);
    EXPECT_EQ(song.trackCount, 2);
    const midiTrack& conductor = *song.tracks[0];
    ASSERT_EQ(conductor.size(), 6u);
    const std::pair<int, std::int32_t> expected[] = {
        {kKindTrackName, 0}, {kKindTempo, 0}, {kKindText, 480}, {kKindTempo, 480}, {kKindTempo, 480}, {kKindText, 960},
    };
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(conductor[i]->kind(), expected[i].first) << i;
        EXPECT_EQ(conductor[i]->time, expected[i].second) << i;
    }
    EXPECT_EQ(eventAs<TempoEvent>(conductor, 3)->tempoValue(), 600000u);
    EXPECT_EQ(eventAs<TempoEvent>(conductor, 4)->tempoValue(), 750000u);
    EXPECT_EQ(conductor[4]->beat, 1u);
    ASSERT_EQ(song.tracks[1]->size(), 1u);
    EXPECT_EQ(song.tracks[1]->at(0)->kind(), kKindNoteOn);
    EXPECT_EQ(song.tempoAt(0), 500000);
    EXPECT_EQ(song.tempoAt(480), 750000);
}

TEST(SmfReader, Format0SplitsIntoOneTrackPerChannel)
{
    midiSong song;
    ASSERT_EQ(
        loadMessage(song, smf(0, {{
                                     0x00, 0xFF, 0x03, 0x04, 'S',  'o',  'n',  'g',  0x00, 0xFF, 0x58, 0x04, 0x04, 0x02,
                                     0x18, 0x08, 0x00, 0xC0, 0x00, 0x00, 0x90, 0x3C, 0x64, 0x00, 0x99, 0x24, 0x64, 0x83,
                                     0x60, 0x80, 0x3C, 0x40, 0x00, 0x89, 0x24, 0x40, 0x83, 0x60, 0xFF, 0x01, 0x01, 'e',
                                 }})),
        "");
    ASSERT_EQ(song.tracks.size(), 17u);
    EXPECT_EQ(song.trackCount, 1);
    const midiTrack& meta = *song.tracks[0];
    ASSERT_EQ(meta.size(), 3u);
    for (const anyEvent* e : meta.items())
        EXPECT_GE(e->status, 0xF0);
    EXPECT_EQ(meta.endTime, 960);
    EXPECT_EQ(meta.channels, 0);
    EXPECT_EQ(meta.name, "Song");

    for (int n = 0; n < 16; ++n) {
        const midiTrack& t = *song.tracks[std::size_t(n) + 1];
        EXPECT_EQ(t.number, n + 1);
        EXPECT_EQ(t.name, "Track" + std::to_string(n + 1));
        EXPECT_EQ(t.endTime, 0);
        EXPECT_EQ(t.firstNoteTime, -1);
        EXPECT_TRUE(t.durationForm);
        if (n == 0 || n == 9) {
            EXPECT_EQ(t.label, "[" + std::to_string(n + 1) + "]");
            EXPECT_EQ(t.channels, 1u << n);
        } else {
            EXPECT_EQ(t.label, "[--]") << n;
            EXPECT_TRUE(t.empty()) << n;
        }
        EXPECT_EQ(t.rhythm, n == 9) << n;
    }
    const midiTrack& one = *song.tracks[1];
    ASSERT_EQ(one.size(), 2u);
    EXPECT_EQ(one[0]->kind(), kKindProgramChange);
    EXPECT_EQ(noteAt(one, 1)->duration, 480);
    const midiTrack& ten = *song.tracks[10];
    ASSERT_EQ(ten.size(), 1u);
    EXPECT_EQ(noteAt(ten, 0)->key, 0x24);
    EXPECT_EQ(ten[0]->refCount, 1);
    EXPECT_EQ(meta[2]->beat, 2u);
    EXPECT_EQ(song.songLength, 960);
}

TEST(SmfReader, Format0WithoutTracksOrWithSeveralChunksIsReadAsIs)
{
    midiSong empty;
    ASSERT_EQ(loadMessage(empty, header(0, 0)), "");
    EXPECT_TRUE(empty.tracks.empty());
    EXPECT_EQ(empty.trackCount, 0);
    EXPECT_EQ(empty.tempoAt(0), 500000);
    EXPECT_EQ(empty.keyAt(1), nullptr);

    // The channel tracks are the 16 appended ones, whatever follows the first chunk.
    midiSong two;
    ASSERT_EQ(loadMessage(two, smf(0,
                                   {
                                       {0x00, 0xFF, 0x03, 0x01, 'A', 0x00, 0x91, 0x3C, 0x64, 0x60, 0x81, 0x3C, 0x00},
                                       {0x00, 0x93, 0x40, 0x64, 0x60, 0x83, 0x40, 0x00},
                                   })),
              "");
    ASSERT_EQ(two.tracks.size(), 18u);
    EXPECT_EQ(two.tracks[0]->size(), 1u);
    ASSERT_EQ(two.tracks[1]->size(), 1u);
    EXPECT_EQ(noteAt(*two.tracks[1], 0)->key, 0x40);
    EXPECT_EQ(two.tracks[1]->number, 1);
    const midiTrack& channel2 = *two.tracks[3];
    EXPECT_EQ(channel2.number, 2);
    EXPECT_EQ(channel2.label, "[2]");
    ASSERT_EQ(channel2.size(), 1u);
    EXPECT_EQ(noteAt(channel2, 0)->key, 0x3C);
    EXPECT_EQ(noteAt(channel2, 0)->duration, 96);
    EXPECT_EQ(two.tracks[2]->label, "[--]");
    EXPECT_EQ(two.tracks[5]->label, "[--]");
    EXPECT_TRUE(two.tracks[5]->empty());
}
