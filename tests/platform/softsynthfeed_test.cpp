#include "platform/softsynthfeed.h"

#include "platform/clock.h"
#include "platform/shortmsg.h"
#include "platform/softsynthimpl.h"
#include "platform/soundfont.h"
#include "systemfontsynth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

using namespace platform;

namespace {

constexpr double kRate = 48000;
constexpr int kFrames = 128;
constexpr double kPeriod = kFrames * 1e6 / kRate;
constexpr std::int64_t kStart = 7'000'000'000;

std::uint32_t volume(int value)
{
    return packShortMessage(0xB0, 7, std::uint8_t(value));
}

class Feed : public ::testing::Test, protected SoftSynthFeed::BlockRenderer {
protected:
    void SetUp() override
    {
        synth = offlineSynthWithSystemFont(kRate);
        if (!synth)
            GTEST_SKIP() << "no General MIDI SoundFont installed";
        feed = std::make_unique<SoftSynthFeed>(*synth, kRate);
    }

    // Renders the next period, asked for exactly on the beat.
    void renderPeriod()
    {
        const std::int64_t request = kStart + std::llround(double(periods) * kPeriod);
        audio.resize(audio.size() + 2 * kFrames);
        feed->renderPeriod(kFrames, request, *this);
        ++periods;
    }

    float renderBlock(int offset, int frames) override
    {
        pendingAtBlocks.push_back(feed->pending());
        volumeAtBlocks.push_back(channelVolume());
        const std::span<float> block(audio.data() + blockStart(offset), 2 * std::size_t(frames));
        synth->render(block);
        float peak = 0;
        for (float sample : block)
            peak = std::max(peak, std::fabs(sample));
        return peak;
    }

    void silenceBlock(int offset, int frames) override
    {
        pendingAtBlocks.push_back(feed->pending());
        volumeAtBlocks.push_back(channelVolume());
        std::fill_n(audio.begin() + std::ptrdiff_t(blockStart(offset)), 2 * frames, 0.0f);
        ++silencedBlocks;
    }

    std::size_t blockStart(int offset) const { return 2 * (std::size_t(periods) * kFrames + std::size_t(offset)); }

    int channelVolume() const
    {
        int value = -1;
        fluid_synth_get_cc(synth->impl().synth, 0, 7, &value);
        return value;
    }

    std::unique_ptr<SoftSynth> synth;
    std::unique_ptr<SoftSynthFeed> feed;
    int periods = 0;
    std::vector<float> audio;  // interleaved stereo
    std::vector<std::size_t> pendingAtBlocks;
    std::vector<int> volumeAtBlocks;  // as each block was rendered
    int silencedBlocks = 0;
};

}  // namespace

TEST_F(Feed, AppliesEachMessageInTheBlockNearestOnePeriodAfterItWasSent)
{
    // Blocks of 64 frames, 1333 us; a period holds two.
    feed->sendShort(volume(1), kStart - 5000);  // long overdue: at once
    feed->sendShort(volume(2), kStart + 100);   // due in the second period's first block
    feed->sendShort(volume(3), kStart + 1500);  // ... its second block
    feed->sendShort(volume(4), kStart + 2100);  // nearer the third period's first block
    EXPECT_EQ(feed->pending(), 4u);
    for (int i = 0; i < 3; ++i)
        renderPeriod();
    EXPECT_EQ(pendingAtBlocks, (std::vector<std::size_t>{3, 3, 2, 1, 0, 0}));
    EXPECT_EQ(channelVolume(), 4);
}

TEST_F(Feed, SoundsANoteExactlyAsIfPlayedAtTheStartOfTheBlockWhereItIsDue)
{
    const std::uint32_t woodBlock = packShortMessage(0x99, 76, 110);
    feed->sendShort(woodBlock, kStart + 1500);  // due in the second period's second block
    for (int i = 0; i < 4; ++i)
        renderPeriod();

    // The same note, played straight into a synth of its own at the start of
    // the fourth block; before it the quiet synth was not even rendered.
    std::unique_ptr<SoftSynth> direct = SoftSynth::create({kRate, true});
    ASSERT_EQ(direct->loadSoundFont(synth->soundFont()), MmOk);
    std::vector<float> expected(audio.size());
    const std::size_t noteAt = 2 * std::size_t(kFrames + 64);
    direct->shortMessage(woodBlock);
    direct->render(std::span<float>(expected.data() + noteAt, expected.size() - noteAt));
    EXPECT_EQ(silencedBlocks, 3);

    ASSERT_GT(*std::max_element(audio.begin(), audio.end()), 0.01f) << "the note never sounded";
    EXPECT_EQ(audio, expected);
}

