#include "midiout/devicelist.h"

std::string technologyName(platform::MidiTechnology technology)
{
    switch (technology) {
    case platform::MidiTechnology::MidiPort: return "MIDI Port";
    case platform::MidiTechnology::Synth: return "Synth";
    case platform::MidiTechnology::SquareWaveSynth: return "SQ Synth";
    case platform::MidiTechnology::FmSynth: return "FM Synth";
    case platform::MidiTechnology::Mapper: return "MIDI Mapper";
    case platform::MidiTechnology::JackMidi: return "JACK MIDI";
    default: return "";
    }
}

std::string deviceLine(const platform::MidiOutCaps& caps)
{
    return caps.productName + " " + technologyName(caps.technology);
}
