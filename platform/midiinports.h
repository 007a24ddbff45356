#pragma once
// The two libraries behind platform::MidiIn: each port has its own thread,
// filling its own ring. Internal to the platform layer.
#include "platform/midiinring.h"
#include "platform/midisource.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class MidiInPort {
public:
    virtual ~MidiInPort() = default;
    virtual std::vector<MidiSource> sources() = 0;
    // An empty answer is success; otherwise why it failed.
    virtual std::string connect(const std::string& key) = 0;
    virtual void disconnect(const std::string& key) = 0;
    // The port's own full name, for the status line.
    virtual std::string name() const = 0;
    // "the JACK server", "the ALSA sequencer": what went away when gone.
    virtual const char* server() const = 0;
    // The server ended the connection; the port only waits to be closed.
    bool gone() const { return gone_.load(std::memory_order_acquire); }

    MidiInRing ring;

protected:
    std::atomic<bool> gone_{false};
};

// Null with the reason in problem when the library or its server is not there.
std::unique_ptr<MidiInPort> openAlsaInput(const std::filesystem::path& node, const MidiInWake& wake,
                                          std::string& problem);
std::unique_ptr<MidiInPort> openJackInput(const MidiInWake& wake, std::string& problem);

}  // namespace platform
