#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "mididata/event.h"
#include "mididata/smf_test_support.h"
#include "mididata/song.h"
#include "mididata/tempomap.h"
#include "mididata/track.h"

using smftest::control;
using smftest::note;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A song whose first track owns the meta events a test indexes by hand.
struct SongWithMetaTrack {
    midiSong song;
    midiTrack* owner;
    SongWithMetaTrack()
    {
        owner = new midiTrack(&song, 0, "");
        song.tracks.push_back(owner);
        song.conductor = owner;
    }
    timeBeatEvent* meter(std::int32_t time, Bytes data)
    {
        auto* e = new timeBeatEvent(time);
        e->length = std::int32_t(data.size());
        e->data = std::move(data);
        owner->addEvent(e);
        song.timeSignatures.push_back(e);
        return e;
    }
    keyEvent* key(std::int32_t time, Bytes data)
    {
        auto* e = new keyEvent(time);
        e->length = std::int32_t(data.size());
        e->data = std::move(data);
        owner->addEvent(e);
        song.keySignatures.push_back(e);
        return e;
    }
};

void expectPosition(const midiSong& song, std::int32_t time, std::uint32_t measure, std::uint32_t beat,
                    std::uint32_t tick)
{
    const MusicalPosition p = song.positionOf(time);
    EXPECT_EQ(p.measure, measure) << "time " << time;
    EXPECT_EQ(p.beat, beat) << "time " << time;
    EXPECT_EQ(p.tick, tick) << "time " << time;
}

// Bar starts and positions worked out bar by bar, the slow way, for meters
// that have a length.
struct ReferenceMeter {
    struct Sig {
        std::int32_t time;
        int numerator;
        int power;
    };
    int division;
    std::vector<Sig> sigs;  // in list order

    Meter at(std::int64_t time) const
    {
        const Sig* last = nullptr;
        for (const Sig& s : sigs) {
            if (s.time > time)
                break;
            last = &s;
        }
        if (!last || last->numerator == 0)
            return {division, 4};
        return {std::int64_t(division) * 4 / (std::int64_t(1) << last->power), last->numerator};
    }
    std::vector<std::int64_t> bars(std::int64_t songLength) const
    {
        std::vector<std::int64_t> out;
        for (std::int64_t t = 0;;) {
            out.push_back(t);
            if (t > songLength)
                return out;
            const Meter m = at(t);
            t += m.ticksPerBeat * m.beatsPerBar;
        }
    }
    MusicalPosition position(const std::vector<std::int64_t>& bars, std::int64_t time) const
    {
        std::size_t i = 0;
        while (i + 1 < bars.size() && time >= bars[i + 1])
            ++i;
        const Meter m = at(time);
        const std::int64_t r = time - bars[i];
        return {std::uint32_t(i), std::uint32_t(r / m.ticksPerBeat), std::uint32_t(r % m.ticksPerBeat)};
    }
};

// A small fixed-seed generator, so that every run tests the same layouts.
struct Lcg {
    std::uint32_t state;
    std::uint32_t next(std::uint32_t below)
    {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % below;
    }
};

}  // namespace

TEST(Song, ResetGivesDefaultsAndThePrebuiltResetMessages)
{
    midiSong song;
    EXPECT_EQ(song.songLength, 0);
    EXPECT_EQ(song.firstNoteTime, 0);
    EXPECT_EQ(song.format, 0);
    EXPECT_EQ(song.division, 480);
    EXPECT_EQ(song.trackCount, 0);
    EXPECT_EQ(song.resetFlags, 0u);
    EXPECT_EQ(song.copyright, nullptr);
    EXPECT_TRUE(song.tracks.empty());
    EXPECT_TRUE(song.timeSignatures.empty());
    EXPECT_TRUE(song.keySignatures.empty());
    EXPECT_TRUE(song.sysexEvents.empty());
    EXPECT_TRUE(song.barStarts.empty());

    const struct {
        const sysexEvent* e;
        Bytes bytes;
    } prebuilt[] = {
        {song.gmSystemOn, {0x7E, 0x7F, 0x09, 0x01, 0xF7}},
        {song.xgSystemOn, {0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7}},
        {song.gsReset, {0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}},
        {song.gsModeSet1, {0x41, 0x10, 0x42, 0x12, 0x00, 0x00, 0x7F, 0x00, 0x01, 0xF7}},
        {song.gsModeSet2, {0x41, 0x10, 0x42, 0x12, 0x00, 0x00, 0x7F, 0x01, 0x00, 0xF7}},
    };
    for (const auto& p : prebuilt) {
        ASSERT_NE(p.e, nullptr);
        EXPECT_EQ(p.e->bytes, p.bytes);
        EXPECT_EQ(p.e->time, 0);
        EXPECT_EQ(p.e->status, 0xF0);
        EXPECT_EQ(p.e->ordinal, 0);
        EXPECT_EQ(p.e->refCount, anyEvent::kPermanent);
    }

    song.songLength = 99;
    song.format = 1;
    song.division = 96;
    song.resetFlags = 5;
    song.tracks.push_back(new midiTrack(&song, 0, ""));
    song.reset();
    EXPECT_EQ(song.songLength, 0);
    EXPECT_EQ(song.format, 0);
    EXPECT_EQ(song.division, 480);
    EXPECT_EQ(song.resetFlags, 0u);
    EXPECT_TRUE(song.tracks.empty());
}

