// The player on an output of the test's own, which records every call with
// the instant the player gave it. Due instants come from the song clock, not
// from when a timer woke, so they are checked exactly however busy the machine.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "mididata/event.h"
#include "mididata/song.h"
#include "mididata/track.h"
#include "midiout/sequenceplayer.h"
#include "midiout/songoutput.h"
#include "platform/clock.h"

namespace {

constexpr auto kPatience = std::chrono::seconds(20);

struct Call {
    std::string what;         // "begin", "event", "cancel", "sound off", "end"
    int value = -1;           // an event's controller value
    std::int64_t micros = 0;  // the start of "begin", the due instant of "event"

    bool operator==(const Call&) const = default;
};

void PrintTo(const Call& c, std::ostream* os)
{
    *os << c.what << " " << c.value << " @" << c.micros;
}

// Records the calls of the window thread and the timer thread in one list.
class RecordingOutput : public SongOutput {
public:
    bool isOpen() const override { return true; }
    void WaitUntilReady() override {}
    void BeginSong(std::int64_t startMicros) override { record({"begin", -1, startMicros}); }
    void SendSongEvent(const anyEvent& event, std::int64_t dueMicros) override
    {
        const auto* control = dynamic_cast<const ControlChangeEvent*>(&event);
        record({"event", control ? control->value : -1, dueMicros});
    }
    void CancelSong() override { record({"cancel"}); }
    void SoundOffAll() override { record({"sound off"}); }
    void songEnded() override { record({"end"}); }
    std::int64_t songLookaheadMicros() const override { return lookahead; }
    bool songInterrupted() const override { return interrupted.load(); }

    std::int64_t lookahead = 0;
    std::atomic<bool> interrupted{false};

    std::vector<Call> calls() const
    {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    // When each call was made (platform::nowMicros), in the order of calls().
    std::vector<std::int64_t> madeAt() const
    {
        std::lock_guard lock(mutex_);
        return madeAt_;
    }
    bool waitFor(std::size_t count)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [&] { return calls_.size() >= count; });
    }

private:
    void record(Call call)
    {
        std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
        madeAt_.push_back(platform::nowMicros());
        changed_.notify_all();
    }
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Call> calls_;
    std::vector<std::int64_t> madeAt_;
};

class PlayerOutput : public ::testing::Test {
protected:
    // A control change whose value tells the events apart.
    void control(std::int32_t time, int value)
    {
        auto* e = new ControlChangeEvent(time, 0);
        e->controller = 16;
        e->value = std::uint8_t(value);
        track.addEvent(e);
    }
    void tempoChange(std::int32_t time, std::uint32_t tempo) { track.addEvent(new TempoEvent(time, 0x51, tempo)); }

    // The due instants of the recorded events, from the song's start.
    std::vector<Call> fromStart(std::vector<Call> calls) const
    {
        const std::int64_t start = player.songStartMicros();
        for (Call& c : calls)
            if (c.what != "cancel" && c.what != "sound off" && c.what != "end")
                c.micros -= start;
        return calls;
    }

    RecordingOutput output;
    SequencePlayer player{output};
    midiSong song;
    midiTrack track{&song, 1, "Play"};
};

}  // namespace

TEST_F(PlayerOutput, SendsEveryEventInOrderAtItsDueInstantAcrossTempoChanges)
{
    ASSERT_EQ(player.SetTempo(4000), 0);  // 480 ticks: 4 ms
    control(0, 1);
    control(480, 2);
    tempoChange(480, 2000);  // counts from the gap after its own group
    control(480, 3);
    control(960, 4);
    tempoChange(960, 8000);
    control(1200, 5);
    control(1201, 6);
    player.PlayTrack(&track);
    ASSERT_TRUE(output.waitFor(8));

    // The set-tempo events stay with the player; a normal end sends no sound-off.
    EXPECT_EQ(fromStart(output.calls()), (std::vector<Call>{
                                             {"begin", -1, 0},
                                             {"event", 1, 0},
                                             {"event", 2, 4000},
                                             {"event", 3, 4000},
                                             {"event", 4, 6000},
                                             {"event", 5, 10000},
                                             {"event", 6, 10016},  // 8000 * 1 / 480, rounded down
                                             {"end"},
                                         }));
    EXPECT_EQ(player.Tempo(), 8000);
    EXPECT_FALSE(player.IsPlaying());
}

