#pragma once
// How an open built-in synth is doing, as its port tells it
// (midiOutSynthStatus in platform/midiout.h).
#include <cstdint>
#include <filesystem>
#include <string>

namespace platform {

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
// One line for the device window, such as "Built-in synth on PulseAudio:
// latency 14.7 ms, 0 underruns", or what keeps it silent.
std::string describeSynthStatus(const SynthOutputStatus& status);

}  // namespace platform
