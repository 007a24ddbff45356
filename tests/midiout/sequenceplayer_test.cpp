// The player on the capture device. Songs last a fraction of a second; times
// are checked only from below (a group never arrives before its exact time
// from the start of the song), since a loaded machine may always be late.
#include <thread>

#include "capturedgateway.h"
#include "mididata/song.h"
#include "midiout/sequenceplayer.h"
#include "platform/clock.h"

namespace {

constexpr auto kPatience = std::chrono::seconds(20);

// Counts song ends and remembers the thread they came on.
class SongEnds {
public:
    void note()
    {
        std::lock_guard lock(mutex_);
        ++count_;
        thread_ = std::this_thread::get_id();
        changed_.notify_all();
    }
    int count() const
    {
        std::lock_guard lock(mutex_);
        return count_;
    }
    std::thread::id thread() const
    {
        std::lock_guard lock(mutex_);
        return thread_;
    }
    bool wait()
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [&] { return count_ > 0; });
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
    std::thread::id thread_;
};

class SequencePlayerTest : public CapturedGateway {
protected:
    void SetUp() override
    {
        CapturedGateway::SetUp();
        gateway->OnSongEnd = [this] { ends.note(); };
        openDefault();
    }

    // A control change whose value tells the events apart.
    void control(std::int32_t time, int value, int channel = 0)
    {
        auto* e = new ControlChangeEvent(time, std::uint8_t(channel));
        e->controller = 16;
        e->value = std::uint8_t(value);
        track.addEvent(e);
    }
    void tempoChange(std::int32_t time, std::uint32_t tempo) { track.addEvent(new TempoEvent(time, 0x51, tempo)); }

    // Microseconds for ticks at a tempo, as the song clock counts them.
    std::int64_t micros(std::int64_t ticks, std::int64_t tempo) const { return ticks * tempo / song.division; }

    // The arrival of the message with this value, from the song's start.
    std::int64_t arrival(const std::vector<platform::CapturedMessage>& messages, std::size_t i) const
    {
        return messages.at(i).micros - gateway->Player().songStartMicros();
    }

    std::vector<int> values() const
    {
        std::vector<int> all;
        for (const auto& m : log->messages())
            all.push_back(m.bytes.size() == 3 ? m.bytes[2] : -1);
        return all;
    }

    SongEnds ends;
    midiSong song;
    midiTrack track{&song, 1, "Play"};
};

}  // namespace