TEST_F(PlayerOutput, SendsEachGroupItsLookaheadEarlyAndTellsOfTheEndWhenTheLastIsDue)
{
    output.lookahead = 300'000;
    ASSERT_EQ(player.SetTempo(100'000), 0);  // 480 ticks: 100 ms
    for (int i = 0; i < 6; ++i)
        control(i * 480, i + 1);
    player.PlayTrack(&track);
    ASSERT_TRUE(output.waitFor(8));

    EXPECT_EQ(fromStart(output.calls()), (std::vector<Call>{
                                             {"begin", -1, 0},
                                             {"event", 1, 0},
                                             {"event", 2, 100000},
                                             {"event", 3, 200000},
                                             {"event", 4, 300000},
                                             {"event", 5, 400000},
                                             {"event", 6, 500000},
                                             {"end"},
                                         }));
    const std::vector<Call> calls = output.calls();
    const std::vector<std::int64_t> madeAt = output.madeAt();
    // A timer may wake late on a busy machine, but not by the whole lookahead.
    for (std::size_t i = 2; i + 1 < calls.size(); ++i)
        EXPECT_LT(madeAt[i], calls[i].micros) << "event " << calls[i].value << " was sent no earlier than due";
    EXPECT_GE(madeAt.back(), calls[calls.size() - 2].micros) << "the end came before the last group was due";
    EXPECT_FALSE(player.IsPlaying());
}

TEST_F(PlayerOutput, StopCancelsTheSongThenSilencesAndNoTickFollows)
{
    ASSERT_EQ(player.SetTempo(1000), 0);
    for (int i = 0; i < 2000; ++i)
        control(i * 480, i % 128);  // a group every millisecond for two seconds
    player.PlayTrack(&track);
    ASSERT_TRUE(output.waitFor(10));
    player.StopPlayback();
    EXPECT_FALSE(player.IsPlaying());

    const std::vector<Call> calls = output.calls();
    ASSERT_GE(calls.size(), 4u);
    EXPECT_LT(calls.size(), 2000u + 3u) << "the song played to its end before the stop";
    EXPECT_EQ(calls[calls.size() - 2], Call{"cancel"});
    EXPECT_EQ(calls.back(), Call{"sound off"});
    for (std::size_t i = 1; i + 2 < calls.size(); ++i)
        EXPECT_EQ(calls[i].what, "event") << i;

    platform::Sleep(20);  // twenty groups' worth: a tick that survived the stop would have sent
    EXPECT_EQ(output.calls().size(), calls.size());
}

TEST_F(PlayerOutput, ASongTheDeviceDroppedStopsAtTheNextTickSilencedAndEnds)
{
    ASSERT_EQ(player.SetTempo(1000), 0);
    for (int i = 0; i < 2000; ++i)
        control(i * 480, i % 128);
    player.PlayTrack(&track);
    ASSERT_TRUE(output.waitFor(10));
    output.interrupted.store(true);
    const std::size_t sent = output.calls().size();
    ASSERT_TRUE(output.waitFor(sent + 3));
    platform::Sleep(20);
    EXPECT_FALSE(player.IsPlaying());

    const std::vector<Call> calls = output.calls();
    ASSERT_GE(calls.size(), 4u);
    EXPECT_LE(calls.size(), sent + 4) << "at most the tick under way sent on";
    const std::vector<Call> last(calls.end() - 3, calls.end());
    EXPECT_EQ(last, (std::vector<Call>{{"cancel"}, {"sound off"}, {"end"}}));
}
