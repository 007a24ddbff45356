#pragma once
// ALSA sequencer ports as MIDI output devices, listed through RtMidi. Every
// writable port of another client is a device with the technology "MIDI
// Port"; opening one connects a readable port of our client "Orvelline" to it
// (platform/alsaseqport.h), to which other programs can subscribe as well.
// Without a sequencer the list has no ports and nothing fails.
#include "platform/backend.h"
#include "platform/outputoptions.h"

#include <memory>

namespace platform {

// Reaches the sequencer through options.sequencerDevice.
std::unique_ptr<MidiBackend> makeAlsaBackend(const OutputOptions& options);

}  // namespace platform