TEST_F(SequencePlayerTest, SongOnTheFirstTickEndsInsidePlayTrack)
{
    control(0, 1);
    control(0, 2);
    control(0, 3);
    gateway->PlayTrack(&track);
    EXPECT_EQ(values(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(ends.count(), 1);
    EXPECT_EQ(ends.thread(), std::this_thread::get_id());
    EXPECT_FALSE(gateway->IsPlaying());
}

TEST_F(SequencePlayerTest, SendsEachGroupNoEarlierThanItsExactTime)
{
    // 62500 us a quarter at division 480 is 130.21 us a tick: whole
    // microseconds a tick and whole milliseconds a gap would aim early.
    ASSERT_EQ(gateway->SetTempo(62500), 0);
    song.division = 480;
    control(0, 1);
    control(480, 2);
    control(480, 3);
    control(961, 4);
    control(1442, 5);
    gateway->PlayTrack(&track);
    EXPECT_TRUE(gateway->IsPlaying());
    ASSERT_TRUE(ends.wait());
    EXPECT_FALSE(gateway->IsPlaying());
    EXPECT_NE(ends.thread(), std::this_thread::get_id());

    const auto messages = log->messages();
    ASSERT_EQ(values(), (std::vector<int>{1, 2, 3, 4, 5}));  // no sound-off at a normal end
    EXPECT_GE(arrival(messages, 0), 0);
    EXPECT_GE(arrival(messages, 1), micros(480, 62500));
    EXPECT_GE(arrival(messages, 2), arrival(messages, 1));
    EXPECT_GE(arrival(messages, 3), micros(961, 62500));
    EXPECT_GE(arrival(messages, 4), micros(1442, 62500));
    EXPECT_EQ(ends.count(), 1);
}

TEST_F(SequencePlayerTest, SetTempoEventChangesTheGapAfterItsOwnGroup)
{
    gateway->SetTempo(40000);
    control(0, 1);
    tempoChange(480, 80000);  // slower: were it late, the third group would come too soon
    control(480, 2);
    tempoChange(960, 10000);  // faster: were it early, the third group would come too soon
    control(960, 3);
    control(1440, 4);
    gateway->PlayTrack(&track);
    ASSERT_TRUE(ends.wait());

    const auto messages = log->messages();
    ASSERT_EQ(values(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_GE(arrival(messages, 1), micros(480, 40000));
    EXPECT_GE(arrival(messages, 2), micros(480, 40000) + micros(480, 80000));
    EXPECT_GE(arrival(messages, 3), micros(480, 40000) + micros(480, 80000) + micros(480, 10000));
    EXPECT_EQ(gateway->Player().Tempo(), 10000);  // the tempo stays after the end
}

TEST_F(SequencePlayerTest, ArmsTheFirstTimerAtLeastOneMillisecondAhead)
{
    gateway->SetTempo(1);  // a tick takes next to no time
    control(0, 1);
    control(1, 2);
    control(2, 3);
    gateway->PlayTrack(&track);
    ASSERT_TRUE(ends.wait());
    const auto messages = log->messages();
    ASSERT_EQ(values(), (std::vector<int>{1, 2, 3}));
    EXPECT_GE(messages[1].micros - messages[0].micros, 1000);
}

TEST_F(SequencePlayerTest, DivisionZeroPlaysEverythingAtOnceWithoutFailing)
{
    song.division = 0;
    control(0, 1);
    control(480, 2);
    control(960, 3);
    gateway->PlayTrack(&track);
    ASSERT_TRUE(ends.wait());
    EXPECT_EQ(values(), (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(gateway->IsPlaying());
}

TEST_F(SequencePlayerTest, StopSilencesAndNothingArrivesAfterItReturns)
{
    gateway->SetTempo(20000);  // 20 ms a quarter
    for (int i = 0; i < 120; ++i)
        control(i * 480, i + 1);
    gateway->PlayTrack(&track);
    ASSERT_TRUE(log->waitForSize(3, kPatience));
    gateway->StopPlayback();
    EXPECT_FALSE(gateway->IsPlaying());

    const auto messages = log->messages();
    ASSERT_GE(messages.size(), 3u + 32u);
    const std::size_t played = messages.size() - 32;
    EXPECT_LT(played, 120u);
    for (std::size_t i = 0; i < played; ++i)
        EXPECT_EQ(messages[i].bytes, bytesOf({0xB0, 16, int(i) + 1}));
    for (std::size_t i = played; i < messages.size(); ++i)
        EXPECT_EQ(messages[i].bytes[0] & 0xF0, 0xB0) << "sound-off expected at " << i;

    platform::Sleep(100);  // five gaps: a tick that survived the stop would have sent by now
    EXPECT_EQ(log->size(), messages.size());
    EXPECT_EQ(ends.count(), 0);
}

TEST_F(SequencePlayerTest, StopRacingWithTicksLeavesNothingBehind)
{
    gateway->SetTempo(1000);
    for (int i = 0; i < 400; ++i)
        control(i * 48, i % 128);  // a group every 100 us: many ticks and late groups
    for (int round = 0; round < 20; ++round) {
        log->clear();
        gateway->PlayTrack(&track);
        platform::Sleep(std::uint32_t(round % 4));
        gateway->StopPlayback();
        const std::size_t after = log->size();
        platform::Sleep(3);
        EXPECT_EQ(log->size(), after) << "round " << round;
        EXPECT_FALSE(gateway->IsPlaying());
    }
}

TEST_F(SequencePlayerTest, StopSendsSoundOffOnlyWhileADeviceIsOpen)
{
    gateway->StopPlayback();
    EXPECT_EQ(log->size(), 32u);

    log->clear();
    ASSERT_EQ(gateway->CloseDevice(), 0);
    gateway->StopPlayback();
    EXPECT_EQ(log->size(), 0u);
}

TEST_F(SequencePlayerTest, NothingPlaysForAnEmptyTrackOrWithoutADevice)
{
    gateway->PlayTrack(&track);
    gateway->PlayTrack(nullptr);
    EXPECT_FALSE(gateway->IsPlaying());

    control(0, 1);
    control(480, 2);
    ASSERT_EQ(gateway->CloseDevice(), 0);
    gateway->PlayTrack(&track);
    EXPECT_FALSE(gateway->IsPlaying());
    EXPECT_EQ(log->size(), 0u);
    EXPECT_EQ(ends.count(), 0);
}

TEST_F(SequencePlayerTest, SetTempoRefusesValuesOutsideThreeBytes)
{
    ASSERT_EQ(gateway->SetTempo(250000), 0);
    EXPECT_EQ(gateway->SetTempo(0), -1);
    EXPECT_EQ(gateway->SetTempo(16777216), -1);
    EXPECT_EQ(gateway->SetTempo(-5), -1);
    EXPECT_EQ(gateway->Player().Tempo(), 250000);
    EXPECT_EQ(gateway->SetTempo(16777215), 0);
    EXPECT_EQ(gateway->SetTempo(1), 0);
}

TEST_F(SequencePlayerTest, TimerThatCannotBeArmedReportsTimerError)
{
    // 16.7 s a tick: the next group lies beyond the longest delay a timer takes.
    song.division = 1;
    gateway->SetTempo(SequencePlayer::kMaxTempo);
    control(0, 1);
    control(100, 2);
    gateway->PlayTrack(&track);
    EXPECT_EQ(sink.texts(), std::vector<std::string>{"Timer Error"});
    EXPECT_FALSE(gateway->IsPlaying());
    EXPECT_EQ(values(), std::vector<int>{1});
}

TEST_F(SequencePlayerTest, TimerErrorDuringPlayKeepsPlayingUntilStopped)
{
    song.division = 1;
    gateway->SetTempo(2000);
    control(0, 1);
    tempoChange(1, SequencePlayer::kMaxTempo);
    control(1, 2);
    control(200, 3);
    gateway->PlayTrack(&track);
    ASSERT_TRUE(sink.waitFor(1));
    EXPECT_EQ(sink.texts(), std::vector<std::string>{"Timer Error"});
    EXPECT_TRUE(gateway->IsPlaying());
    gateway->StopPlayback();
    EXPECT_FALSE(gateway->IsPlaying());
    EXPECT_EQ(ends.count(), 0);
    EXPECT_EQ(log->size(), 2u + 32u);
}

TEST_F(SequencePlayerTest, PlayingAgainCancelsTheSongStillPlaying)
{
    gateway->SetTempo(500000);  // the first song would take seconds
    control(0, 1);
    control(480, 2);
    gateway->PlayTrack(&track);
    ASSERT_TRUE(gateway->IsPlaying());

    midiTrack second(&song, 2, "Second");
    auto* e = new ControlChangeEvent(0, 0);
    e->value = 9;
    second.addEvent(e);
    gateway->PlayTrack(&second);  // all on its first tick: ends at once
    EXPECT_FALSE(gateway->IsPlaying());
    EXPECT_EQ(values(), (std::vector<int>{1, 9}));
    EXPECT_EQ(ends.count(), 1);
}
