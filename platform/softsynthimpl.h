#pragma once
// The FluidSynth objects inside a SoftSynth, for the synth backend, which
// starts an audio driver on them. Only platform/ sources include this.
#include "platform/softsynth.h"

#include <fluidsynth.h>

namespace platform {

struct SoftSynth::Impl {
    Impl() = default;
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    ~Impl()
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
