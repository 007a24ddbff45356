#pragma once
// What one kind of MIDI output (the built-in synth, ALSA sequencer ports,
// JACK MIDI ports, the test capture) implements so that the registry can list and open its
// devices. Backends never throw; failures are status codes.
#include "platform/devicecaps.h"
#include "platform/status.h"
#include "platform/synthstatus.h"

#include <cstdint>
#include <memory>
#include <optional>
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

    // A song: its events come with their due instants (platform::nowMicros)
    // on a time line that starts at startMicros, in song order. A device
    // that keeps its own clock (the built-in synth) schedules them there;
    // any other sends each at once, when the player sends it at its time.
    // cancelSong drops what is scheduled and not yet played.
    virtual void beginSong(std::int64_t /*startMicros*/) {}
    virtual MmResult sendShortAt(std::uint32_t packed, std::int64_t /*dueMicros*/) { return sendShort(packed); }
    virtual MmResult sendLongAt(std::span<const std::uint8_t> bytes, std::int64_t /*dueMicros*/)
    {
        return sendLong(bytes);
    }
    virtual void cancelSong() {}
    // How long before its due instant a song's event may be sent. A device
    // that schedules a song in its own audio frames takes events early, so
    // that its audio clock may drift against the system's for the length of
    // a song without an event arriving after its frame was played.
    virtual std::int64_t songLookaheadMicros() const { return 0; }
    // Whether the device dropped the song it was given (the built-in synth's
    // sound server went away since the song began); the player then stops it.
    virtual bool songInterrupted() const { return false; }
    // Whether the device closed itself (its JACK server went away, which it
    // has said): it takes nothing more and only waits for close.
    virtual bool lost() const { return false; }
    // Returns once the device can sound (the built-in synth has its
    // SoundFont), or after timeoutMillis.
    virtual void waitUntilReady(int /*timeoutMillis*/) {}
    // How a built-in synth is doing; nothing from any other device.
    virtual std::optional<SynthOutputStatus> synthStatus() const { return std::nullopt; }
};

class MidiBackend {
public:
    virtual ~MidiBackend() = default;
    virtual std::vector<DeviceInfo> listDevices() = 0;
    virtual MmResult open(const DeviceInfo& device, std::unique_ptr<MidiPort>& port) = 0;
};

}  // namespace platform
