#pragma once
// The FluidSynth objects inside a SoftSynth (platform/softsynth.h), for the
// synth backend, which starts an audio driver on them. Only platform/ sources include this.
#include <fluidsynth.h>

#include <filesystem>

namespace platform {

struct SoftSynthObjects {
    SoftSynthObjects() = default;
    SoftSynthObjects(const SoftSynthObjects&) = delete;
    SoftSynthObjects& operator=(const SoftSynthObjects&) = delete;
    ~SoftSynthObjects()
    {
        if (synth)
            delete_fluid_synth(synth);
        if (settings)
            delete_fluid_settings(settings);
    }

    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    int soundFontId = -1;
    std::filesystem::path soundFont;
    double sampleRate = 0;
};

}  // namespace platform