TEST(Song, PrebuiltMessagesSurviveTheListsThatReleaseThem)
{
    midiSong song;
    sysexEvent* gm = song.gmSystemOn;
    auto* t = new midiTrack(&song, 0, "");
    t->addEvent(gm);
    t->addEvent(song.gsModeSet2);
    t->addEvent(gm);
    t->releaseAt(0);
    song.tracks.push_back(t);
    song.tracks.clearTracks();
    song.reset();
    EXPECT_EQ(song.gmSystemOn, gm);
    EXPECT_EQ(gm->refCount, anyEvent::kPermanent);
    EXPECT_EQ(gm->bytes, (Bytes{0x7E, 0x7F, 0x09, 0x01, 0xF7}));
    EXPECT_EQ(song.gsModeSet2->bytes.size(), 10u);
}

TEST(Song, PositionsCountBarsOfTheDefaultMeter)
{
    midiSong song;
    // Before bar starts exist, the default meter alone gives the position.
    expectPosition(song, 4000, 2, 0, 160);

    song.songLength = 10000;
    song.buildBarStarts();
    ASSERT_EQ(song.barStarts.count(), 7);
    const std::int64_t expected[] = {0, 1920, 3840, 5760, 7680, 9600, 11520};
    for (std::int64_t i = 0; i < 7; ++i)
        EXPECT_EQ(song.barStarts.at(i), expected[i]) << i;

    expectPosition(song, 0, 0, 0, 0);
    expectPosition(song, 4000, 2, 0, 160);
    expectPosition(song, 1919, 0, 3, 479);
    expectPosition(song, 1920, 1, 0, 0);
    expectPosition(song, 10000, 5, 0, 400);
    expectPosition(song, 11525, 6, 0, 5);

    NoteOnEvent e(5000, 0);
    song.setPosition(&e);
    EXPECT_EQ(e.measure, 2u);
    EXPECT_EQ(e.beat, 2u);
    EXPECT_EQ(e.tick, 200u);

    // A song of no length still has its first bar and the one after it.
    midiSong empty;
    empty.buildBarStarts();
    ASSERT_EQ(empty.barStarts.count(), 2);
    EXPECT_EQ(empty.barStarts.at(1), 1920);
}

TEST(Song, TimeSignaturesSetTheMeterInTheOrderRead)
{
    {
        SongWithMetaTrack s;
        s.meter(0, {6, 3, 24, 8});
        const Meter m = s.song.meterAt(0);
        EXPECT_EQ(m.ticksPerBeat, 240);
        EXPECT_EQ(m.beatsPerBar, 6);
        EXPECT_EQ(s.song.meterAt(100000).ticksPerBeat, 240);
    }
    {
        // The scan stops at the first later signature, even when others after it are earlier.
        SongWithMetaTrack s;
        s.meter(1000, {3, 2, 24, 8});
        s.meter(500, {6, 3, 24, 8});
        EXPECT_EQ(s.song.meterAt(700).ticksPerBeat, 480);
        EXPECT_EQ(s.song.meterAt(700).beatsPerBar, 4);
        EXPECT_EQ(s.song.meterAt(1000).ticksPerBeat, 240);
        EXPECT_EQ(s.song.meterAt(1000).beatsPerBar, 6);
    }
    {
        // A numerator of 0 or data too short to hold a meter leave the default.
        SongWithMetaTrack s;
        s.meter(0, {3, 2, 24, 8});
        s.meter(100, {0, 2, 24, 8});
        s.meter(200, {5});
        s.meter(300, {});
        EXPECT_EQ(s.song.meterAt(50).beatsPerBar, 3);
        for (std::int32_t t : {100, 200, 300}) {
            EXPECT_EQ(s.song.meterAt(t).ticksPerBeat, 480) << t;
            EXPECT_EQ(s.song.meterAt(t).beatsPerBar, 4) << t;
        }
    }
}

