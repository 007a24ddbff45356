// The reader's indexes, positions and what it keeps or skips; reloading.
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

TEST(SmfReader, FillsTrackFactsIndexesAndPositions)
{
    TempDir dir("reader");
    const std::string path = dir.file("rich.mid");
    writeFile(path, richFile());
    midiSong song;
    song.load(path);
    EXPECT_EQ(song.fileName, path);
    EXPECT_EQ(song.format, 1);
    EXPECT_EQ(song.division, 480);
    EXPECT_EQ(song.trackCount, 2);
    EXPECT_EQ(song.resetFlags, 1u);
    EXPECT_EQ(song.songLength, 1440);
    EXPECT_EQ(song.firstNoteTime, 0);
    ASSERT_EQ(song.tracks.size(), 2u);

    const midiTrack& t0 = *song.tracks[0];
    EXPECT_EQ(t0.name, "Tempo");
    ASSERT_NE(t0.nameEvent, nullptr);
    EXPECT_EQ(t0.nameEvent, t0[0]);
    EXPECT_EQ(t0.port, 1);
    EXPECT_EQ(t0.endTime, 960);
    EXPECT_EQ(t0.firstNoteTime, -1);
    EXPECT_EQ(t0.label, "[]");
    EXPECT_EQ(t0.size(), 7u);
    ASSERT_EQ(song.timeSignatures.size(), 1u);
    EXPECT_EQ(song.timeSignatures[0]->ValueText(), "3 2 24 8 ");
    ASSERT_NE(song.keyAt(1), nullptr);
    EXPECT_EQ(song.keyAt(1)->ValueText(), "253 1 ");
    EXPECT_EQ(song.tempoAt(0), 600000);
    EXPECT_EQ(song.tempoAt(960), 500000);
    ASSERT_NE(song.copyright, nullptr);
    EXPECT_EQ(song.copyright->ValueText(), "A");

    const midiTrack& t1 = *song.tracks[1];
    EXPECT_EQ(t1.name, "Piano");
    EXPECT_EQ(t1.channels, 0x0007);
    EXPECT_EQ(t1.label, "[1,2]");
    EXPECT_EQ(t1.endTime, 1440);
    EXPECT_EQ(t1.firstNoteTime, 0);
    ASSERT_EQ(t1.size(), 12u);
    const int kinds[] = {kKindTrackName, kKindProgramChange, kKindControlChange, kKindSysex,
                         kKindNoteOn,    kKindNoteOn,        kKindPitchBend,     kKindChannelAfterTouch,
                         kKindPolyAfter, kKindNoteOn,        kKindNoteOn,        kKindControlChange};
    for (std::size_t i = 0; i < 12; ++i)
        EXPECT_EQ(t1[i]->kind(), kinds[i]) << i;
    EXPECT_EQ(noteAt(t1, 4)->duration, 480);
    EXPECT_EQ(noteAt(t1, 5)->key, 0x40);
    EXPECT_EQ(noteAt(t1, 5)->velocity, 0x50);
    EXPECT_EQ(noteAt(t1, 5)->duration, 480);
    EXPECT_EQ(eventAs<PitchBendEvent>(t1, 6)->bend, 8192);
    EXPECT_EQ(noteAt(t1, 9)->duration, 0);
    EXPECT_EQ(noteAt(t1, 9)->status, 0x91);
    EXPECT_EQ(noteAt(t1, 10)->duration, 480);
    EXPECT_EQ(noteAt(t1, 10)->status, 0x92);
    ASSERT_EQ(song.sysexEvents.size(), 1u);
    EXPECT_EQ(song.sysexEvents[0], t1[3]);

    // 3/4 at 480 ticks: 960 is bar 0 beat 2, 1440 is bar 1.
    EXPECT_EQ(t1[10]->measure, 0u);
    EXPECT_EQ(t1[10]->beat, 2u);
    EXPECT_EQ(t1[11]->measure, 1u);
    EXPECT_EQ(t1[11]->beat, 0u);
    EXPECT_EQ(song.barStarts.count(), 3);
    EXPECT_EQ(song.barStarts.at(2), 2880);

    // Division with the high bit set is taken as a tick count.
    midiSong smpte;
    ASSERT_EQ(loadMessage(smpte, smf(1, {{}}, 0xE728)), "");
    EXPECT_EQ(smpte.division, 0xE728);
}

