#include "platform/alsabackend.h"
#include "platform/midiout.h"
#include "platform/registry.h"
#include "platform/shortmsg.h"
#include "platform/soundfont.h"
#include "platform/synthbackend.h"

#include <gtest/gtest.h>

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
        selectDefaultMidiBackends();
        setSequencerDevice("/nonexistent/snd/seq");
        folder = fs::temp_directory_path() / ("orv-synth-" + std::to_string(getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override
    {
        setSynthAudioDrivers({"pulseaudio", "alsa", "jack"});
        setSoundFont({});
        setSequencerDevice("/dev/snd/seq");
        fs::remove_all(folder);
    }

    fs::path folder;
};

}  // namespace

TEST_F(BuiltInSynth, TriesPulseAudioThenAlsaThenJack)
{
    EXPECT_EQ(synthAudioDrivers(), (std::vector<std::string>{"pulseaudio", "alsa", "jack"}));
}

TEST_F(BuiltInSynth, ReportsTheAudioErrorWhenNoOutputOpens)
{
    setSoundFont(folder / "any.sf2");
    for (const std::vector<std::string>& drivers :
         {std::vector<std::string>{"no-such-driver", "another-missing-one"}, std::vector<std::string>{}}) {
        setSynthAudioDrivers(drivers);
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
    setSoundFont(font);
    // FluidSynth's file driver stands in for a sound card; it writes into the current folder.
    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    setSynthAudioDrivers({"no-such-driver", "file"});

    MidiOutHandle handle = MidiOutHandle::Null;
    const MmResult opened = midiOutOpen(handle, MidiMapper);
    EXPECT_EQ(opened, MmOk) << midiOutGetErrorText(opened);
    EXPECT_EQ(midiOutLongMsg(handle, std::vector<std::uint8_t>{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}), MmOk);
    EXPECT_EQ(midiOutShortMsg(handle, packShortMessage(0xC0, 78)), MmOk);
    EXPECT_EQ(midiOutShortMsg(handle, packShortMessage(0x90, 69, 100)), MmOk);
    EXPECT_EQ(midiOutShortMsg(handle, packShortMessage(0x90, 69, 0)), MmOk);
    EXPECT_EQ(midiOutClose(handle), MmOk);
    EXPECT_EQ(midiOutShortMsg(handle, packShortMessage(0x90, 69, 100)), MidiInvalidHandle);
    fs::current_path(previous);
}

TEST_F(BuiltInSynth, ReportsAChosenSoundFontThatDoesNotLoad)
{
    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    setSynthAudioDrivers({"file"});
    setSoundFont(folder / "missing.sf2");
    MidiOutHandle handle = MidiOutHandle::Null;
    EXPECT_EQ(midiOutOpen(handle, 0), MidiSoundFontUnreadable);
    EXPECT_EQ(handle, MidiOutHandle::Null);
    fs::current_path(previous);
}
