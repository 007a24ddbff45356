#include "platform/shortmsg.h"
#include "platform/softsynth.h"
#include "platform/soundfont.h"
#include "systemfontsynth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <unistd.h>
#include <vector>

using namespace platform;

namespace {

constexpr double kRate = 48000;

class OfflineSynth : public ::testing::Test {
protected:
    void SetUp() override
    {
        synth = offlineSynthWithSystemFont(kRate);
        if (!synth)
            GTEST_SKIP() << "no General MIDI SoundFont installed";
    }

    // Renders seconds of audio and returns the left channel.
    std::vector<float> left(double seconds)
    {
        std::vector<float> stereo(2 * std::size_t(seconds * kRate));
        synth->render(std::span<float>(stereo));
        std::vector<float> mono;
        for (std::size_t i = 0; i < stereo.size(); i += 2)
            mono.push_back(stereo[i]);
        return mono;
    }

    static double pitch(const std::vector<float>& samples)
    {
        int crossings = 0;
        for (std::size_t i = 1; i < samples.size(); ++i)
            crossings += (samples[i - 1] < 0) != (samples[i] < 0);
        return crossings / 2.0 / (double(samples.size()) / kRate);
    }

    static double energy(const std::vector<float>& samples)
    {
        double sum = 0;
        for (float s : samples)
            sum += double(s) * s;
        return sum;
    }

    void whistle(std::uint8_t note)
    {
        synth->shortMessage(packShortMessage(0xC0, 78));
        synth->shortMessage(packShortMessage(0x90, note, 100));
    }

    std::unique_ptr<SoftSynth> synth;
};

}  // namespace

TEST_F(OfflineSynth, PlaysTheWhistleAtTheNotesPitch)
{
    EXPECT_LT(energy(left(0.1)), 1e-9) << "silent before any note";
    whistle(69);
    left(0.2);  // let the attack settle
    const std::vector<float> a4 = left(0.5);
    EXPECT_GT(energy(a4), 1e-3);
    EXPECT_NEAR(pitch(a4), 440.0, 440.0 * 0.03);

    synth->shortMessage(packShortMessage(0x90, 69, 0));
    whistle(81);
    left(0.2);
    EXPECT_NEAR(pitch(left(0.5)), 880.0, 880.0 * 0.03);
}

TEST_F(OfflineSynth, FollowsPitchBend)
{
    whistle(69);
    synth->shortMessage(packShortMessage(0xE0, 0x7F, 0x7F));  // +2 semitones, the default range
    left(0.2);
    EXPECT_NEAR(pitch(left(0.5)), 493.9, 493.9 * 0.03);
}

// A key or velocity over 127 from a file plays as 127, not as its low seven bits.
TEST_F(OfflineSynth, PlaysDataBytesOver127As127)
{
    const auto loudness = [this](std::uint8_t key, std::uint8_t velocity) {
        synth->shortMessage(packShortMessage(0xB0, 120, 0));
        left(0.5);
        synth->shortMessage(packShortMessage(0x90, key, velocity));
        const std::vector<float> sound = left(0.3);
        synth->shortMessage(packShortMessage(0x90, key, 0));
        return std::pair{energy(sound), pitch(sound)};
    };
    synth->shortMessage(packShortMessage(0xC0, 78));
    const auto full = loudness(69, 127);
    const auto over = loudness(69, 0xCC);
    EXPECT_GT(full.first, 1e-3);
    EXPECT_NEAR(over.first, full.first, full.first * 0.01);
    EXPECT_GT(loudness(0xC5, 100).second, 2 * loudness(69, 100).second) << "key 0xC5 plays as 127, not 69";
}

TEST_F(OfflineSynth, ResetsOnGmSystemOnGsResetAndXgSystemOn)
{
    const std::vector<std::vector<std::uint8_t>> resets = {
        {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7},
        {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7},
        {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7},
    };
    for (const std::vector<std::uint8_t>& reset : resets) {
        synth->shortMessage(packShortMessage(0xE0, 0x7F, 0x7F));
        whistle(69);
        synth->longMessage(reset);
        EXPECT_LT(energy(left(0.3)), 1e-6) << "a reset silences the synth";
        whistle(69);
        left(0.2);
        EXPECT_NEAR(pitch(left(0.5)), 440.0, 440.0 * 0.03) << "and centres the bend; reset " << int(reset[1]);
        synth->shortMessage(packShortMessage(0x90, 69, 0));
        left(1.0);
    }
}

