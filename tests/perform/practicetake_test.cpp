#include "perform/practicetake.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "mididata/smf_test_support.h"
#include "midiout/practiceclock.h"
#include "perform/intonation.h"

using smftest::Bytes;

namespace {

// Two bars of 4/4 at 120 beats a minute; the melody holds C4 for the first bar.
Bytes song()
{
    return smftest::smf(
        1, {
               smftest::timed(
                   {{0, {0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08}}, {0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}}}),
               smftest::timed(
                   {{0, {0x90, 60, 100}}, {1920, {0x80, 60, 0}}, {1920, {0x90, 62, 100}}, {3840, {0x80, 62, 0}}}),
           });
}

template <class E>
E* add(midiTrack& track, std::int32_t time)
{
    auto* e = new E(time, 0);
    track.insertEvent(e, true);
    return e;
}

// A recording as the recorder builds it: bend range 2, a note from 1 s to 3 s
// bent a quarter tone up at 2 s, and its own tempo event.
void record(midiTrack& recording)
{
    recording.durationForm = false;
    recording.insertEvent(new TempoEvent(0, 0x51, 480000), true);
    const int controllers[][2] = {{101, 0}, {100, 0}, {6, 2}};
    for (const auto& [number, value] : controllers) {
        auto* c = add<ControlChangeEvent>(recording, 0);
        c->controller = std::uint8_t(number);
        c->value = std::uint8_t(value);
    }
    auto* on = add<NoteOnEvent>(recording, 1000);
    on->key = 60;
    on->velocity = 100;
    add<PitchBendEvent>(recording, 2000)->bend = 8192 + 1024;
    add<NoteOnEvent>(recording, 3000)->key = 60;
}

}  // namespace

TEST(PracticeTake, LiesOnTheSongsClockAndIsSavedAsOneMoreTrackTheReportReads)
{
    midiSong reference;
    smftest::loadImage(reference, song());
    PracticeChoices choices;
    choices.countIn = true;
    choices.tempoPercent = 50;  // a quarter note lasts a second; the count-in four
    midiTrack playTrack(nullptr, 0, "");
    buildPracticeTrack(reference, playTrack, choices);
    const PracticeClock clock(playTrack, reference.division, practiceStartTempo(reference, choices),
                              practiceLayout(reference, choices));
    midiSong recorded;
    midiTrack recording(&recorded, 0, "Orvelline");
    record(recording);
    PracticeTake take;

    // Rec.Start half a second before the count-in ends.
    buildPracticeTake(recording, clock, 3500000, take);

    ASSERT_EQ(take.passes.size(), 1u);
    EXPECT_EQ(take.passes[0].track->name, kPracticeTakeTrackName);
    std::vector<std::pair<std::int32_t, int>> placed;
    for (const anyEvent* e : take.passes[0].track->items())
        placed.push_back({e->time, e->kind()});
    const std::vector<std::pair<std::int32_t, int>> expected = {
        {0, kKindTrackName}, {0, kKindControlChange}, {0, kKindControlChange}, {0, kKindControlChange},
        {240, kKindNoteOn},  {720, kKindPitchBend},   {1200, kKindNoteOff}};
    EXPECT_EQ(placed, expected);

    const std::string path =
        (std::filesystem::temp_directory_path() / ("orv-practicetake-" + std::to_string(getpid()) + ".mid")).string();
    ASSERT_TRUE(savePracticeTake(reference, take, path));
    midiSong saved;
    saved.load(path);
    std::filesystem::remove(path);
    EXPECT_EQ(saved.format, 1);
    ASSERT_EQ(saved.tracks.size(), reference.tracks.size() + 1);
    EXPECT_EQ(saved.tempoAt(0), 500000);
    const midiTrack* played = takeTrackOf(saved);
    ASSERT_NE(played, nullptr);
    EXPECT_EQ(played->number, 2);

    // C4 lasts 2 s; the take sounds from 0.25 s to 1.25 s, in tune and then 25 cents sharp.
    const std::vector<IntonationRow> rows = analyseIntonation(reference, *trackNumbered(reference, 1), saved, *played);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_NEAR(rows[0].coverage, 0.5, 1e-9);
    EXPECT_NEAR(rows[0].centsMean, 12.5, 0.01);
    EXPECT_NEAR(rows[0].centsMax, 25.0, 0.01);
    EXPECT_EQ(rows[1].coverage, 0.0);
}

