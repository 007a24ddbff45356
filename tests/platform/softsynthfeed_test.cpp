#include "platform/softsynthfeed.h"

#include "platform/clock.h"
#include "platform/shortmsg.h"
#include "platform/softsynthimpl.h"
#include "platform/soundfont.h"

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
        const std::filesystem::path font = findSoundFont({}, systemSoundFonts());
        if (font.empty())
            GTEST_SKIP() << "no General MIDI SoundFont installed";
        synth = SoftSynth::create({kRate, true});
        ASSERT_NE(synth, nullptr);
        ASSERT_EQ(synth->loadSoundFont(font), MmOk);
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

    void renderBlock(int offset, int frames) override
    {
        pendingAtBlocks.push_back(feed->pending());
        const std::size_t first = 2 * (std::size_t(periods) * kFrames + std::size_t(offset));
        synth->render(std::span<float>(audio.data() + first, 2 * std::size_t(frames)));
    }

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

    // The same note, played straight into a synth of its own after three blocks.
    std::unique_ptr<SoftSynth> direct = SoftSynth::create({kRate, true});
    ASSERT_EQ(direct->loadSoundFont(synth->soundFont()), MmOk);
    std::vector<float> expected(audio.size());
    const std::size_t noteAt = 2 * std::size_t(kFrames + 64);
    direct->render(std::span<float>(expected.data(), noteAt));
    direct->shortMessage(woodBlock);
    direct->render(std::span<float>(expected.data() + noteAt, expected.size() - noteAt));

    ASSERT_GT(*std::max_element(audio.begin(), audio.end()), 0.01f) << "the note never sounded";
    EXPECT_EQ(audio, expected);
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
            void renderBlock(int, int) override {}
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