TEST_F(Feed, PlaysASongInItsOwnFramesHoweverTheRequestsJitter)
{
    // Requests come late, early and in bursts, as a busy sound server makes them.
    const std::vector<std::int64_t> jitter{0, 900, -400, 2500, 0, 0, -1200, 300, 4000, 4000, 4000, 0};
    auto requestAt = [&](int period) {
        return kStart + std::llround(double(period) * kPeriod) + jitter[std::size_t(period) % jitter.size()];
    };
    feed->beginSong(kStart);
    // Volume steps 5 ms apart on the song's time line, sent all at once.
    for (int i = 1; i <= 20; ++i)
        feed->sendShortAt(volume(i), kStart + 5000 * i);

    for (int period = 0; period < 60; ++period) {
        audio.resize(audio.size() + 2 * kFrames);
        feed->renderPeriod(kFrames, requestAt(period), *this);
        ++periods;
    }
    EXPECT_EQ(feed->pending(), 0u);
    // The first block where each value took hold, in frames.
    std::vector<std::int64_t> firstFrame;
    for (int value = 1; value <= 20; ++value) {
        const auto at = std::find(volumeAtBlocks.begin(), volumeAtBlocks.end(), value);
        ASSERT_NE(at, volumeAtBlocks.end()) << value;
        firstFrame.push_back(std::int64_t(at - volumeAtBlocks.begin()) * SoftSynthFeed::kBlockFrames);
    }
    // 5 ms is 240 frames: each step lands in the block nearest its frame,
    // so the distances stay within a block of the exact ones.
    for (std::size_t i = 1; i < firstFrame.size(); ++i)
        EXPECT_NEAR(double(firstFrame[i] - firstFrame[i - 1]), 240.0, 64.0) << i;
    EXPECT_NEAR(double(firstFrame.back() - firstFrame.front()), 19 * 240.0, 64.0);
    // The song begins its lead after the start, where a live message would land.
    const double leadFrames = SoftSynthFeed::kSongLeadMicros * kRate / 1e6;
    EXPECT_NEAR(double(firstFrame.front()), leadFrames + 240 + kFrames, 3.0 * SoftSynthFeed::kBlockFrames);
}

TEST_F(Feed, DropsTheRestOfACancelledSongButNotTheLiveMessages)
{
    feed->beginSong(kStart);
    feed->sendShortAt(volume(10), kStart + 1000);
    feed->sendShortAt(packShortMessage(0x90, 60, 100), kStart + 2000);
    feed->cancelSong();
    feed->sendShort(volume(99), kStart);
    for (int i = 0; i < 40; ++i)
        renderPeriod();
    EXPECT_EQ(feed->pending(), 0u);
    EXPECT_EQ(channelVolume(), 99);
    EXPECT_EQ(synth->activeVoices(), 0);
}

TEST_F(Feed, HoldsMessagesWhileTheSynthLoadsAndDropsOnlyTheNotesThatFellDue)
{
    const std::uint32_t program = packShortMessage(0xC0, 78);
    feed->sendShort(program, kStart);
    feed->sendShort(volume(50), kStart + 10);
    feed->sendShort(packShortMessage(0x90, 69, 100), kStart + 20);
    for (int i = 0; i < 5; ++i) {
        audio.resize(audio.size() + 2 * kFrames);
        feed->renderPeriod(kFrames, kStart + std::llround(double(periods) * kPeriod), *this, false);
        ++periods;
    }
    EXPECT_EQ(feed->pending(), 3u) << "nothing reaches a synth that is loading";
    EXPECT_EQ(silencedBlocks, 10);
    feed->markReady(kStart + std::llround(double(periods) * kPeriod));
    renderPeriod();
    EXPECT_EQ(feed->pending(), 0u);
    EXPECT_EQ(channelVolume(), 50);
    EXPECT_EQ(synth->activeVoices(), 0) << "the late note stays silent";

    // Once ready, a note sounds as usual.
    feed->sendShort(packShortMessage(0x90, 69, 100), kStart + std::llround(double(periods) * kPeriod));
    renderPeriod();
    renderPeriod();
    EXPECT_GT(synth->activeVoices(), 0);
}

