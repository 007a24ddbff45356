// "render": the WAV file it writes (header, length from the player's timing,
// where the sound is, its pitch) and its failures.
#include <FLAC/stream_decoder.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "mididata/safesave.h"
#include "mididata/smf_test_support.h"
#include "platform/soundfont.h"
#include "tools/rendercommand.h"
#include "tools/savesignals.h"

using namespace smftest;

namespace {

constexpr int kRate = 44100;

std::uint32_t le(const Bytes& b, std::size_t at, int bytes)
{
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | b.at(at + std::size_t(i));
    return v;
}

Bytes readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The left channel of a 44-byte-header stereo WAV image.
std::vector<std::int16_t> leftChannel(const Bytes& wav)
{
    std::vector<std::int16_t> left;
    for (std::size_t at = 44; at + 3 < wav.size(); at += 4)
        left.push_back(std::int16_t(le(wav, at, 2)));
    return left;
}

std::size_t frameAt(double seconds)
{
    return std::size_t(std::lround(seconds * kRate));
}

int peak(const std::vector<std::int16_t>& s, std::size_t from, std::size_t to)
{
    int p = 0;
    for (std::size_t i = from; i < to && i < s.size(); ++i)
        p = std::max(p, std::abs(int(s[i])));
    return p;
}

double pitch(const std::vector<std::int16_t>& s, std::size_t from, std::size_t to)
{
    int crossings = 0;
    for (std::size_t i = from + 1; i < to; ++i)
        crossings += (s[i - 1] < 0) != (s[i] < 0);
    return crossings / 2.0 / (double(to - from) / kRate);
}

// Two tracks at division 480. The conductor plays the first 480 ticks at
// 500000 us per quarter note and then slows to 1000000: the flute's A4 at tick
// 960 starts at 0.5 + 1.0 = 1.5 s. A set-tempo event in the second track, on
// the note's own tick, speeds up the gap after it, as the player applies every
// set-tempo event it sends: the note-off at tick 1200 comes at 1.5 + 0.125 s.
Bytes fluteSong()
{
    return smf(1, {
                      timed({{0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}}, {480, {0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40}}}),
                      timed({{0, {0xC0, 73}},
                             {0, {0xB0, 91, 0}},
                             {0, {0xB0, 93, 0}},
                             {960, {0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90}},
                             {960, {0x90, 69, 100}},
                             {1200, {0x80, 69, 64}}}),
                  });
}

// The interleaved samples of a 16-bit FLAC file, through the reference decoder.
std::vector<std::int16_t> flacSamples(const std::string& path)
{
    std::vector<std::int16_t> samples;
    FLAC__StreamDecoder* decoder = FLAC__stream_decoder_new();
    const auto write = [](const FLAC__StreamDecoder*, const FLAC__Frame* frame, const FLAC__int32* const channels[],
                          void* out) {
        auto& all = *static_cast<std::vector<std::int16_t>*>(out);
        for (unsigned i = 0; i < frame->header.blocksize; ++i)
            for (unsigned c = 0; c < frame->header.channels; ++c)
                all.push_back(std::int16_t(channels[c][i]));
        return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
    };
    const auto error = [](const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void* out) {
        static_cast<std::vector<std::int16_t>*>(out)->clear();
    };
    if (FLAC__stream_decoder_init_file(decoder, path.c_str(), write, nullptr, error, &samples) ==
        FLAC__STREAM_DECODER_INIT_STATUS_OK)
        FLAC__stream_decoder_process_until_end_of_stream(decoder);
    FLAC__stream_decoder_delete(decoder);
    return samples;
}

std::vector<std::int16_t> wavSamples(const Bytes& wav)
{
    std::vector<std::int16_t> samples;
    for (std::size_t at = 44; at + 1 < wav.size(); at += 2)
        samples.push_back(std::int16_t(le(wav, at, 2)));
    return samples;
}

std::string systemFont()
{
    return platform::findSoundFont({}, platform::systemSoundFonts()).string();
}

}  // namespace

