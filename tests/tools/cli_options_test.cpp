// The command line's options and wording: event times in "text", the split of
// a format 0 file in "info", errors that name the program and the file, device
// advice for the command line, and the level of a rendered song.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "mididata/smf_test_support.h"
#include "midiout/rendergain.h"
#include "platform/midiout.h"
#include "platform/soundfont.h"
#include "tools/deviceadvice.h"
#include "tools/rendercommand.h"
#include "tools/songinfo.h"
#include "tools/textcommand.h"

using namespace smftest;

namespace {

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// Format 0 at 120 BPM in 3/4: notes on channels 1 and 10, one in the second bar.
Bytes formatZeroSong()
{
    return smf(0, {timed({{0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}},
                          {0, {0xFF, 0x58, 0x04, 0x03, 0x02, 0x18, 0x08}},
                          {0, {0x90, 60, 100}},
                          {480, {0x80, 60, 64}},
                          {1560, {0x99, 36, 100}},
                          {1600, {0x89, 36, 0}}})});
}

}  // namespace

TEST(TextCommand, TimesShowBarBeatTickAndSecondsBeforeEachEvent)
{
    TempDir dir("cli-text-times");
    const std::string path = dir.file("song.mid");
    writeFile(path, formatZeroSong());

    std::ostringstream plain, plainErr;
    ASSERT_EQ(runTextCommand(path, plain, plainErr), 0);
    EXPECT_FALSE(contains(plain.str(), "001:01:000")) << "times only when asked for";

    std::ostringstream out, err;
    ASSERT_EQ(runTextCommand(path, out, err, TextOptions{true}), 0) << err.str();
    const std::string text = out.str();
    // Tick 1560 in 3/4 at 480 ticks a beat: bar 2, beat 1, tick 120; 1.625 s at 500000 us a beat.
    EXPECT_TRUE(contains(text, "001:01:000    0.000  Chn = 01 Note ON:Key 060")) << text;
    EXPECT_TRUE(contains(text, "002:01:120    1.625  Chn = 10 Note ON:Key 036")) << text;
    EXPECT_TRUE(contains(text, "\nTrack 1 ")) << "track headings carry no time: " << text;

    std::string file, problem;
    TextOptions options;
    EXPECT_TRUE(parseTextArguments(std::vector<std::string>{"--times", "a.mid"}, file, options, problem));
    EXPECT_TRUE(options.times);
    EXPECT_EQ(file, "a.mid");
    EXPECT_FALSE(parseTextArguments(std::vector<std::string>{"a.mid", "--time"}, file, options, problem));
    EXPECT_TRUE(contains(problem, "--time"));
    EXPECT_FALSE(parseTextArguments(std::vector<std::string>{"a.mid", "b.mid"}, file, options, problem));
}

TEST(InfoCommand, SaysHowManyTracksTheFileHoldsAndIntoHowManyFormatZeroWasSplit)
{
    TempDir dir("cli-info-split");
    const std::string path = dir.file("zero.mid");
    writeFile(path, formatZeroSong());
    std::ostringstream out, err;
    ASSERT_EQ(runInfoCommand(path, out, err), 0) << err.str();
    EXPECT_TRUE(contains(out.str(), "Tracks:   1 in the file, split by channel into 2 channel tracks (17 listed)\n"))
        << out.str();
}

TEST(CommandErrors, NameTheProgramAndTheFileBeforeTheReadersMessage)
{
    TempDir dir("cli-errors");
    const std::string path = dir.file("song.mid");
    writeFile(path, join({header(1, 1), {'M', 'T', 'x', 'x'}}));
    std::ostringstream out, err;
    EXPECT_EQ(runTextCommand(path, out, err), 1);
    EXPECT_EQ(err.str(), "orvelline-midi: " + path + ": Couldn't find MIDI Track block\n");
}

