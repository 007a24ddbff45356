#pragma once
// The built-in synth as a MIDI output device, so that the program sounds on
// first start with nothing to set up. Opening it finds the SoundFont
// (platform/soundfont.h), starts the synthesizer and an audio driver with at
// most 12 ms of buffering, then loads the SoundFont; closing stops them.
#include "platform/backend.h"

#include <memory>
#include <string>
#include <vector>

namespace platform {

std::unique_ptr<MidiBackend> makeSynthBackend();

// The FluidSynth audio drivers tried in order when the synth opens; the
// first that opens wins. Normally "pulseaudio" (which PipeWire desktops
// serve), "alsa", "jack".
void setSynthAudioDrivers(std::vector<std::string> drivers);
std::vector<std::string> synthAudioDrivers();

}  // namespace platform