TEST(RenderCommand, WritesTheSongAsAWavFileTimedLikeThePlayer)
{
    const std::string font = systemFont();
    if (font.empty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    TempDir dir("tools-render");
    const std::string in = dir.file("flute.mid"), out = dir.file("flute.wav");
    writeFile(in, fluteSong());
    RenderOptions options;
    options.soundFont = font;
    std::ostringstream report, err;
    ASSERT_EQ(runRenderCommand(in, out, options, report, err), 0) << err.str();
    EXPECT_EQ(err.str(), "");
    EXPECT_NE(report.str().find("Rendered 0:03.6 of audio to " + out), std::string::npos) << report.str();
    EXPECT_FALSE(std::filesystem::exists(out + ".part"));

    const Bytes wav = readBytes(out);
    ASSERT_GE(wav.size(), 44u);
    // The last event at 1.625 s, then the 2 s tail.
    const std::uint32_t frames = std::uint32_t(frameAt(1.625) + frameAt(2.0));
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(le(wav, 4, 4), wav.size() - 8);
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(le(wav, 16, 4), 16u);
    EXPECT_EQ(le(wav, 20, 2), 1u) << "PCM";
    EXPECT_EQ(le(wav, 22, 2), 2u) << "stereo";
    EXPECT_EQ(le(wav, 24, 4), std::uint32_t(kRate));
    EXPECT_EQ(le(wav, 28, 4), std::uint32_t(kRate * 4));
    EXPECT_EQ(le(wav, 32, 2), 4u);
    EXPECT_EQ(le(wav, 34, 2), 16u);
    EXPECT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
    EXPECT_EQ(le(wav, 40, 4), frames * 4);
    ASSERT_EQ(wav.size(), 44 + std::size_t(frames) * 4);

    const std::vector<std::int16_t> left = leftChannel(wav);
    const std::size_t noteOn = frameAt(1.5);
    EXPECT_LE(peak(left, 0, noteOn), 2) << "silence (dither at most) before the note";
    // The synth takes events at its 64-sample blocks; the flute's attack rises within a few ms.
    EXPECT_GT(peak(left, noteOn, noteOn + 64 + frameAt(0.01)), 16) << "the note starts on time";
    EXPECT_GT(peak(left, frameAt(1.55), frameAt(1.62)), 500) << "and sounds";
    EXPECT_NEAR(pitch(left, frameAt(1.54), frameAt(1.62)), 440.0, 440.0 * 0.04) << "A4";
}

TEST(RenderCommand, ReportsWhatFailsAndLeavesNoFile)
{
    TempDir dir("tools-render-fail");
    const std::string in = dir.file("flute.mid");
    writeFile(in, fluteSong());
    const auto render = [](const std::string& from, const std::string& to, const std::string& font,
                           std::string& error) {
        RenderOptions options;
        options.soundFont = font;
        std::ostringstream report, err;
        const int status = runRenderCommand(from, to, options, report, err);
        error = err.str();
        EXPECT_EQ(report.str(), "");
        EXPECT_FALSE(std::filesystem::exists(to));
        EXPECT_FALSE(std::filesystem::exists(to + ".part"));
        return status;
    };
    std::string error;
    EXPECT_EQ(render(dir.file("missing.mid"), dir.file("a.wav"), in, error), 1);
    EXPECT_NE(error.find("missing.mid"), std::string::npos) << error;

    EXPECT_EQ(render(in, dir.file("b.wav"), in, error), 1) << "a MIDI file is no SoundFont";
    EXPECT_NE(error.find(in + ": The SoundFont could not be loaded"), std::string::npos) << error;

    EXPECT_EQ(render(in, dir.file("c.wav"), dir.file("none.sf2"), error), 1);
    EXPECT_NE(error.find("none.sf2"), std::string::npos) << error;

    const std::string font = systemFont();
    if (font.empty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    EXPECT_EQ(render(in, dir.file("no-such-folder/d.wav"), font, error), 1);
    EXPECT_NE(error.find("Couldn't create file " + dir.file("no-such-folder/d.wav")), std::string::npos) << error;
}

TEST(RenderArguments, TakeTwoFilesAndAnOptionalSoundFont)
{
    std::string in, out, problem;
    RenderOptions options;
    ASSERT_TRUE(parseRenderArguments(std::vector<std::string>{"a.mid", "a.wav"}, in, out, options, problem));
    EXPECT_EQ(in, "a.mid");
    EXPECT_EQ(out, "a.wav");
    EXPECT_EQ(options.soundFont, "");
    ASSERT_TRUE(parseRenderArguments(std::vector<std::string>{"--soundfont", "gm.sf3", "b.mid", "b.wav"}, in, out,
                                     options, problem));
    EXPECT_EQ(options.soundFont, "gm.sf3");
    EXPECT_EQ(in, "b.mid");

    for (const std::vector<std::string>& bad : {std::vector<std::string>{"a.mid"},
                                                {"a.mid", "b.wav", "c"},
                                                {"a.mid", "b.wav", "--soundfont"},
                                                {"a.mid", "b.wav", "--tail", "3"}}) {
        problem.clear();
        EXPECT_FALSE(parseRenderArguments(bad, in, out, options, problem)) << ::testing::PrintToString(bad);
        EXPECT_NE(problem, "");
    }
}

TEST(RenderCommand, AFlacFileHoldsTheSamplesOfTheWavFile)
{
    const std::string font = systemFont();
    if (font.empty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    TempDir dir("tools-render-flac");
    const std::string in = dir.file("flute.mid");
    writeFile(in, fluteSong());
    RenderOptions options;
    options.soundFont = font;
    options.normalize = true;
    std::ostringstream report, err;
    ASSERT_EQ(runRenderCommand(in, dir.file("flute.wav"), options, report, err), 0) << err.str();
    ASSERT_EQ(runRenderCommand(in, dir.file("flute.FLAC"), options, report, err), 0) << err.str();

    const Bytes flac = readBytes(dir.file("flute.FLAC"));
    ASSERT_GE(flac.size(), 4u);
    EXPECT_EQ(std::string(flac.begin(), flac.begin() + 4), "fLaC");
    const std::vector<std::int16_t> wav = wavSamples(readBytes(dir.file("flute.wav")));
    EXPECT_EQ(wav.size(), std::size_t(frameAt(1.625) + frameAt(2.0)) * 2);
    EXPECT_TRUE(flacSamples(dir.file("flute.FLAC")) == wav);
    EXPECT_LT(flac.size(), wav.size()) << "and is smaller";
}

// The output is saved as the window saves its files: next to a user's files
// and links, over a protected file, and when the command is killed.
TEST(RenderCommand, SavesAsTheWindowSaves)
{
    const std::string font = systemFont();
    if (font.empty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    TempDir dir("tools-render-save");
    const std::string in = dir.file("flute.mid");
    writeFile(in, fluteSong());
    RenderOptions options;
    options.soundFont = font;
    const auto render = [&](const std::string& out, std::string& error) {
        std::ostringstream report, err;
        const int status = runRenderCommand(in, out, options, report, err);
        error = err.str();
        return status;
    };
    std::string error;

    // A user's own "OUT.part" stays, a link stays a link and its target takes the audio with its mode.
    std::filesystem::create_directory(dir.path() / "diary");
    writeFile(dir.file("diary/take.wav"), Bytes{'o', 'l', 'd'});
    ASSERT_EQ(chmod(dir.file("diary/take.wav").c_str(), 0600), 0);
    std::filesystem::create_symlink("diary/take.wav", dir.path() / "take.wav");
    writeFile(dir.file("take.wav.part"), Bytes{'m', 'i', 'n', 'e'});
    ASSERT_EQ(render(dir.file("take.wav"), error), 0) << error;
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "take.wav"));
    EXPECT_EQ(readBytes(dir.file("take.wav.part")), (Bytes{'m', 'i', 'n', 'e'}));
    const Bytes taken = readBytes(dir.file("diary/take.wav"));
    EXPECT_EQ(std::string(taken.begin(), taken.begin() + 4), "RIFF");
    struct stat s = {};
    ASSERT_EQ(stat(dir.file("diary/take.wav").c_str(), &s), 0);
    EXPECT_EQ(s.st_mode & 07777, 0600u);

    // A file its owner protected is refused and stays as it was.
    writeFile(dir.file("kept.flac"), Bytes{'k'});
    ASSERT_EQ(chmod(dir.file("kept.flac").c_str(), 0444), 0);
    EXPECT_EQ(render(dir.file("kept.flac"), error), 1);
    EXPECT_NE(error.find("Couldn't write file " + dir.file("kept.flac") + ": the file is read-only"), std::string::npos)
        << error;
    EXPECT_EQ(readBytes(dir.file("kept.flac")), Bytes{'k'});

    // A signal during a save removes the temporary file and ends the command by that signal.
    for (const int signal : {SIGTERM, SIGINT}) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            removeSavesOnSignal();
            SafeSave save(dir.file("killed.wav"));
            if (save.open() && save.write("RIFF", 4))
                kill(getpid(), signal);
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    }
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"diary", "flute.mid", "kept.flac", "take.wav", "take.wav.part"}));
}
