#pragma once
// The one table of MIDI output backends and the device list built from it.
// The program uses the built-in synth and the ALSA sequencer ports; tests
// select the capture backend instead (platform/capture.h). The list reads:
// the default route (-1) first, then the devices of each selected backend in
// the order of selection; the default route leads to the first device of the
// first selected backend that has one.
#include "platform/backend.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct MidiBackendEntry {
    std::string_view id;
    std::string_view displayName;
    std::unique_ptr<MidiBackend> (*factory)();
};

std::span<const MidiBackendEntry> midiBackendTable();

// Chooses the backends by id, in list order. Returns false and changes
// nothing when an id is not in the table. Open devices stay open.
bool selectMidiBackends(std::initializer_list<std::string_view> ids);
// The program's choice: "synth", then "alsa".
void selectDefaultMidiBackends();
std::vector<std::string> selectedMidiBackends();

// The enumeration behind midiOutGetNumDevs, midiOutGetDevCaps and midiOutOpen.
std::uint32_t refreshMidiDevices();
MmResult listedDeviceCaps(int deviceId, MidiOutCaps& caps);
MmResult openListedDevice(int deviceId, std::unique_ptr<MidiPort>& port);

}  // namespace platform
