#pragma once
// Status codes of the platform layer's MIDI and timer operations. 0 always
// means success; every MIDI code has one text, in plain words that tell the
// user what to do, which midiOutGetErrorText returns (platform/midiout.h).
#include <cstdint>

namespace platform {

enum MmResult : std::uint32_t {
    MmOk = 0,
    // No device has that identifier (the list changed, or an old profile).
    MidiBadDeviceId = 2,
    // The handle is null or belongs to a device that is closed.
    MidiInvalidHandle = 5,
    // The message was empty or its status byte cannot start a short message.
    MidiInvalidParameter = 11,
    // The built-in synth found no SoundFont anywhere it looks.
    MidiNoSoundFont = 64,
    // A SoundFont was found or chosen but could not be loaded.
    MidiSoundFontUnreadable = 65,
    // PulseAudio, ALSA and JACK all refused to open an audio output.
    MidiNoAudio = 66,
    // FluidSynth could not create its settings or its synthesizer.
    MidiSynthFailed = 67,
    // The ALSA sequencer cannot be reached.
    MidiNoSequencer = 68,
    // The ALSA port is gone or refused the connection.
    MidiPortUnavailable = 69,
    // An open device failed to pass a message on.
    MidiSendFailed = 70,
    // No JACK server answers (it stopped since the list was made).
    MidiNoJackServer = 71,
    // A timer request that cannot be met (delay or period out of range, no such timer).
    TimerNoCanDo = 97,
};

}  // namespace platform
