#pragma once
// The line the device window lists for one output device: its product name,
// a blank and the name of its technology. Technologies without a name of
// their own (wavetable and software synths) leave the line ending in the blank.
#include <string>

#include "platform/midiout.h"

std::string technologyName(platform::MidiTechnology technology);
std::string deviceLine(const platform::MidiOutCaps& caps);
