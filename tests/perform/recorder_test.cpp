// The recorder on the capture device: the opening snapshot, the song built
// from the entries, its replay and the file saved from it. Replay times are
// checked from below only (a group never arrives before its recorded time),
// since a loaded machine may always be late.
#include "capturedperformer.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "mididata/messagesink.h"
#include "mididata/smf_test_support.h"
#include "mididata/song.h"
#include "midiout/sequenceplayer.h"
#include "platform/clock.h"

namespace {

constexpr auto kPatience = std::chrono::seconds(20);

class Recorder : public CapturedPerformer {
protected:
    void SetUp() override
    {
        CapturedPerformer::SetUp();
        previousSink = setMessageSink([this](const std::string& text) { reported.push_back(text); });
    }
    void TearDown() override
    {
        gateway->StopPlayback();
        setMessageSink(std::move(previousSink));
        CapturedPerformer::TearDown();
    }

    void record(std::initializer_list<RecordEntry> entries) { performer->Entries.assign(entries); }

    // The times of the events of the replayed track, after the tempo event.
    std::vector<std::int32_t> songTimes() const
    {
        std::vector<std::int32_t> times;
        const midiTrack& track = *performer->Song.conductor;
        for (std::size_t i = 1; i < track.size(); ++i)
            times.push_back(track.at(i)->time);
        return times;
    }

    std::vector<std::string> reported;
    MessageSink previousSink;
};

}  // namespace

TEST_F(Recorder, OpensWithASnapshotOfSevenUntimedEntriesThatReplaysOnTheFirstTick)
{
    initialised(false);
    performer->SetProgram(1, 2, 3);
    performer->SetChannelVolume(90);
    performer->SetModulation(5);
    performer->Entries.push_back({7, 6, 100});  // left over from an earlier take
    // An earlier entry long ago must not give the snapshot a delta.
    performer->LastTime = platform::timeGetTime() - 100000;
    forget();

    performer->StartRecording();
    performer->SetVelocity(99);
    performer->StopRecording();
    performer->SetVelocity(98);

    EXPECT_FALSE(performer->IsRecording());
    ASSERT_EQ(performer->Entries.size(), 8u);
    using KV = std::pair<std::int32_t, std::int32_t>;
    EXPECT_EQ(
        kindsAndValues(*performer),
        (std::vector<KV>{{0, 3 << 16 | 2 << 8 | 1}, {1, 90}, {4, 120}, {8, 5}, {5, 12}, {9, 40}, {10, 0}, {4, 99}}));
    for (std::size_t i = 0; i < 7; ++i)
        EXPECT_EQ(performer->Entries[i].delta, 0u) << "entry " << i;
    EXPECT_LT(performer->Entries[7].delta, 1000u);
    EXPECT_EQ(log->size(), 0u);

    performer->Replay();

    // All on tick 0: sent within Replay, and the song is over at once.
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xB0, 0, 1},
                                          {0xB0, 32, 2},
                                          {0xC0, 3},
                                          {0xB0, 7, 90},
                                          {0xB0, 1, 5},
                                          {0xB0, 101, 0},
                                          {0xB0, 100, 0},
                                          {0xB0, 6, 12},
                                          {0xB0, 91, 40},
                                          {0xB0, 93, 0}}));
    EXPECT_FALSE(performer->IsReplaying());
    // Building the song leaves the velocity the panel set.
    EXPECT_EQ(performer->Velocity, 98);
}