// A loop of bar 2 (D4) played three times with one note held throughout,
// in tune, then 30 cents sharp, then 50 cents flat for half the bar: each pass
// keeps its own track and scores on its own, from the engine and from the file.
TEST(PracticeTake, KeepsAndScoresEveryPassOfALoop)
{
    midiSong reference;
    smftest::loadImage(reference, song());
    PracticeChoices choices;
    choices.loopFrom = choices.loopTo = 2;
    choices.loopMinutes = 1;  // 30 passes of two seconds
    midiTrack playTrack(nullptr, 0, "");
    buildPracticeTrack(reference, playTrack, choices);
    const PracticeClock clock(playTrack, reference.division, practiceStartTempo(reference, choices),
                              practiceLayout(reference, choices));
    midiTrack recording(nullptr, 0, "Orvelline");
    recording.durationForm = false;
    const int controllers[][2] = {{101, 0}, {100, 0}, {6, 12}};
    for (const auto& [number, value] : controllers) {
        auto* c = add<ControlChangeEvent>(recording, 0);
        c->controller = std::uint8_t(number);
        c->value = std::uint8_t(value);
    }
    auto* on = add<NoteOnEvent>(recording, 0);
    on->key = 62;
    on->velocity = 100;
    add<PitchBendEvent>(recording, 2000)->bend = 8192 + 205;
    add<PitchBendEvent>(recording, 4000)->bend = 8192 - 341;
    add<NoteOnEvent>(recording, 5000)->key = 62;

    PracticeTake take;
    buildPracticeTake(recording, clock, 0, take);
    ASSERT_EQ(take.passes.size(), 3u);
    EXPECT_EQ(take.passes[2].track->name, "Practice take, pass 3");

    const std::string path =
        (std::filesystem::temp_directory_path() / ("orv-practiceloop-" + std::to_string(getpid()) + ".mid")).string();
    ASSERT_TRUE(savePracticeTake(reference, take, path));
    midiSong saved;
    saved.load(path);
    std::filesystem::remove(path);
    ASSERT_EQ(saved.tracks.size(), reference.tracks.size() + 3);
    const std::vector<TakePass> passes = takePassesOf(saved);
    ASSERT_EQ(passes.size(), 3u);

    const double sharp = 205 * 1200.0 / 8192, flat = -341 * 1200.0 / 8192;
    const std::vector<PassScore> scores = scorePasses(reference, *trackNumbered(reference, 1), saved, passes);
    ASSERT_EQ(scores.size(), 3u);
    const struct {
        double cents, coverage;
        int within;
        double share;
    } expected[] = {{0, 1, 1, 1}, {sharp, 1, 0, 0}, {flat, 0.5, 0, 0}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("pass " + std::to_string(i + 1));
        EXPECT_EQ(scores[std::size_t(i)].pass, i + 1);
        ASSERT_EQ(scores[std::size_t(i)].rows.size(), 1u) << "only the loop's note is scored";
        const IntonationRow& row = scores[std::size_t(i)].rows[0];
        EXPECT_EQ(row.note, 62);
        EXPECT_EQ(row.startUs, 2000000);
        EXPECT_NEAR(row.centsMean, expected[i].cents, 0.05);
        EXPECT_NEAR(row.coverage, expected[i].coverage, 1e-9);
        const PassSummary& summary = scores[std::size_t(i)].summary;
        EXPECT_EQ(summary.notes, 1);
        EXPECT_EQ(summary.within25, expected[i].within);
        EXPECT_NEAR(summary.meanAbsCents, std::fabs(expected[i].cents), 0.05);
        EXPECT_NEAR(summary.inTuneShare, expected[i].share, 1e-9);
    }
    EXPECT_EQ(bestPass(scores), 0u);
    EXPECT_EQ(clock.passAt(60000000).pass, -1) << "after the last pass";
}
