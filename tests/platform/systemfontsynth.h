#pragma once
// The synth tests play through the system's General MIDI SoundFont; a machine
// without one skips them.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "platform/softsynth.h"
#include "platform/soundfont.h"

// An offline synth (rendered on demand, no audio driver) with the system's
// SoundFont loaded; null when none is installed. A synth that cannot be made
// or a font that does not load fails the test.
inline std::unique_ptr<platform::SoftSynth> offlineSynthWithSystemFont(double sampleRate)
{
    const std::filesystem::path font = platform::findSoundFont({}, platform::systemSoundFonts());
    if (font.empty())
        return nullptr;
    auto synth = platform::SoftSynth::create({sampleRate, true});
    if (!synth)
        ADD_FAILURE() << "no offline synth could be made";
    else if (synth->loadSoundFont(font) != platform::MmOk)
        ADD_FAILURE() << "the system's SoundFont " << font << " did not load";
    return synth;
}