TEST_F(Recorder, BuildsOneTrackAtOneTickPerMillisecondWithTheRecordedDeltas)
{
    initialised(false);
    performer->SetChannel(4);
    record({{0, 7, 10}, {250, 6, 9000}, {1000, 1, 70}, {5, 42, 1}});

    performer->BuildSong();

    midiSong& song = performer->Song;
    ASSERT_EQ(song.tracks.size(), 1u);
    const midiTrack& track = *song.tracks[0];
    EXPECT_EQ(song.conductor, &track);
    EXPECT_EQ(track.name, "Orvelline");
    EXPECT_EQ(track.number, 0);
    EXPECT_FALSE(track.durationForm);
    EXPECT_EQ(song.division, 480);
    EXPECT_EQ(song.resetFlags, 1u);
    EXPECT_EQ(song.format, 0);
    ASSERT_EQ(track.size(), 4u);
    EXPECT_EQ(track.at(0)->time, 0);
    EXPECT_EQ(track.at(0)->kind(), kKindTempo);
    EXPECT_EQ(static_cast<TempoEvent*>(track.at(0))->tempoValue(), 480000u);
    // An entry of an unknown kind adds nothing.
    EXPECT_EQ(songTimes(), (std::vector<std::int32_t>{0, 250, 1250}));
    EXPECT_EQ(track.at(1)->status, 0xB4);
    EXPECT_EQ(static_cast<PitchBendEvent*>(track.at(2))->bend, 9000);

    // A bank select that was left out while recording stays out of the song.
    record({{0, 0, 78 << 16 | 0xFF << 8 | 5}});
    performer->BuildSong();
    ASSERT_EQ(song.conductor->size(), 3u);
    EXPECT_EQ(song.conductor->at(1)->kind(), kKindControlChange);
    EXPECT_EQ(static_cast<ControlChangeEvent*>(song.conductor->at(1))->controller, 0);
    EXPECT_EQ(song.conductor->at(2)->kind(), kKindProgramChange);
    record({{0, 7, 10}, {250, 6, 9000}, {1000, 1, 70}, {5, 42, 1}});

    // Rebuilding replaces the song's content instead of adding to it.
    performer->BuildSong();
    ASSERT_EQ(song.tracks.size(), 1u);
    EXPECT_EQ(song.tracks[0]->size(), 4u);
}

TEST_F(Recorder, ReplaysAtTheRecordedSpeed)
{
    initialised(false);
    record({{0, 7, 10}, {250, 7, 20}, {1000, 7, 30}});

    // Times are measured from before the replay starts: the first message
    // may be sent late on a loaded machine without moving the others.
    const std::int64_t before = platform::nowMicros();
    performer->Replay();
    EXPECT_TRUE(performer->IsReplaying());
    EXPECT_EQ(gateway->Player().Tempo(), 480000);
    ASSERT_TRUE(log->waitForSize(3, kPatience));
    const std::vector<platform::CapturedMessage> got = log->messages();

    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xB0, 11, 10}, {0xB0, 11, 20}, {0xB0, 11, 30}}));
    EXPECT_GE(got[1].micros - before, 249000);
    EXPECT_GE(got[2].micros - before, 1249000);
}

TEST_F(Recorder, ReplaysNoteEntriesOnTheCurrentNoteWithTheRecordedVelocity)
{
    initialised(false);
    record({{0, 4, 77}, {0, 2, 0}, {20, 3, 0}, {0, 4, 10}});
    performer->SetNote(60);

    performer->Replay();
    ASSERT_TRUE(log->waitForSize(2, kPatience));

    EXPECT_EQ(sent(), (std::vector<Bytes>{{0x90, 60, 77}, {0x90, 60, 0}}));
    EXPECT_EQ(performer->Velocity, 120) << "the recording's velocity is not the performer's";
}

TEST_F(Recorder, EachNoteKeepsTheCentreNoteItWasPlayedOn)
{
    initialised(false);
    performer->StartRecording();
    performer->NoteOn();     // A4
    performer->SetNote(70);  // ends A4 first
    performer->NoteOn();     // B flat 4
    performer->NoteOff();
    performer->SetNote(70);  // no change, nothing recorded
    performer->StopRecording();
    ASSERT_EQ(performer->Entries.size(), 12u);
    EXPECT_EQ(performer->Entries[9].kind, RecordKind::CentreNote);
    EXPECT_EQ(performer->Entries[9].value, 69 << 8 | 70);

    // Whatever the centre note is now, the song plays A4 then B flat 4.
    performer->SetNote(50);
    performer->BuildSong();
    std::vector<std::pair<int, int>> notes;
    for (std::size_t i = 0; i < performer->Song.conductor->size(); ++i)
        if (const auto* on = dynamic_cast<const NoteOnEvent*>(performer->Song.conductor->at(i)))
            notes.emplace_back(on->key, on->velocity);
    EXPECT_EQ(notes, (std::vector<std::pair<int, int>>{{69, 120}, {69, 0}, {70, 120}, {70, 0}}));
    EXPECT_EQ(performer->Note, 50);
}

