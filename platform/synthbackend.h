#pragma once
// The built-in synth as a MIDI output device, so that the program sounds on
// first start with nothing to set up. Opening it finds the SoundFont
// (platform/soundfont.h), starts the synthesizer and an audio output, and
// returns at once: the SoundFont loads on a thread of its own, and what is
// played before it is ready stays silent (programs and controllers still
// take effect). Closing stops them.
//
// Live messages take effect one audio period after they are sent, in the
// synth's 64-frame block nearest that moment; a song's events are scheduled
// in the synth's own frames (platform/softsynthfeed.h). Through PulseAudio
// the whole latency is 18.7 ms until underruns make the stream grow, and
// comes back after a calm stretch (platform/softsynthpulse.h); a server that
// goes away is waited for, and the synth sounds again once it is back;
// through ALSA 16 ms of buffer plus the period;
// through JACK the server's period plus ours, the outputs connected to the
// system's playback ports. While nothing sounds, nothing is computed.
#include "platform/backend.h"
#include "platform/outputoptions.h"
#include "platform/synthstatus.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace platform {

// Sounds with options.soundFont through options.synthAudioDrivers, the
// first that opens.
std::unique_ptr<MidiBackend> makeSynthBackend(const OutputOptions& options);

}  // namespace platform
