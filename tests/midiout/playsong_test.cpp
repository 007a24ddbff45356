#include <atomic>

#include "capturedgateway.h"
#include "mididata/song.h"
#include "midiout/playsong.h"
#include "midiout/sequenceplayer.h"
#include "platform/clock.h"

namespace {

class SequencePlayerSong : public CapturedGateway {
protected:
    void SetUp() override
    {
        CapturedGateway::SetUp();
        openDefault();
    }

    midiTrack* addTrack()
    {
        auto* t = new midiTrack(&song, std::int32_t(song.tracks.size()) + 1, "");
        song.tracks.push_back(t);
        return t;
    }
    static anyEvent* note(midiTrack* t, std::int32_t time, int channel, int key, std::int32_t duration)
    {
        auto* e = new NoteOnEvent(time, std::uint8_t(channel));
        e->key = std::uint8_t(key);
        e->velocity = 100;
        e->duration = duration;
        t->addEvent(e);
        return e;
    }
    static anyEvent* control(midiTrack* t, std::int32_t time, int channel, int value)
    {
        auto* e = new ControlChangeEvent(time, std::uint8_t(channel));
        e->controller = 7;
        e->value = std::uint8_t(value);
        t->addEvent(e);
        return e;
    }
    static sysexEvent* sysex(midiTrack* t, const std::vector<std::uint8_t>& bytes)
    {
        auto* e = new sysexEvent(0, 0xF0, 0);
        e->bytes = bytes;
        t->addEvent(e);
        return e;
    }

    midiSong song;
    midiTrack playTrack{nullptr, 0, "Play"};
};

}  // namespace

TEST_F(SequencePlayerSong, BuildSharesEveryEventButTheGsModeSetMessage)
{
    midiTrack* first = addTrack();
    midiTrack* second = addTrack();
    anyEvent* a = control(first, 0, 0, 1);
    sysex(first, song.gsModeSet1->bytes);
    anyEvent* gmOn = sysex(first, song.gmSystemOn->bytes);
    anyEvent* b = note(second, 0, 1, 60, 10);
    sysex(second, song.gsModeSet1->bytes);
    second->addEvent(new ControlChangeEvent(0, 0));
    second->releaseAt(second->size() - 1);  // an empty slot is passed over

    control(&playTrack, 0, 0, 99);  // what the last song left behind goes first
    playTrack.durationForm = false;
    int skips = 0;
    EXPECT_EQ(buildPlayTrack(song, playTrack, [&] { ++skips; }), 2u);
    EXPECT_EQ(skips, 2);
    EXPECT_EQ(playTrack.song, &song);
    EXPECT_TRUE(playTrack.durationForm);
    EXPECT_EQ(playTrack.items(), (std::vector<anyEvent*>{a, gmOn, b}));
    EXPECT_EQ(a->refCount, 2);
    EXPECT_EQ(b->refCount, 2);
}

TEST_F(SequencePlayerSong, BuildOfAnEmptySongLeavesAnEmptyTrack)
{
    addTrack();
    control(&playTrack, 0, 0, 99);
    EXPECT_EQ(buildPlayTrack(song, playTrack), 0u);
    EXPECT_TRUE(playTrack.empty());

    playSong(*gateway, song, playTrack);
    EXPECT_FALSE(gateway->IsPlaying());
    EXPECT_EQ(log->size(), 32u);  // only the stop that every play begins with
}

TEST_F(SequencePlayerSong, PlaysTracksMergedInTimeOrderWithEndingNotesFirst)
{
    midiTrack* first = addTrack();
    midiTrack* second = addTrack();
    first->addEvent(new TempoEvent(0, 0x51, 20000));
    note(first, 0, 0, 60, 480);
    note(first, 480, 0, 60, 480);  // struck again where the first one ends
    sysex(first, song.gsModeSet1->bytes);
    control(second, 0, 1, 5);
    note(second, 480, 1, 64, 480);

    std::atomic<int> ended{0};
    gateway->OnSongEnd = [&] { ++ended; };
    int skips = 0;
    EXPECT_EQ(playSong(*gateway, song, playTrack, [&] { ++skips; }), 1u);
    EXPECT_EQ(skips, 1);
    EXPECT_EQ(gateway->Player().Tempo(), 20000);
    // The song ends on the timer thread.
    for (int i = 0; i < 20000 && ended.load() == 0; ++i)
        platform::Sleep(1);
    EXPECT_FALSE(gateway->IsPlaying());

    std::vector<Bytes> played = sent();
    played.erase(played.begin(), played.begin() + 32);  // the stop before playing
    EXPECT_EQ(played, (std::vector<Bytes>{
                          bytesOf({0x90, 60, 100}), bytesOf({0xB1, 7, 5}),                             // tick 0
                          bytesOf({0x90, 60, 0}), bytesOf({0x90, 60, 100}), bytesOf({0x91, 64, 100}),  // tick 480
                          bytesOf({0x90, 60, 0}), bytesOf({0x91, 64, 0}),                              // tick 960
                      }));
    EXPECT_EQ(ended.load(), 1);
}
