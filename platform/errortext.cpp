#include "platform/errortext.h"

namespace platform {

std::string midiOutGetErrorText(MmResult status)
{
    switch (status) {
    case MmOk: return "The operation completed successfully.";
    case MidiBadDeviceId:
        return "That MIDI output device is not in the list (any more). Choose a device in the MIDI device window.";
    case MidiInvalidHandle: return "No MIDI output device is open. Choose a device in the MIDI device window.";
    case MidiInvalidParameter: return "The MIDI message was empty or not a valid message, so it was not sent.";
    case MidiNoSoundFont:
        return "No SoundFont found: install fluid-soundfont-gm or put a .sf2 file in the program folder.";
    case MidiSoundFontUnreadable:
        return "The SoundFont could not be loaded: it may be damaged or not a SoundFont. Choose another .sf2 or .sf3 "
               "file.";
    case MidiNoAudio: return "No audio output could be opened (tried PulseAudio, ALSA, JACK).";
    case MidiSynthFailed:
        return "The built-in synth could not be started. Close other programs to free memory and try again.";
    case MidiNoSequencer:
        return "The ALSA sequencer is not available: load it with \"sudo modprobe snd-seq\", or choose the built-in "
               "synth.";
    case MidiPortUnavailable:
        return "The MIDI port could not be opened; it may have been unplugged or be in use. Reopen the MIDI device "
               "window and choose again.";
    case MidiSendFailed:
        return "The MIDI device stopped taking messages; it may have been unplugged. Choose a device in the MIDI "
               "device window.";
    case MidiNoJackServer:
        return "The JACK server is not running (any more): start it again, or choose another device in the MIDI "
               "device window.";
    case TimerNoCanDo: return "The timer could not be set.";
    }
    return "Unknown MIDI error (code " + std::to_string(status) + ").";
}

}  // namespace platform