TEST(SmfReader, EveryEventGetsThePositionOfItsTime)
{
    for (int signatures : {2, 70}) {
        std::vector<std::pair<std::int32_t, Bytes>> texts, notes, meters;
        for (std::int32_t t = 0; t <= 20000; t += 500)
            texts.push_back({t, {0xFF, 0x01, 0x01, 'a'}});
        for (std::int32_t t = 0; t < 20000; t += 250) {
            notes.push_back({t, {0x90, 0x3C, 0x64}});
            notes.push_back({t + 100, {0x80, 0x3C, 0x00}});
        }
        notes.push_back({3000, {0xFF, 0x58, 0x04, 0x03, 0x02, 0x18, 0x08}});
        // The later track's signatures come after events of the earlier tracks.
        for (int k = 0; k < signatures; ++k)
            meters.push_back({std::int32_t(k) * 250 + 5000,
                              {0xFF, 0x58, 0x04, std::uint8_t(2 + k % 5), std::uint8_t(1 + k % 3), 0x18, 0x08}});
        meters.push_back({4321, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}});
        midiSong song;
        ASSERT_EQ(loadMessage(song, smf(1, {timed(texts), timed(notes), timed(meters)})), "");
        ASSERT_EQ(song.timeSignatures.size(), std::size_t(signatures) + 1);
        std::size_t checked = 0;
        for (const midiTrack* t : song.tracks) {
            for (const anyEvent* e : t->items()) {
                const MusicalPosition p = song.positionOf(e->time);
                EXPECT_EQ(e->measure, p.measure) << signatures << " time " << e->time << " kind " << e->kind();
                EXPECT_EQ(e->beat, p.beat) << signatures << " time " << e->time << " kind " << e->kind();
                EXPECT_EQ(e->tick, p.tick) << signatures << " time " << e->time << " kind " << e->kind();
                ++checked;
            }
        }
        EXPECT_EQ(checked, std::size_t(123 + signatures));
    }
}

TEST(SmfReader, SkipsSystemBytesAndKeepsUnknownMetaEvents)
{
    midiSong song;
    ASSERT_EQ(loadMessage(song, smf(1, {{0x00, 0xF1, 0x00, 0xF6, 0x00, 0xFE, 0x00, 0xFF, 0x7F, 0x02,
                                         0x01, 0x02, 0x00, 0x90, 0x3C, 0x64, 0x60, 0x80, 0x3C, 0x00}})),
              "");
    const midiTrack& t = *song.tracks[0];
    ASSERT_EQ(t.size(), 2u);
    auto* unknown = eventAs<metaEvent>(t, 0);
    ASSERT_NE(unknown, nullptr);
    EXPECT_EQ(unknown->metaType, 0x7F);
    EXPECT_EQ(unknown->kind(), kKindMeta);
    EXPECT_EQ(unknown->ValueText(), "1 2 ");
    EXPECT_EQ(noteAt(t, 1)->duration, 96);
}

TEST(SmfReader, ShortMetaDataNeverLeadsALookupOutsideTheData)
{
    midiSong song;
    ASSERT_EQ(loadMessage(song, smf(1, {{0x00, 0xFF, 0x59, 0x01, 0xFD, 0x00, 0xFF, 0x58, 0x01, 0x03, 0x00,
                                         0xFF, 0x51, 0x00, 0x00, 0xFF, 0x54, 0x01, 0x01, 0x60, 0xFF, 0x59,
                                         0x00, 0x60, 0xFF, 0x58, 0x00, 0x87, 0x40, 0x90, 0x3C, 0x64}})),
              "");
    ASSERT_NE(song.keyAt(1), nullptr);
    EXPECT_FALSE(song.keyAt(1)->hasDataBytes(2));
    EXPECT_EQ(song.keyAt(1)->dataByte(1), 0);
    EXPECT_EQ(song.keyAt(500)->length, 0);
    EXPECT_EQ(song.meterAt(0).ticksPerBeat, 480);
    EXPECT_EQ(song.meterAt(0).beatsPerBar, 4);
    EXPECT_EQ(song.meterAt(500).beatsPerBar, 4);
    EXPECT_EQ(song.tempoAt(0), 500000);
    EXPECT_EQ(song.barStarts.count(), 2);
    for (const anyEvent* e : song.tracks[0]->items())
        EXPECT_FALSE(e->AsText().empty());
}