TEST_F(Feed, StopsRenderingOnceTheTailHasDiedAndWakesForTheNextMessage)
{
    const auto nowStamp = [&] { return kStart + std::llround(double(periods) * kPeriod); };
    feed->sendShort(packShortMessage(0x90, 60, 110), nowStamp());
    for (int i = 0; i < 40; ++i)
        renderPeriod();
    feed->sendShort(packShortMessage(0x80, 60, 0), nowStamp());
    const int silencedWhilePlaying = silencedBlocks;
    // Ten seconds: the note's release and the reverb die away, then the synth sleeps.
    for (int i = 0; i < 3750; ++i)
        renderPeriod();
    EXPECT_GT(silencedBlocks, silencedWhilePlaying + 3000) << "most of the quiet time costs nothing";
    const std::size_t tail = audio.size() - 2 * 1000 * kFrames;
    EXPECT_TRUE(std::all_of(audio.begin() + std::ptrdiff_t(tail), audio.end(), [](float x) { return x == 0.0f; }));

    const int silencedBefore = silencedBlocks;
    feed->sendShort(packShortMessage(0x90, 72, 110), nowStamp());
    renderPeriod();
    renderPeriod();
    EXPECT_LE(silencedBlocks - silencedBefore, 3) << "the note wakes the synth in the block it is due";
    EXPECT_GT(*std::max_element(audio.end() - 2 * kFrames, audio.end()), 0.001f);
}

TEST_F(Feed, LetsTheOutputPauseOnlyAfterARestWithNothingWaiting)
{
    const auto nowStamp = [&] { return kStart + std::llround(double(periods) * kPeriod); };
    EXPECT_FALSE(feed->mayPause()) << "nothing has been rendered yet";
    feed->sendShort(packShortMessage(0x90, 60, 110), nowStamp());
    for (int i = 0; i < 40; ++i)
        renderPeriod();
    EXPECT_FALSE(feed->mayPause()) << "a note sounds";
    feed->sendShort(packShortMessage(0x80, 60, 0), nowStamp());
    int restedAt = -1;
    for (int i = 0; i < 5000 && restedAt < 0; ++i) {
        renderPeriod();
        if (feed->mayPause())
            restedAt = periods;
    }
    ASSERT_GE(restedAt, 0) << "the synth never rested";
    // Two seconds of silence written for the sleeping synth came first.
    const std::size_t twoSeconds = 2 * 2 * std::size_t(kRate);
    ASSERT_GT(audio.size(), twoSeconds);
    EXPECT_TRUE(std::all_of(audio.end() - std::ptrdiff_t(twoSeconds), audio.end(), [](float x) { return x == 0.0f; }));
    EXPECT_GE(silencedBlocks, int(2 * kRate) / SoftSynthFeed::kBlockFrames);

    feed->sendShort(packShortMessage(0x90, 72, 110), nowStamp());
    EXPECT_FALSE(feed->mayPause()) << "a message waits";
    renderPeriod();
    EXPECT_FALSE(feed->mayPause()) << "the note woke the synth";
}

TEST_F(Feed, SaysItSoundsOnlyWhileAVoiceOrItsTailIsHeard)
{
    const auto nowStamp = [&] { return kStart + std::llround(double(periods) * kPeriod); };
    // A program and a controller wake the synth but sound nothing.
    feed->sendShort(packShortMessage(0xC0, 19), nowStamp());
    feed->sendShort(packShortMessage(0xB0, 7, 100), nowStamp());
    for (int i = 0; i < 20; ++i) {
        renderPeriod();
        EXPECT_FALSE(feed->sounding()) << "period " << i;
    }
    feed->sendShort(packShortMessage(0x90, 60, 110), nowStamp());
    for (int i = 0; i < 4; ++i)
        renderPeriod();
    EXPECT_TRUE(feed->sounding());
    feed->sendShort(packShortMessage(0x80, 60, 0), nowStamp());
    int quietAt = -1;
    for (int i = 0; i < 3750 && quietAt < 0; ++i) {
        renderPeriod();
        if (!feed->sounding())
            quietAt = periods;
    }
    ASSERT_GE(quietAt, 0) << "the tail never died";
    for (int i = 0; i < 100; ++i)
        renderPeriod();
    EXPECT_FALSE(feed->sounding()) << "asleep";
}

