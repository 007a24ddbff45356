#include "platform/alsabackend.h"
#include "platform/midiout.h"
#include "platform/registry.h"
#include "platform/shortmsg.h"
#include "platform/soundfont.h"
#include "platform/synthbackend.h"
#include "testoptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>
#include <unistd.h>

using namespace platform;
namespace fs = std::filesystem;

// FluidSynth loads a whole SoundFont with OpenMP worker threads, which meet
// at barriers ThreadSanitizer cannot see; the memory they hand over is not
// raced for.
extern "C" const char* __tsan_default_suppressions()
{
    return "called_from_lib:libgomp.so\n";
}

namespace {

class BuiltInSynth : public ::testing::Test {
protected:
    void SetUp() override
    {
        selectDefaultMidiBackends(withoutSequencer());
        folder = fs::temp_directory_path() / ("orv-synth-" + std::to_string(getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override
    {
        selectDefaultMidiBackends();
        fs::remove_all(folder);
    }

    // The synth sounds with this font through these outputs; the "file" one,
    // the stand-in for a sound card, writes into this test's folder.
    void useSynth(const fs::path& font, std::vector<std::string> drivers)
    {
        OutputOptions options = withoutSequencer();
        options.soundFont = font;
        options.synthAudioDrivers = std::move(drivers);
        options.fileAudioOutput = folder / "synth.wav";
        selectDefaultMidiBackends(options);
    }

    fs::path folder;
};

// The frames of a 16-bit stereo WAV file, as the larger of |left| and |right|.
std::vector<int> wavLevels(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto word = [&](std::size_t at) {
        return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
               std::uint32_t(std::uint8_t(b[at + 2])) << 16 | std::uint32_t(std::uint8_t(b[at + 3])) << 24;
    };
    std::vector<int> levels;
    for (std::size_t at = 12; at + 8 <= b.size(); at += 8 + word(at + 4) + (word(at + 4) & 1)) {
        if (std::memcmp(b.data() + at, "data", 4) != 0)
            continue;
        for (std::size_t f = at + 8; f + 4 <= std::min(b.size(), at + 8 + word(at + 4)); f += 4)
            levels.push_back(
                std::max(std::abs(int(std::int16_t(word(f) & 0xFFFF))), std::abs(int(std::int16_t(word(f) >> 16)))));
    }
    return levels;
}

// The SoundFont loads after the open returns; what is sent before it is in stays silent.
bool waitForSoundFont(MidiOutHandle handle)
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < giveUp) {
        const std::optional<SynthOutputStatus> status = midiOutSynthStatus(handle);
        if (status && status->soundFont != SynthOutputStatus::SoundFont::Loading)
            return status->soundFont == SynthOutputStatus::SoundFont::Ready;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

}  // namespace

TEST_F(BuiltInSynth, TriesPulseAudioThenAlsaThenJack)
{
    EXPECT_EQ(OutputOptions{}.synthAudioDrivers, (std::vector<std::string>{"pulseaudio", "alsa", "jack"}));
}

TEST_F(BuiltInSynth, ReportsTheAudioErrorWhenNoOutputOpens)
{
    for (const std::vector<std::string>& drivers :
         {std::vector<std::string>{"no-such-driver", "another-missing-one"}, std::vector<std::string>{}}) {
        useSynth(folder / "any.sf2", drivers);
        for (int id : {MidiMapper, 0}) {
            MidiOutHandle handle = MidiOutHandle::Null;
            const MmResult status = midiOutOpen(handle, id);
            EXPECT_EQ(status, MidiNoAudio) << id;
            EXPECT_EQ(handle, MidiOutHandle::Null);
            EXPECT_EQ(midiOutGetErrorText(status), "No audio output could be opened (tried PulseAudio, ALSA, JACK).");
        }
    }
}

TEST_F(BuiltInSynth, PlaysThroughTheFirstAudioDriverThatOpens)
{
    const fs::path font = findSoundFont({}, systemSoundFonts());
    if (font.empty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    useSynth(font, {"no-such-driver", "file"});

    MidiOutHandle handle = MidiOutHandle::Null;
    const MmResult opened = midiOutOpen(handle, MidiMapper);
    EXPECT_EQ(opened, MmOk) << midiOutGetErrorText(opened);
    EXPECT_EQ(midiOutLongMsg(handle, std::vector<std::uint8_t>{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}), MmOk);
    EXPECT_EQ(midiOutShortMsg(handle, packShortMessage(0xC0, 78)), MmOk);
    EXPECT_EQ(midiOutShortMsg(handle, packShortMessage(0x90, 69, 100)), MmOk);
    EXPECT_EQ(midiOutShortMsg(handle, packShortMessage(0x90, 69, 0)), MmOk);
    EXPECT_EQ(midiOutClose(handle), MmOk);
    EXPECT_EQ(midiOutShortMsg(handle, packShortMessage(0x90, 69, 100)), MidiInvalidHandle);
}

TEST_F(BuiltInSynth, ReportsAChosenSoundFontThatDoesNotLoad)
{
    useSynth(folder / "missing.sf2", {"file"});
    MidiOutHandle handle = MidiOutHandle::Null;
    EXPECT_EQ(midiOutOpen(handle, 0), MidiSoundFontUnreadable);
    EXPECT_EQ(handle, MidiOutHandle::Null);
}

TEST_F(BuiltInSynth, FileDriverWritesWhatTheSynthPlaysAtTheWallClocksPace)
{
    const fs::path font = findSoundFont({}, systemSoundFonts());
    if (font.empty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    useSynth(font, {"file"});

    MidiOutHandle handle = MidiOutHandle::Null;
    ASSERT_EQ(midiOutOpen(handle, MidiMapper), MmOk);
    const std::optional<SynthOutputStatus> status = midiOutSynthStatus(handle);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(status->driver, "file");
    // The file starts with the first block rendered after the load, later than this.
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(waitForSoundFont(handle));
    EXPECT_EQ(midiOutShortMsg(handle, packShortMessage(0xC0, 78)), MmOk);
    EXPECT_EQ(midiOutShortMsg(handle, packShortMessage(0x90, 69, 100)), MmOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(midiOutClose(handle), MmOk);
    EXPECT_FALSE(midiOutSynthStatus(handle).has_value());
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    const std::vector<int> levels = wavLevels(folder / "synth.wav");
    const double seconds = double(levels.size()) / 48000;
    ASSERT_GT(seconds, 0.1);
    EXPECT_LE(seconds, elapsed + 0.003) << "never ahead of the wall clock by more than a period";
    EXPECT_GT(*std::max_element(levels.begin(), levels.end()), 1000) << "the whistle sounds";
}

TEST(SynthStatus, DescribesTheOutputItsLatencyAndItsUnderruns)
{
    using SoundFont = SynthOutputStatus::SoundFont;
    const std::pair<SynthOutputStatus, std::string> cases[] = {
        {{"pulseaudio", SoundFont::Ready, 14660, 0, {}}, "Built-in synth on PulseAudio: latency 14.7 ms, 0 underruns"},
        {{"pulseaudio", SoundFont::Ready, 22000, 1, {}}, "Built-in synth on PulseAudio: latency 22.0 ms, 1 underrun"},
        {{"jack", SoundFont::Ready, 8000, -1, {}}, "Built-in synth on JACK: latency 8.0 ms"},
        {{"alsa", SoundFont::Loading, 0, -1, {}}, "Built-in synth on ALSA: loading the SoundFont"},
        {{"file", SoundFont::Failed, 0, -1, {}}, "Built-in synth on a file: the SoundFont did not load"},
        // While the server is gone its last latency is not shown, whatever the SoundFont does.
        {{"pulseaudio", SoundFont::Ready, 17800, 2, {}, false, true},
         "Built-in synth on PulseAudio: no sound server, waiting for it"},
        {{"pulseaudio", SoundFont::Loading, 0, 0, {}, false, true},
         "Built-in synth on PulseAudio: no sound server, waiting for it"},
    };
    for (const auto& [status, line] : cases)
        EXPECT_EQ(describeSynthStatus(status), line);
}