TEST(SmfReader, FailedLoadsLeaveNoIndexPointingAtAGoneEvent)
{
    midiSong song;
    ASSERT_EQ(loadMessage(song, richFile()), "");
    EXPECT_EQ(loadMessage(song, {'M', 'T', 'h', 'x', 0, 0, 0, 6, 0, 1, 0, 1, 1, 0xE0}),
              "Couldn't find MIDI Header block");
    EXPECT_TRUE(song.tracks.empty());
    EXPECT_EQ(song.keyAt(1), nullptr);
    EXPECT_TRUE(song.timeSignatures.empty());
    EXPECT_TRUE(song.keySignatures.empty());
    EXPECT_TRUE(song.sysexEvents.empty());
    EXPECT_EQ(song.copyright, nullptr);
    EXPECT_EQ(song.tempoAt(0), 500000);

    // The second track breaks: the first stays with what points into it, nothing else.
    const Bytes firstTrack = {0x00, 0xFF, 0x02, 0x01, 'A',  0x00, 0xFF, 0x59, 0x02, 0x00, 0x00, 0x00,
                              0xFF, 0x58, 0x04, 0x03, 0x02, 0x18, 0x08, 0x00, 0xF0, 0x02, 0x01, 0xF7};
    const Bytes secondTrack = {0x00, 0xFF, 0x02, 0x01, 'B',  0x00, 0xFF, 0x59, 0x02, 0x01, 0x00,
                               0x00, 0xFF, 0x58, 0x04, 0x06, 0x03, 0x18, 0x08, 0x00, 0xF0, 0x02,
                               0x02, 0xF7, 0x00, 0xFF, 0x03, 0x01, 'n',  0x00, 0x90, 0x3C};
    ASSERT_EQ(loadMessage(song, richFile()), "");
    EXPECT_EQ(loadMessage(song, join({header(1, 2), track(firstTrack), chunk(secondTrack)})),
              "Data may have been broken.");
    ASSERT_EQ(song.tracks.size(), 1u);
    const auto& kept = song.tracks[0]->items();
    auto inFirstTrack = [&](const anyEvent* e) { return std::find(kept.begin(), kept.end(), e) != kept.end(); };
    ASSERT_EQ(song.keySignatures.size(), 1u);
    EXPECT_TRUE(inFirstTrack(song.keySignatures[0]));
    EXPECT_EQ(song.keyAt(100000), song.keySignatures[0]);
    ASSERT_EQ(song.timeSignatures.size(), 1u);
    EXPECT_TRUE(inFirstTrack(song.timeSignatures[0]));
    ASSERT_EQ(song.sysexEvents.size(), 1u);
    EXPECT_TRUE(inFirstTrack(song.sysexEvents[0]));
    ASSERT_NE(song.copyright, nullptr);
    EXPECT_TRUE(inFirstTrack(song.copyright));
    EXPECT_EQ(song.copyright->ValueText(), "A");

    // The first track breaks: nothing is left to point into.
    ASSERT_EQ(loadMessage(song, richFile()), "");
    EXPECT_EQ(loadMessage(song, join({header(1, 1), chunk(secondTrack)})), "Data may have been broken.");
    EXPECT_TRUE(song.tracks.empty());
    EXPECT_EQ(song.conductor, nullptr);
    EXPECT_EQ(song.copyright, nullptr);
    EXPECT_EQ(song.keyAt(1), nullptr);
    EXPECT_TRUE(song.sysexEvents.empty());
    EXPECT_TRUE(song.timeSignatures.empty());
}

TEST(SmfReader, AGoodLoadAfterAFailedOneEqualsAFreshLoad)
{
    const Bytes good = richFile();
    const Bytes other = smf(0, {{0x00, 0xFF, 0x58, 0x04, 0x06, 0x03, 0x18, 0x08, 0x00, 0xFF, 0x59, 0x02, 0x02, 0x00,
                                 0x00, 0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7, 0x00,
                                 0x99, 0x24, 0x64, 0x00, 0xB0, 0x00, 0x7F, 0x83, 0x60, 0x89, 0x24, 0x00}},
                            96);
    midiSong fresh;
    ASSERT_EQ(loadMessage(fresh, other), "");
    const std::string expected = describeSong(fresh);

    for (std::size_t cut : {std::size_t(10), std::size_t(40), good.size() - 30, good.size() - 1}) {
        midiSong reused;
        ASSERT_EQ(loadMessage(reused, good), "");
        ASSERT_NE(loadMessage(reused, Bytes(good.begin(), good.begin() + std::ptrdiff_t(cut))), "");
        ASSERT_EQ(loadMessage(reused, other), "");
        EXPECT_EQ(describeSong(reused), expected) << "after a file cut at " << cut;
    }
}

TEST(SmfReader, ReloadingASongEqualsAFreshLoad)
{
    const Bytes first =
        smf(1, {{0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08, 0x00, 0x90, 0x3C, 0x64, 0x83, 0x60, 0x3C, 0x00}});
    // The second has as many time signatures, at another time, before any other event.
    const Bytes second = smf(1, {{0x87, 0x40, 0xFF, 0x58, 0x04, 0x03, 0x02, 0x18, 0x08, 0x00, 0x90, 0x3C,
                                  0x64, 0x87, 0x40, 0x80, 0x3C, 0x00, 0x8F, 0x00, 0xFF, 0x01, 0x00}});
    midiSong fresh;
    ASSERT_EQ(loadMessage(fresh, second), "");
    ASSERT_EQ(fresh.barStarts.count(), 4);
    EXPECT_EQ(fresh.barStarts.at(1), 1920);
    EXPECT_EQ(fresh.barStarts.at(2), 3360);

    midiSong reused;
    ASSERT_EQ(loadMessage(reused, first), "");
    ASSERT_EQ(loadMessage(reused, second), "");
    EXPECT_EQ(reused.barStarts.at(1), 1920);
    EXPECT_EQ(reused.meterAt(0).beatsPerBar, 4);
    EXPECT_EQ(describeSong(reused), describeSong(fresh));
}

TEST(SmfReader, LoadRefusesFilesItCannotRead)
{
    TempDir dir("reader-missing");
    midiSong song;
    EXPECT_THROW(song.load(dir.file("no-such-file.mid")), MidiDataError);
    // A folder is no file: refused like one that cannot be read.
    EXPECT_THROW(song.load(dir.path().string()), MidiDataError);
    EXPECT_EQ(song.fileName, "");
}
