#pragma once
// The built-in synth as a MIDI output device, so that the program sounds on
// first start with nothing to set up. Opening it finds the SoundFont
// (platform/soundfont.h), starts the synthesizer and an audio driver, then
// loads the SoundFont; closing stops them. A message takes effect one audio
// period after it is sent, in the synth's 64-frame block nearest that moment
// (platform/softsynthfeed.h), so a song keeps its timing to within half a
// block; with the driver's buffer that is at most 12 ms from send to sound.
#include "platform/backend.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace platform {

std::unique_ptr<MidiBackend> makeSynthBackend();

// The FluidSynth audio drivers tried in order when the synth opens; the
// first that opens wins. Normally "pulseaudio" (which PipeWire desktops
// serve), "alsa", "jack"; "file" writes the audio in real time into
// fluidsynth.wav in the current folder instead (platform/fileaudio.h).
void setSynthAudioDrivers(std::vector<std::string> drivers);
std::vector<std::string> synthAudioDrivers();

// What the open built-in synth plays with, for the program's About box; both
// empty while no synth is open.
struct SynthInUse {
    std::filesystem::path soundFont;
    std::string audioDriver;
};
SynthInUse synthInUse();

}  // namespace platform
