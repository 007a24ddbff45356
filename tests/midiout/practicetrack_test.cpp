#include "midiout/practicetrack.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mididata/smf_test_support.h"
#include "midiout/playsong.h"
#include "midiout/practiceparts.h"

using smftest::Bytes;

namespace {

Bytes tempo(std::uint32_t us)
{
    return {0xFF, 0x51, 0x03, std::uint8_t(us >> 16), std::uint8_t(us >> 8), std::uint8_t(us)};
}
Bytes name(const std::string& text)
{
    return smftest::join({{0xFF, 0x03, std::uint8_t(text.size())}, Bytes(text.begin(), text.end())});
}

// A conductor with the tempo, a lead on channel 1 with program 41, and a bass on channel 2.
Bytes band(const Bytes& meter = {0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08})
{
    return smftest::smf(
        1, {
               smftest::timed({{0, meter}, {0, tempo(500000)}, {960, tempo(600000)}}),
               smftest::timed({{0, name("Lead")}, {0, {0xC0, 40}}, {0, {0x90, 60, 100}}, {480, {0x80, 60, 0}}}),
               smftest::timed({{0, name("Bass")}, {0, {0x91, 36, 100}}, {960, {0x81, 36, 0}}}),
           });
}

struct Heard {
    std::int32_t time;
    int status;
    int key;  // or the controller, program, tempo
    std::int32_t duration;
    bool operator==(const Heard&) const = default;
};

std::vector<Heard> heard(const midiTrack& track)
{
    std::vector<Heard> out;
    for (anyEvent* e : track.items()) {
        if (!e)
            continue;
        int value = 0;
        std::int32_t duration = 0;
        if (auto* n = dynamic_cast<NoteOnEvent*>(e)) {
            value = n->key;
            duration = n->duration;
        } else if (auto* c = dynamic_cast<ControlChangeEvent*>(e)) {
            value = c->controller * 1000 + c->value;
        } else if (auto* p = dynamic_cast<ProgramChangeEvent*>(e)) {
            value = p->program;
        } else if (auto* t = dynamic_cast<TempoEvent*>(e)) {
            value = int(t->tempoValue());
        } else if (e->status == 0xFF) {
            continue;
        }
        out.push_back({e->time, e->status, value, duration});
    }
    std::stable_sort(out.begin(), out.end(), [](const Heard& a, const Heard& b) { return a.time < b.time; });
    return out;
}

}  // namespace

TEST(PracticeTrack, WithoutChoicesIsExactlyThePlayTrackOfPlayMidi)
{
    midiSong song;
    smftest::loadImage(song, band());
    midiTrack plain(nullptr, 0, ""), practice(nullptr, 0, "");
    buildPlayTrack(song, plain);

    buildPracticeTrack(song, practice, PracticeChoices{});

    EXPECT_EQ(practice.items(), plain.items());
    EXPECT_EQ(practice.durationForm, plain.durationForm);
    EXPECT_FALSE(PracticeChoices{}.any());
    EXPECT_EQ(practiceStartTempo(song, PracticeChoices{}), 500000);
}

TEST(PracticeTrack, YourPartLeavesOutItsChannelMessagesAndGivesTheInstrumentItsVoice)
{
    midiSong song;
    smftest::loadImage(song, band());
    PracticeChoices choices;
    choices.part = 1;
    midiTrack track(nullptr, 0, "");

    buildPracticeTrack(song, track, choices);

    const std::vector<Heard> expected = {{0, 0xFF, 500000, 0}, {0, 0x91, 36, 960}, {960, 0xFF, 600000, 0}};
    EXPECT_EQ(heard(track), expected);

    const std::vector<PartChoice> parts = partChoices(song);
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(partMenuText(parts[0]), "1 Lead (ch 1)");
    EXPECT_EQ(partMenuText(parts[1]), "2 Bass (ch 2)");
    const PartVoice lead = partVoice(song, 1);
    EXPECT_EQ(lead.channel, 0);
    EXPECT_EQ(lead.program, 40);
    EXPECT_EQ(partVoice(song, 0).channel, -1);
}