TEST(Song, BarStartsFollowMeterChanges)
{
    SongWithMetaTrack s;
    s.meter(0, {4, 2, 24, 8});
    s.meter(960, {3, 2, 24, 8});  // takes effect at the next bar
    s.song.songLength = 5000;
    s.song.buildBarStarts();
    ASSERT_EQ(s.song.barStarts.count(), 5);
    const std::int64_t expected[] = {0, 1920, 3360, 4800, 6240};
    for (std::int64_t i = 0; i < 5; ++i)
        EXPECT_EQ(s.song.barStarts.at(i), expected[i]) << i;
    expectPosition(s.song, 1000, 0, 2, 40);
    expectPosition(s.song, 2000, 1, 0, 80);
    expectPosition(s.song, 4000, 2, 1, 160);

    // Rebuilding after the signatures were replaced (as a new file does) follows
    // the new ones, also when there are as many as before.
    s.song.timeSignatures.clear();
    s.meter(0, {6, 3, 24, 8});
    s.meter(2000, {2, 2, 24, 8});
    EXPECT_EQ(s.song.meterAt(1000).ticksPerBeat, 240);
    EXPECT_EQ(s.song.meterAt(1000).beatsPerBar, 6);
    s.song.buildBarStarts();
    ASSERT_EQ(s.song.barStarts.count(), 6);
    const std::int64_t replaced[] = {0, 1440, 2880, 3840, 4800, 5760};
    for (std::int64_t i = 0; i < 6; ++i)
        EXPECT_EQ(s.song.barStarts.at(i), replaced[i]) << i;
}

TEST(Song, PositionsMatchTheBarByBarDefinitionForAnyMeterLayout)
{
    Lcg rng{12345};
    const int divisions[] = {96, 120, 384, 480};
    for (int round = 0; round < 30; ++round) {
        SongWithMetaTrack s;
        ReferenceMeter ref{divisions[rng.next(4)], {}};
        s.song.division = std::uint16_t(ref.division);
        const int count = int(rng.next(7));
        for (int k = 0; k < count; ++k) {
            // Signatures in any order, now and then with a numerator of 0.
            const ReferenceMeter::Sig sig{std::int32_t(rng.next(20000)), int(rng.next(8)), int(rng.next(5))};
            ref.sigs.push_back(sig);
            s.meter(sig.time, {std::uint8_t(sig.numerator), std::uint8_t(sig.power), 24, 8});
        }
        s.song.songLength = std::int32_t(rng.next(30000));
        s.song.buildBarStarts();
        const std::vector<std::int64_t> bars = ref.bars(s.song.songLength);
        ASSERT_EQ(s.song.barStarts.count(), std::int64_t(bars.size())) << "round " << round;
        for (std::size_t i = 0; i < bars.size(); ++i)
            ASSERT_EQ(s.song.barStarts.at(std::int64_t(i)), bars[i]) << round;

        std::vector<std::int32_t> times;
        for (int k = 0; k < 300; ++k)
            times.push_back(std::int32_t(rng.next(std::uint32_t(s.song.songLength) + 5000)));
        for (const ReferenceMeter::Sig& sig : ref.sigs)
            times.push_back(sig.time);
        for (std::int32_t b : {std::int32_t(0), std::int32_t(bars.back()), std::int32_t(bars.back() - 1)})
            times.push_back(b);
        // One cursor over the times in any order, one over them sorted, and positionOf.
        PositionCursor unordered(s.song);
        for (std::int32_t t : times) {
            const MusicalPosition want = ref.position(bars, t);
            const MusicalPosition got = s.song.positionOf(t);
            const MusicalPosition cursor = unordered.at(t);
            ASSERT_EQ(got.measure, want.measure) << "round " << round << " time " << t;
            ASSERT_EQ(got.beat, want.beat) << "round " << round << " time " << t;
            ASSERT_EQ(got.tick, want.tick) << "round " << round << " time " << t;
            ASSERT_EQ(cursor.measure, want.measure) << "round " << round << " time " << t;
            ASSERT_EQ(cursor.beat, want.beat) << "round " << round << " time " << t;
            ASSERT_EQ(cursor.tick, want.tick) << "round " << round << " time " << t;
        }
        std::sort(times.begin(), times.end());
        PositionCursor ordered(s.song);
        for (std::int32_t t : times) {
            const MusicalPosition want = ref.position(bars, t);
            const MusicalPosition got = ordered.at(t);
            ASSERT_EQ(got.measure, want.measure) << "round " << round << " time " << t;
            ASSERT_EQ(got.beat, want.beat) << "round " << round << " time " << t;
            ASSERT_EQ(got.tick, want.tick) << "round " << round << " time " << t;
        }
    }
}