TEST_F(Feed, CountsAPauseAsSilencePlayedSoThatASongKeepsToItsTimeLine)
{
    feed->beginSong(kStart);
    // Three seconds on the beat: the song anchors, nothing sounds, the synth rests.
    for (int i = 0; i < 1125; ++i)
        renderPeriod();
    ASSERT_TRUE(feed->mayPause());
    // The output pauses for two seconds, then a note due six seconds into the song comes.
    const std::int64_t resumed = kStart + std::llround(double(periods) * kPeriod) + 2'000'000;
    feed->resumeAt(resumed);
    feed->sendShortAt(packShortMessage(0x90, 72, 120), kStart + 6'000'000);
    for (int k = 0; k < 600; ++k) {
        audio.resize(audio.size() + 2 * kFrames);
        feed->renderPeriod(kFrames, resumed + std::llround(double(k) * kPeriod), *this);
        ++periods;
    }
    const auto onset = std::find_if(audio.begin(), audio.end(), [](float x) { return std::fabs(x) > 1e-6f; });
    ASSERT_NE(onset, audio.end()) << "the note never sounded";
    const double onsetFrame = double(onset - audio.begin()) / 2;
    // The song anchored in the second period's first block, a lead before its start.
    const double leadFrames = SoftSynthFeed::kSongLeadMicros * kRate / 1e6;
    const double dueFrame = kFrames + leadFrames + 6 * kRate;
    const double pausedFrames = 2 * kRate;
    EXPECT_NEAR(onsetFrame, dueFrame - pausedFrames, 2.0 * SoftSynthFeed::kBlockFrames);
}

TEST_F(Feed, KeepsTheOrderOfShortAndLongMessagesAsItsQueueWrapsAndGrows)
{
    int sent = 0;
    const auto send = [&](int count) {
        for (int i = 0; i < count; ++i, ++sent) {
            const int value = sent * 7 % 128;
            const std::int64_t stamp = kStart + sent;  // all due in the second period
            if (sent % 5 == 0)
                EXPECT_TRUE(feed->sendLong(std::vector<std::uint8_t>{0xB0, 7, std::uint8_t(value)}, stamp));
            else
                EXPECT_TRUE(feed->sendShort(volume(value), stamp));
        }
    };
    send(600);
    renderPeriod();
    renderPeriod();
    EXPECT_EQ(feed->pending(), 0u);
    EXPECT_EQ(channelVolume(), 599 * 7 % 128);

    // Starting mid-ring, more messages than its first slots.
    send(3000);
    EXPECT_EQ(feed->pending(), 3000u);
    renderPeriod();
    renderPeriod();
    EXPECT_EQ(feed->pending(), 0u);
    EXPECT_EQ(channelVolume(), 3599 * 7 % 128);
}

TEST_F(Feed, TakesMessagesFromSeveralSendersWhileTheAudioThreadRenders)
{
    std::atomic<bool> sending{true};
    std::thread audioThread([&] {
        struct Silence : SoftSynthFeed::BlockRenderer {
            float renderBlock(int, int) override { return 0; }
            void silenceBlock(int, int) override {}
        } silence;
        // A period at a time on the wall clock, as a driver would ask, until
        // the senders are done and every message is applied (or 5 s passed).
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (sending.load() || (feed->pending() > 0 && std::chrono::steady_clock::now() < giveUp)) {
            feed->renderPeriod(kFrames, nowMicros(), silence);
            std::this_thread::sleep_for(std::chrono::microseconds(std::llround(kPeriod)));
        }
    });
    std::atomic<int> refused{0};
    const auto sender = [&](std::uint8_t controller) {
        for (int i = 0; i < 2000; ++i)
            if (!feed->sendShort(packShortMessage(0xB1, controller, std::uint8_t(i % 128))))
                ++refused;
    };
    std::thread first(sender, 1), second(sender, 11);
    first.join();
    second.join();
    sending.store(false);
    audioThread.join();
    EXPECT_EQ(refused.load(), 0);
    EXPECT_EQ(feed->pending(), 0u);
}
