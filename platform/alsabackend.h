#pragma once
// ALSA sequencer ports as MIDI output devices, through RtMidi. Every writable
// port of another client is a device with the technology "MIDI Port"; opening
// one connects a readable port of our client "Orvelline" to it, to which
// other programs can subscribe as well. Without a sequencer the list has no
// ports and nothing fails.
#include "platform/backend.h"

#include <filesystem>
#include <memory>

namespace platform {

std::unique_ptr<MidiBackend> makeAlsaBackend();

// The sequencer's device node, normally /dev/snd/seq. When it cannot be
// opened for reading and writing the backend does not try the sequencer at
// all, so the ALSA library has nothing to complain about.
void setSequencerDevice(const std::filesystem::path& node);
std::filesystem::path sequencerDevice();

}  // namespace platform