TEST(PracticeTrack, CountInIsOneBarOfClicksBeforeTheSongInTheSongsMeter)
{
    midiSong song;
    smftest::loadImage(song, band({0xFF, 0x58, 0x04, 0x03, 0x02, 0x18, 0x08}));  // 3/4
    PracticeChoices choices;
    choices.countIn = true;
    midiTrack track(nullptr, 0, "");

    buildPracticeTrack(song, track, choices);

    const std::vector<Heard> expected = {{0, 0x99, kClickKeyFirstBeat, 240},
                                         {480, 0x99, kClickKeyOtherBeats, 240},
                                         {960, 0x99, kClickKeyOtherBeats, 240},
                                         {1440, 0xFF, 500000, 0},
                                         {1440, 0xC0, 40, 0},
                                         {1440, 0x90, 60, 480},
                                         {1440, 0x91, 36, 960},
                                         {2400, 0xFF, 600000, 0}};
    EXPECT_EQ(heard(track), expected);
    const PracticeLayout layout = practiceLayout(song, choices);
    EXPECT_EQ(layout.songTickAt(100), -1);
    EXPECT_EQ(layout.songTickAt(1440 + 700), 700);
}

TEST(PracticeTrack, LoopRepeatsItsBarsFromTheStateAtItsStartAndEndsNotesAtItsEnd)
{
    midiSong song;
    smftest::loadImage(song, smftest::smf(1, {
                                                 smftest::timed({{0, tempo(500000)}, {2000, tempo(250000)}}),
                                                 smftest::timed({{0, {0x90, 60, 100}},
                                                                 {100, {0xC0, 5}},
                                                                 {200, {0xB0, 7, 50}},
                                                                 {300, {0xB0, 7, 90}},
                                                                 {480, {0x80, 60, 0}},
                                                                 {1920, {0x90, 62, 100}},
                                                                 {4920, {0x80, 62, 0}},
                                                                 {3840, {0x90, 64, 100}},
                                                                 {4000, {0x80, 64, 0}}}),
                                             }));
    PracticeChoices choices;
    choices.loopFrom = 2;
    choices.loopTo = 2;
    choices.countIn = true;
    choices.tempoPercent = 50;
    midiTrack track(nullptr, 0, "");

    buildPracticeTrack(song, track, choices);

    const PracticeLayout layout = practiceLayout(song, choices);
    EXPECT_EQ(layout.regionStart, 1920);
    EXPECT_EQ(layout.regionEnd, 3840);
    EXPECT_EQ(layout.countInTicks, 1920);
    ASSERT_GE(layout.passes, 2);
    const std::vector<Heard> all = heard(track);
    const std::vector<Heard> start(all.begin(), all.begin() + 8);
    const std::vector<Heard> expectedStart = {{0, 0xFF, 1000000, 0},
                                              {0, 0xC0, 5, 0},
                                              {0, 0xB0, 7090, 0},
                                              {0, 0x99, kClickKeyFirstBeat, 240},
                                              {480, 0x99, kClickKeyOtherBeats, 240},
                                              {960, 0x99, kClickKeyOtherBeats, 240},
                                              {1440, 0x99, kClickKeyOtherBeats, 240},
                                              {1920, 0x90, 62, 1920}};
    EXPECT_EQ(start, expectedStart);
    // Every pass: the tempo of the loop's start (after the first), the note, the tempo change inside.
    std::vector<Heard> notes;
    for (const Heard& h : all)
        if (h.status == 0x90)
            notes.push_back(h);
    ASSERT_EQ(std::int64_t(notes.size()), layout.passes);
    for (std::int64_t pass = 0; pass < layout.passes; ++pass)
        EXPECT_EQ(notes[std::size_t(pass)].time, 1920 + pass * 1920) << pass;
    EXPECT_EQ(layout.songTickAt(1920 * 3 + 10), 1930);
    EXPECT_EQ(practiceStartTempo(song, choices), 1000000);
    const Heard secondPassTempo{3840, 0xFF, 1000000, 0};
    EXPECT_NE(std::find(all.begin(), all.end(), secondPassTempo), all.end());
}

TEST(PracticeTrack, TempoScalesThePlayTracksTempoEventsAndLeavesTheSongsAlone)
{
    midiSong song;
    smftest::loadImage(song, band());
    PracticeChoices choices;
    choices.tempoPercent = 150;
    midiTrack track(nullptr, 0, "");

    buildPracticeTrack(song, track, choices);

    std::vector<int> tempos;
    for (const Heard& h : heard(track))
        if (h.status == 0xFF)
            tempos.push_back(h.key);
    EXPECT_EQ(tempos, (std::vector<int>{333333, 400000}));
    EXPECT_EQ(heard(*song.tracks[0]).front().key, 500000);
    EXPECT_EQ(practiceStartTempo(song, choices), 333333);
    choices.tempoPercent = 10;  // held to 50 %
    EXPECT_EQ(practiceStartTempo(song, choices), 1000000);
}