TEST(CommandErrors, DeviceAdviceNamesTheDevicesCommandAndTheDeviceOption)
{
    const std::string notListed = commandLineDeviceMessage(platform::midiOutGetErrorText(platform::MidiBadDeviceId));
    EXPECT_TRUE(contains(notListed, "not in the list")) << notListed;
    EXPECT_FALSE(contains(notListed, "window")) << notListed;
    EXPECT_TRUE(contains(notListed, "orvelline-midi devices")) << notListed;
    EXPECT_TRUE(contains(notListed, "--device N")) << notListed;
    for (const platform::MmResult status :
         {platform::MidiInvalidHandle, platform::MidiPortUnavailable, platform::MidiSendFailed}) {
        const std::string text = commandLineDeviceMessage(platform::midiOutGetErrorText(status));
        EXPECT_FALSE(contains(text, "window")) << text;
        EXPECT_TRUE(contains(text, "--device N")) << text;
    }
    EXPECT_EQ(commandLineDeviceMessage("Timer Error"), "Timer Error");
}

TEST(RenderGain, NormalizesThePeakToOneDecibelBelowFullScaleAndCountsClipping)
{
    const std::vector<float> quiet{0.0f, 0.089f, -0.1f, 0.05f};
    EXPECT_FLOAT_EQ(peakOf(quiet), 0.1f);
    EXPECT_NEAR(normalizingGainDb(0.1), 19.0, 1e-9);
    EXPECT_EQ(normalizingGainDb(0.0), 0.0) << "silence stays silence";
    EXPECT_NEAR(decibelsOf(peakOf(quiet) * factorOfDecibels(normalizingGainDb(0.1))), -1.0, 1e-6);

    std::vector<std::int16_t> pcm(4);
    EXPECT_EQ(toPcm16(quiet, 1.0, pcm), 0u);
    EXPECT_EQ(pcm[2], -3277);
    EXPECT_EQ(toPcm16(quiet, factorOfDecibels(20.0), pcm), 0u);
    EXPECT_EQ(pcm[2], -32767);
    EXPECT_EQ(toPcm16(quiet, factorOfDecibels(30.0), pcm), 3u) << "all but the silent sample clip";
    EXPECT_EQ(pcm[1], 32767);
    EXPECT_EQ(pcm[2], -32768);
}

TEST(RenderArguments, TakeAGainInDecibelsAndNormalize)
{
    std::string in, out, problem;
    RenderOptions options;
    ASSERT_TRUE(parseRenderArguments(std::vector<std::string>{"a.mid", "--gain", "-3.5", "a.wav", "--normalize"}, in,
                                     out, options, problem))
        << problem;
    EXPECT_EQ(options.gainDb, -3.5);
    EXPECT_TRUE(options.normalize);
    EXPECT_EQ(out, "a.wav");
    for (const char* bad : {"loud", "", "6dB", "nan", "100"}) {
        RenderOptions refused;
        EXPECT_FALSE(
            parseRenderArguments(std::vector<std::string>{"a.mid", "a.wav", "--gain", bad}, in, out, refused, problem))
            << bad;
        EXPECT_TRUE(contains(problem, "--gain")) << problem;
    }
    EXPECT_FALSE(parseRenderArguments(std::vector<std::string>{"a.mid", "a.wav", "--gain"}, in, out, options, problem));
}

TEST(RenderCommand, NormalizeBringsTheLoudestSampleToOneDecibelBelowFullScale)
{
    const std::string font = platform::findSoundFont({}, platform::systemSoundFonts()).string();
    if (font.empty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    TempDir dir("cli-render-normalize");
    const std::string in = dir.file("note.mid"), out = dir.file("note.wav");
    writeFile(in, smf(1, {timed({{0, {0xC0, 0}}, {0, {0x90, 60, 40}}, {240, {0x80, 60, 64}}})}));
    RenderOptions options;
    options.soundFont = font;
    options.normalize = true;
    options.tailSeconds = 0.2;
    std::ostringstream report, err;
    ASSERT_EQ(runRenderCommand(in, out, options, report, err), 0) << err.str();
    EXPECT_TRUE(contains(report.str(), "peak -1.0 dBFS")) << report.str();

    std::ifstream wav(out, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(wav)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 44u);
    int peak = 0;
    for (std::size_t at = 44; at + 1 < bytes.size(); at += 2) {
        const auto sample = std::int16_t(std::uint8_t(bytes[at]) | std::uint8_t(bytes[at + 1]) << 8);
        peak = std::max(peak, std::abs(int(sample)));
    }
    // -1 dBFS is 29204 of 32767; rounding moves it by one step at most.
    EXPECT_NEAR(peak, 29204, 2);
}