TEST_F(Recorder, ReplayStopsWhatPlaysBeforeRebuildingAndStopReplayEndsIt)
{
    initialised(false);
    record({{0, 7, 10}, {5000, 7, 20}});
    performer->Replay();
    ASSERT_TRUE(performer->IsReplaying());

    performer->Replay();
    EXPECT_TRUE(performer->IsReplaying());
    performer->StopReplay();
    EXPECT_FALSE(performer->IsReplaying());

    // First controller, the stop's 32 sound-off messages, the restart's first
    // controller, the second stop's 32.
    const std::vector<Bytes> all = sent();
    ASSERT_EQ(all.size(), 66u);
    EXPECT_EQ(all[0], (Bytes{0xB0, 11, 10}));
    EXPECT_EQ(all[1], (Bytes{0xB0, 120, 0}));
    EXPECT_EQ(all[33], (Bytes{0xB0, 11, 10}));
    EXPECT_EQ(all[34], (Bytes{0xB0, 120, 0}));
}

TEST_F(Recorder, ReplaysNothingWithoutAGatewayOrAnOpenDevice)
{
    TVidize detached(nullptr, [](std::uint32_t) {});
    detached.Entries.push_back({0, 7, 10});
    detached.Replay();
    EXPECT_FALSE(detached.IsReplaying());
    detached.StopReplay();

    initialised(false);
    record({{0, 7, 10}, {100, 7, 20}});
    gateway->CloseDevice();
    log->clear();
    performer->Replay();
    EXPECT_FALSE(performer->IsReplaying());
    EXPECT_EQ(log->size(), 0u);
}

TEST_F(Recorder, SavesTheSameFileEveryTimeAndTheReaderGetsThePerformanceBack)
{
    smftest::TempDir folder("recorder");
    initialised(false);
    record({{0, 4, 100}, {0, 2, 0}, {500, 3, 0}});
    performer->SetNote(60);

    ASSERT_TRUE(performer->SaveRecording(folder.file("one.mid")));
    ASSERT_TRUE(performer->SaveRecording(folder.file("two.mid")));

    const smftest::Bytes one = smftest::readFile(folder.file("one.mid"));
    EXPECT_EQ(one, smftest::readFile(folder.file("two.mid")));
    EXPECT_EQ(one, smftest::smf(0, {smftest::timed({{0, {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7}},
                                                    {0, {0xFF, 0x51, 0x03, 0x07, 0x53, 0x00}},
                                                    {0, {0x90, 60, 100}},
                                                    {500, {60, 0}}})}));  // running status
    EXPECT_TRUE(reported.empty());

    midiSong back;
    back.load(folder.file("one.mid"));
    EXPECT_EQ(back.resetFlags & 1u, 1u);
    EXPECT_EQ(back.division, 480);
    EXPECT_EQ(back.tempoAt(0), 480000);
    int notes = 0;
    for (const midiTrack* track : back.tracks) {
        for (const anyEvent* e : track->items()) {
            if (!e || e->kind() != kKindNoteOn)
                continue;
            const auto* on = static_cast<const NoteOnEvent*>(e);
            EXPECT_EQ(on->key, 60);
            EXPECT_EQ(on->velocity, 100);
            EXPECT_EQ(on->duration, 500);
            ++notes;
        }
    }
    EXPECT_EQ(notes, 1);
}

TEST_F(Recorder, ReportsASaveThatCannotBeWrittenAndLeavesNoFile)
{
    smftest::TempDir folder("recorder-missing");
    initialised(false);
    record({{0, 7, 10}});
    const std::string path = folder.file("no-such-folder/take.mid");

    EXPECT_FALSE(performer->SaveRecording(path));

    ASSERT_EQ(reported.size(), 1u);
    EXPECT_NE(reported[0].find(path), std::string::npos) << reported[0];
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(Recorder, SavingDuringAReplayLeavesTheReplayPlaying)
{
    smftest::TempDir folder("recorder-replay");
    initialised(false);
    record({{0, 7, 10}, {300, 7, 20}, {300, 7, 30}});
    performer->Replay();
    ASSERT_TRUE(performer->IsReplaying());
    const midiTrack* playing = performer->Song.conductor;
    const std::vector<anyEvent*> events = playing->items();

    ASSERT_TRUE(performer->SaveRecording(folder.file("during.mid")));

    EXPECT_TRUE(performer->IsReplaying());
    EXPECT_EQ(performer->Song.conductor, playing);
    EXPECT_EQ(playing->items(), events);
    ASSERT_TRUE(log->waitForSize(3, kPatience));
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (performer->IsReplaying() && std::chrono::steady_clock::now() < deadline)
        platform::Sleep(5);
    EXPECT_FALSE(performer->IsReplaying());
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xB0, 11, 10}, {0xB0, 11, 20}, {0xB0, 11, 30}}));
    EXPECT_FALSE(smftest::readFile(folder.file("during.mid")).empty());
}