TEST(Song, DegenerateMetersNeverHangOrDivideByZero)
{
    {
        midiSong song;
        song.division = 0;
        song.songLength = 1000;
        expectPosition(song, 500, 0, 0, 500);
        song.buildBarStarts();
        ASSERT_GE(song.barStarts.count(), 1);
        EXPECT_EQ(song.barStarts.at(0), 0);
        EXPECT_EQ(song.positionOf(500).measure, 0u);
        EXPECT_EQ(song.meterAt(500).ticksPerBeat, 0);
    }
    for (std::uint8_t power :
         {std::uint8_t(9), std::uint8_t(31), std::uint8_t(32), std::uint8_t(40), std::uint8_t(255)}) {
        SongWithMetaTrack s;
        s.meter(0, {4, power, 24, 8});
        s.song.songLength = INT32_MAX;
        s.song.buildBarStarts();
        EXPECT_GE(s.song.barStarts.count(), 1) << int(power);
        const MusicalPosition p = s.song.positionOf(123456);
        EXPECT_LE(p.measure, 123456u) << int(power);
        (void)s.song.positionOf(INT32_MAX);
    }
    {
        // A bar of no length lasts until the meter changes.
        SongWithMetaTrack s;
        s.meter(0, {4, 40, 24, 8});
        s.meter(960, {4, 2, 24, 8});
        s.song.songLength = 3000;
        s.song.buildBarStarts();
        ASSERT_EQ(s.song.barStarts.count(), 4);
        EXPECT_EQ(s.song.barStarts.at(1), 960);
        EXPECT_EQ(s.song.barStarts.at(2), 2880);
        EXPECT_EQ(s.song.barStarts.at(3), 4800);
        expectPosition(s.song, 1000, 1, 0, 40);
    }
    {
        // Two billion bars of one tick each.
        SongWithMetaTrack s;
        s.song.division = 1;
        s.meter(0, {1, 2, 24, 8});
        s.song.songLength = INT32_MAX;
        s.song.buildBarStarts();
        EXPECT_EQ(s.song.barStarts.count(), std::int64_t(INT32_MAX) + 2);
        EXPECT_EQ(s.song.barStarts.at(s.song.barStarts.count() - 1), std::int64_t(INT32_MAX) + 1);
        expectPosition(s.song, INT32_MAX, std::uint32_t(INT32_MAX), 0, 0);
        expectPosition(s.song, 12345, 12345, 0, 0);
    }
    {
        midiSong song;
        song.songLength = INT32_MAX;
        song.buildBarStarts();
        const std::int64_t bars = std::int64_t(INT32_MAX) / 1920 + 2;
        EXPECT_EQ(song.barStarts.count(), bars);
        EXPECT_EQ(song.barStarts.at(bars - 1), (bars - 1) * 1920);
        expectPosition(song, INT32_MAX, std::uint32_t(INT32_MAX / 1920), std::uint32_t(INT32_MAX % 1920 / 480),
                       std::uint32_t(INT32_MAX % 480));
    }
}