TEST_F(OfflineSynth, ReadsShortMessagesInsideALongMessage)
{
    // Program change, then a note on and a second note through running status.
    synth->longMessage(std::vector<std::uint8_t>{0xC0, 78, 0x90, 69, 100});
    left(0.2);
    EXPECT_NEAR(pitch(left(0.5)), 440.0, 440.0 * 0.03);

    synth->longMessage(std::vector<std::uint8_t>{0x80, 69, 0});
    left(1.5);
    synth->longMessage(std::vector<std::uint8_t>{0xF0, 0x7E, 0x7F, 0x09});  // cut off: ignored
    synth->longMessage(std::vector<std::uint8_t>{0x45, 0x64, 0xF7, 0xF4});  // no status: ignored
    EXPECT_LT(energy(left(0.2)), 1e-6);
}

TEST_F(OfflineSynth, SendsReverbAsController91Asks)
{
    auto tail = [&](std::uint8_t reverb) {
        synth->longMessage(std::vector<std::uint8_t>{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
        synth->shortMessage(packShortMessage(0xB0, 91, reverb));
        synth->shortMessage(packShortMessage(0xB0, 93, 0));
        whistle(69);
        left(0.5);
        synth->shortMessage(packShortMessage(0x80, 69, 0));
        left(0.4);
        const double remaining = energy(left(1.0));
        left(3.0);
        return remaining;
    };
    const double dry = tail(0);
    const double wet = tail(127);
    EXPECT_GT(wet, 2 * dry + 1e-6);
}

TEST_F(OfflineSynth, ChangesTheSoundAsController93Asks)
{
    auto sound = [&](std::uint8_t chorus) {
        synth->longMessage(std::vector<std::uint8_t>{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
        synth->shortMessage(packShortMessage(0xB0, 91, 0));
        synth->shortMessage(packShortMessage(0xB0, 93, chorus));
        whistle(69);
        std::vector<float> samples = left(0.5);
        synth->shortMessage(packShortMessage(0x80, 69, 0));
        left(3.0);
        return samples;
    };
    const std::vector<float> plain = sound(0);
    const std::vector<float> chorused = sound(127);
    double difference = 0;
    for (std::size_t i = 0; i < plain.size(); ++i)
        difference += std::abs(double(plain[i]) - chorused[i]);
    EXPECT_GT(difference, 0.01 * std::sqrt(energy(plain)));
}

TEST_F(OfflineSynth, RendersSixteenBitAudio)
{
    whistle(69);
    std::vector<std::int16_t> stereo(2 * 24000);
    synth->render(std::span<std::int16_t>(stereo));
    int loudest = 0;
    for (std::int16_t s : stereo)
        loudest = std::max(loudest, std::abs(int(s)));
    EXPECT_GT(loudest, 100);
}

TEST(SoftSynth, RefusesAFileThatIsNotASoundFont)
{
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("orv-not-a-font-" + std::to_string(getpid()) + ".sf2");
    std::ofstream(file) << "this is not a SoundFont";
    std::unique_ptr<SoftSynth> synth = SoftSynth::create();
    ASSERT_NE(synth, nullptr);
    EXPECT_EQ(synth->loadSoundFont(file), MidiSoundFontUnreadable);
    EXPECT_EQ(synth->loadSoundFont(file.string() + ".missing"), MidiSoundFontUnreadable);
    EXPECT_TRUE(synth->soundFont().empty());
    std::filesystem::remove(file);

    synth->shortMessage(packShortMessage(0x90, 60, 100));
    std::vector<float> out(2 * 4800, 1.0f);
    synth->render(std::span<float>(out));
    for (float s : out)
        ASSERT_LT(std::abs(s), 1e-6f) << "without a SoundFont the synth stays silent";
}
