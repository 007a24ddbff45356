#pragma once
// What one kind of MIDI output (the built-in synth, ALSA sequencer ports, the
// test capture) implements so that the registry can list and open its
// devices. Backends never throw; failures are status codes.
#include "platform/midiout.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace platform {

struct DeviceInfo {
    std::string productName;
    MidiTechnology technology = MidiTechnology::MidiPort;
    // Finds the device again at open time, whatever happened to the list since.
    std::string key;
};

// An open device. The caller serialises the calls on one port; close is
// called at most once with success, and the destructor releases whatever is
// still held.
class MidiPort {
public:
    virtual ~MidiPort() = default;
    // The message is a valid packed short message (its status byte has a length).
    virtual MmResult sendShort(std::uint32_t packed) = 0;
    // Returns once the device has taken every byte; the bytes are not empty.
    virtual MmResult sendLong(std::span<const std::uint8_t> bytes) = 0;
    virtual MmResult close() = 0;
};

class MidiBackend {
public:
    virtual ~MidiBackend() = default;
    virtual std::vector<DeviceInfo> listDevices() = 0;
    virtual MmResult open(const DeviceInfo& device, std::unique_ptr<MidiPort>& port) = 0;
};

}  // namespace platform
