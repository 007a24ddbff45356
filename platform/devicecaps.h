#pragma once
// What a MIDI output device says of itself: its product name and the
// technology code the gateway shows.
#include <cstdint>
#include <string>

namespace platform {

// The identifier of the default route: the built-in synth unless a test has
// installed the capture backend.
inline constexpr int MidiMapper = -1;

// The codes a device reports; the gateway shows 1-5 and 8 by name.
enum class MidiTechnology : std::uint16_t {
    MidiPort = 1,
    Synth = 2,
    SquareWaveSynth = 3,
    FmSynth = 4,
    Mapper = 5,
    WavetableSynth = 6,
    SoftwareSynth = 7,
    JackMidi = 8,
};

struct MidiOutCaps {
    std::string productName;
    MidiTechnology technology = MidiTechnology::MidiPort;
};

}  // namespace platform
