#include "platform/midiout.h"

#include <gtest/gtest.h>

#include <set>

using namespace platform;

TEST(MidiErrorText, GivesEveryStatusCodeItsOwnText)
{
    const MmResult codes[] = {MidiBadDeviceId,         MidiInvalidHandle, MidiInvalidParameter, MidiNoSoundFont,
                              MidiSoundFontUnreadable, MidiNoAudio,       MidiSynthFailed,      MidiNoSequencer,
                              MidiPortUnavailable,     MidiSendFailed,    MidiNoJackServer};
    std::set<std::string> texts;
    for (MmResult code : codes) {
        const std::string text = midiOutGetErrorText(code);
        EXPECT_FALSE(text.empty()) << code;
        EXPECT_LE(text.size(), 255u) << "must fit the gateway's 256-character buffer: " << code;
        EXPECT_EQ(text.back(), '.') << code;
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), std::size(codes));
}

TEST(MidiErrorText, TellsTheUserHowToGetSound)
{
    EXPECT_EQ(midiOutGetErrorText(MidiNoSoundFont),
              "No SoundFont found: install fluid-soundfont-gm or put a .sf2 file in the program folder.");
    EXPECT_EQ(midiOutGetErrorText(MidiNoAudio), "No audio output could be opened (tried PulseAudio, ALSA, JACK).");
}

TEST(MidiErrorText, NamesAnUnknownCodeByNumber)
{
    const std::string text = midiOutGetErrorText(MmResult(12345));
    EXPECT_NE(text.find("12345"), std::string::npos) << text;
    EXPECT_NE(text, midiOutGetErrorText(MmResult(12346)));
}
