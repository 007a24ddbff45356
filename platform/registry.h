#pragma once
// The one table of MIDI output backends and the device list built from it.
// The program uses the built-in synth, the ALSA sequencer ports and the JACK
// MIDI ports; tests
// select the capture backend instead (platform/capture.h). The list reads:
// the default route (-1) first, then the devices of each selected backend in
// the order of selection; the default route leads to the first device of the
// first selected backend that has one.
//
// Each selection makes its backends anew from one OutputOptions value
// (platform/outputoptions.h), which they keep until the next selection.
#include "platform/backend.h"
#include "platform/outputoptions.h"

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
    std::unique_ptr<MidiBackend> (*factory)(const OutputOptions& options);
};

std::span<const MidiBackendEntry> midiBackendTable();

// Chooses the backends by id, in list order, made with these options.
// Returns false and changes nothing when an id is not in the table. Open
// devices stay open, with the options they were opened with.
bool selectMidiBackends(std::initializer_list<std::string_view> ids, const OutputOptions& options = {});
// The program's choice: "synth", "alsa", then "jack". It is also the selection
// before any call, with default options.
void selectDefaultMidiBackends(const OutputOptions& options = {});
std::vector<std::string> selectedMidiBackends();

// The enumeration behind midiOutGetNumDevs, midiOutGetDevCaps and midiOutOpen.
std::uint32_t refreshMidiDevices();
MmResult listedDeviceCaps(int deviceId, MidiOutCaps& caps);
MmResult openListedDevice(int deviceId, std::unique_ptr<MidiPort>& port);

}  // namespace platform