TEST(Song, TempoAtTakesTheLastTempoOfTheFirstTrackUpToTheTime)
{
    midiSong song;
    EXPECT_EQ(song.tempoAt(0), 500000);
    auto* first = new midiTrack(&song, 0, "");
    auto* second = new midiTrack(&song, 1, "");
    song.tracks.push_back(first);
    song.tracks.push_back(second);
    EXPECT_EQ(song.tempoAt(0), 500000);

    first->addEvent(new TempoEvent(0, 0x51, 600000));
    first->addEvent(new textEvent(500));
    first->addEvent(new TempoEvent(960, 0x51, 400000));
    second->addEvent(new TempoEvent(0, 0x51, 300000));
    EXPECT_EQ(song.tempoAt(0), 600000);
    EXPECT_EQ(song.tempo, 600000);
    EXPECT_EQ(song.tempoAt(959), 600000);
    EXPECT_EQ(song.tempoAt(960), 400000);
    EXPECT_EQ(song.tempo, 400000);
    first->releaseAt(0);
    EXPECT_EQ(song.tempoAt(0), 500000);
    EXPECT_EQ(song.tempoAt(5000), 400000);
}

TEST(Song, KeyAtTakesTheLastKeySignatureUpToTheTime)
{
    SongWithMetaTrack s;
    EXPECT_EQ(s.song.keyAt(1), nullptr);
    keyEvent* c = s.key(0, {0x00, 0x00});
    keyEvent* g = s.key(960, {0x01, 0x00});
    keyEvent* f = s.key(500, {0xFF, 0x00});
    EXPECT_EQ(s.song.keyAt(-1), nullptr);
    EXPECT_EQ(s.song.keyAt(1), c);
    EXPECT_EQ(s.song.keyAt(700), c);
    EXPECT_EQ(s.song.keyAt(960), f);
    (void)g;
}

TEST(Song, RhythmTracksAreMarkedByBankSelectOrElseByChannelTen)
{
    {
        midiSong song;
        auto* bank = new midiTrack(&song, 0, "");
        bank->insertEvent(control(0, 3, 0, 127), true);
        bank->insertEvent(note(10, 3, 36), true);
        auto* ten = new midiTrack(&song, 1, "");
        ten->insertEvent(note(0, 9, 36), true);
        song.tracks.push_back(bank);
        song.tracks.push_back(ten);
        song.markRhythmTracks();
        EXPECT_TRUE(bank->rhythm);
        EXPECT_FALSE(ten->rhythm);
    }
    {
        midiSong song;
        auto* late = new midiTrack(&song, 0, "");
        late->insertEvent(note(10, 3, 36), true);
        late->insertEvent(control(20, 3, 0, 127), true);
        auto* ten = new midiTrack(&song, 1, "");
        ten->insertEvent(note(0, 9, 36), true);
        ten->insertEvent(note(0, 10, 36), true);
        auto* nine = new midiTrack(&song, 2, "");
        nine->insertEvent(note(0, 8, 36), true);
        nine->insertEvent(note(0, 9, 36), true);
        auto* silent = new midiTrack(&song, 3, "");
        for (midiTrack* t : {late, ten, nine, silent})
            song.tracks.push_back(t);
        song.markRhythmTracks();
        EXPECT_FALSE(late->rhythm);
        EXPECT_TRUE(ten->rhythm);
        EXPECT_FALSE(nine->rhythm);
        EXPECT_FALSE(silent->rhythm);
    }
}

TEST(TempoMap, CountsMicrosecondsFromTheStartThroughEveryTempoChange)
{
    midiSong song;
    EXPECT_EQ(TempoMap(song).microsecondsAt(480), 500000);
    auto* first = new midiTrack(&song, 0, "");
    auto* second = new midiTrack(&song, 1, "");
    song.tracks.push_back(first);
    song.tracks.push_back(second);
    first->addEvent(new TempoEvent(0, 0x51, 700000));
    first->addEvent(new TempoEvent(0, 0x51, 600000));  // the later one of a tick holds
    first->addEvent(new TempoEvent(960, 0x51, 400000));
    first->addEvent(new TempoEvent(1440, 0x51, 500001));
    second->addEvent(new TempoEvent(100, 0x51, 100000));  // only the first track's tempi count
    const TempoMap map(song);
    EXPECT_EQ(map.microsecondsAt(0), 0);
    EXPECT_EQ(map.microsecondsAt(480), 600000);
    EXPECT_EQ(map.microsecondsAt(960), 1200000);
    EXPECT_EQ(map.microsecondsAt(1440), 1600000);
    // Exact from the start: no rounding adds up over a long song.
    const std::int64_t far = std::int64_t(INT32_MAX);
    EXPECT_EQ(map.microsecondsAt(far), (std::int64_t(960) * 600000 + 480 * 400000 + (far - 1440) * 500001) / 480);

    song.division = 0;
    EXPECT_EQ(TempoMap(song).microsecondsAt(1000), 0);
}
