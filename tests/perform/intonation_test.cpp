#include "perform/intonation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "mididata/smf_test_support.h"
#include "perform/playedpitch.h"

using smftest::Bytes;

namespace {

Bytes bend(int channel, int value)
{
    return {std::uint8_t(0xE0 | channel), std::uint8_t(value & 0x7F), std::uint8_t(value >> 7)};
}
Bytes on(int key)
{
    return {0x90, std::uint8_t(key), 0x64};
}
Bytes off(int key)
{
    return {0x80, std::uint8_t(key), 0x40};
}
Bytes tempo(std::uint32_t us)
{
    return {0xFF, 0x51, 0x03, std::uint8_t(us >> 16), std::uint8_t(us >> 8), std::uint8_t(us)};
}
Bytes controller(int number, int value)
{
    return {0xB0, std::uint8_t(number), std::uint8_t(value)};
}
Bytes name(const std::string& text)
{
    return smftest::join({{0xFF, 0x03, std::uint8_t(text.size())}, Bytes(text.begin(), text.end())});
}

// Four quarter notes; the tempo halves after the second, so they last 0.5, 0.5, 1 and 1 s.
Bytes referenceSong()
{
    return smftest::smf(1, {
                               smftest::timed({{0, tempo(500000)}, {960, tempo(1000000)}}),
                               smftest::timed({{0, name("Melody")},
                                               {0, on(60)},
                                               {480, off(60)},
                                               {480, on(64)},
                                               {960, off(64)},
                                               {960, on(67)},
                                               {1440, off(67)},
                                               {1440, on(72)},
                                               {1920, off(72)}}),
                           });
}

void expectRow(const IntonationRow& row, int note, double mean, double largest, double coverage)
{
    SCOPED_TRACE("note " + std::to_string(note));
    EXPECT_EQ(row.note, note);
    EXPECT_NEAR(row.coverage, coverage, 1e-9);
    if (coverage > 0) {
        EXPECT_NEAR(row.centsMean, mean, 0.01);
        EXPECT_NEAR(row.centsMax, largest, 0.01);
    }
}

}  // namespace

TEST(Intonation, WeighsCentsByTimeThroughTheBendRangeAndCountsSilenceAsUncovered)
{
    midiSong reference, take;
    smftest::loadImage(reference, referenceSong());
    // A format 0 take without a tempo of its own: it counts on the song's clock.
    smftest::loadImage(take, smftest::smf(0, {smftest::timed({
                                                 {0, controller(101, 0)},
                                                 {0, controller(100, 0)},
                                                 {0, controller(6, 2)},
                                                 {0, bend(0, 8192 + 2048)},
                                                 {0, on(60)},
                                                 {240, bend(0, 8192)},
                                                 {480, off(60)},
                                                 {720, bend(0, 8192 - 4096)},
                                                 {720, on(64)},
                                                 {960, off(64)},
                                                 {1440, bend(0, 8192 + 4096)},
                                                 {1440, on(71)},
                                                 {1680, bend(0, 8192 + 1024)},
                                                 {1920, off(71)},
                                             })}));
    const midiTrack* part = trackNumbered(reference, 1);
    const midiTrack* played = takeTrackOf(take);
    ASSERT_NE(part, nullptr);
    ASSERT_NE(played, nullptr);

    const std::vector<IntonationRow> rows = analyseIntonation(reference, *part, take, *played);

    ASSERT_EQ(rows.size(), 4u);
    expectRow(rows[0], 60, 25.0, 50.0, 1.0);
    expectRow(rows[1], 64, -100.0, -100.0, 0.5);
    expectRow(rows[2], 67, 0, 0, 0.0);
    expectRow(rows[3], 72, -37.5, -75.0, 1.0);
    EXPECT_EQ(rows[2].startUs, 1000000);
    EXPECT_EQ(rows[3].startUs, 2000000);
    EXPECT_EQ(rows[3].endUs, 3000000);
}

TEST(Intonation, ReadsThePracticeTakeTrackOnItsOwnTempoMapWithAFineBendRange)
{
    midiSong reference, take;
    smftest::loadImage(reference, smftest::smf(1, {{}, smftest::timed({{0, on(69)}, {960, off(69)}})}));
    // 240 ticks at one second per quarter: the take's 120 ticks are half a second.
    // The band's track comes first and plays the note perfectly; the take is flat.
    smftest::loadImage(take, smftest::smf(1,
                                          {
                                              smftest::timed({{0, tempo(1000000)}}),
                                              smftest::timed({{0, name("Band")}, {0, on(69)}, {240, off(69)}}),
                                              smftest::timed({{0, name(kPracticeTakeTrackName)},
                                                              {0, controller(101, 0)},
                                                              {0, controller(100, 0)},
                                                              {0, controller(6, 0)},
                                                              {0, controller(38, 50)},
                                                              {0, bend(0, 0)},
                                                              {0, on(69)},
                                                              {120, off(69)}}),
                                          },
                                          240));
    const midiTrack* played = takeTrackOf(take);
    ASSERT_NE(played, nullptr);
    EXPECT_EQ(played->name, kPracticeTakeTrackName);

    const std::vector<IntonationRow> rows = analyseIntonation(reference, *trackNumbered(reference, 1), take, *played);

    ASSERT_EQ(rows.size(), 1u);
    expectRow(rows[0], 69, -50.0, -50.0, 0.5);
    EXPECT_EQ(rows[0].endUs, 1000000);
}

TEST(PlayedPitch, HearsTheLatestNoteOfARecordingUntilItsNoteOff)
{
    midiSong song;
    midiTrack track(&song, 0, "take");
    track.durationForm = false;
    const auto add = [&](std::int32_t time, int key, int velocity) {
        auto* e = new NoteOnEvent(time, 0);
        e->key = std::uint8_t(key);
        e->velocity = std::uint8_t(velocity);
        track.insertEvent(e, true);
    };
    add(0, 60, 100);
    add(100, 62, 100);
    add(200, 62, 0);
    add(300, 60, 0);
    add(400, 64, 100);  // never ended: it lasts to the track's last event
    auto* late = new PitchBendEvent(500, 0);
    late->bend = 8192;
    track.insertEvent(late, true);

    const std::vector<PitchStretch> stretches = playedPitch(track, [](std::int64_t t) { return t; });

    ASSERT_EQ(stretches.size(), 4u);
    const std::int64_t starts[] = {0, 100, 200, 400}, ends[] = {100, 200, 300, 500};
    const double pitches[] = {60, 62, 60, 64};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(stretches[i].start, starts[i]) << i;
        EXPECT_EQ(stretches[i].end, ends[i]) << i;
        EXPECT_DOUBLE_EQ(stretches[i].pitch, pitches[i]) << i;
    }
}
