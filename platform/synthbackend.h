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

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace platform {

// Sounds with options.soundFont through options.synthAudioDrivers, the
// first that opens.
std::unique_ptr<MidiBackend> makeSynthBackend(const OutputOptions& options);

// How the open built-in synth is doing, for the device window.
struct SynthOutputStatus {
    std::string driver;  // the audio output that opened
    enum class SoundFont { Loading, Ready, Failed } soundFont = SoundFont::Loading;
    // From a message sent to its sound, as far as the output tells.
    std::int64_t latencyMicros = 0;
    // Underruns the sound server reported; -1 when the output cannot tell.
    int underruns = -1;
    std::filesystem::path soundFontFile;
    // The processors are kept from halting while the synth sounds.
    bool keepingProcessorsAwake = false;
    // The sound server went away, or has not come up yet: the synth is
    // silent until it answers.
    bool waitingForServer = false;
};
// Nothing while no built-in synth is open.
std::optional<SynthOutputStatus> builtInSynthStatus();
// One line for the device window, such as "Built-in synth on PulseAudio:
// latency 14.7 ms, 0 underruns", or what keeps it silent.
std::string describeSynthStatus(const SynthOutputStatus& status);

}  // namespace platform
