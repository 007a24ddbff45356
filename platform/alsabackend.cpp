#include "platform/alsabackend.h"

#include "platform/alsaseqport.h"
#include "platform/quietlibs.h"

#include <RtMidi.h>

#include <cstdio>
#include <filesystem>

#include <unistd.h>

namespace platform {

namespace {

constexpr const char* kClientName = "Orvelline";

bool sequencerReachable(const std::filesystem::path& node)
{
    return access(node.c_str(), R_OK | W_OK) == 0;
}

// One client of the sequencer. RtMidi reports errors through a callback
// instead of throwing or printing once the callback is set.
class AlsaClient {
public:
    explicit AlsaClient(std::filesystem::path node) : node_(std::move(node)) {}
    AlsaClient(const AlsaClient&) = delete;
    AlsaClient& operator=(const AlsaClient&) = delete;

    bool start()
    {
        if (!sequencerReachable(node_))
            return false;
        silenceLibraryLogs();
        try {
            out_ = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, kClientName);
        } catch (const RtMidiError&) {
            return false;
        }
        out_->setErrorCallback(&AlsaClient::noteError, this);
        return true;
    }

    RtMidiOut& out() { return *out_; }

    // Whether an error came since the last call.
    bool takeError()
    {
        const bool failed = failed_;
        failed_ = false;
        return failed;
    }

    // The index of the port named so in the current list, or -1.
    int findPort(const std::string& name)
    {
        const unsigned count = out_->getPortCount();
        for (unsigned i = 0; i < count; ++i) {
            if (out_->getPortName(i) == name)
                return int(i);
        }
        return -1;
    }

private:
    static void noteError(RtMidiError::Type type, const std::string&, void* client)
    {
        if (type != RtMidiError::WARNING && type != RtMidiError::DEBUG_WARNING)
            static_cast<AlsaClient*>(client)->failed_ = true;
    }

    std::filesystem::path node_;
    bool failed_ = false;
    std::unique_ptr<RtMidiOut> out_;
};

// RtMidi's port names end in the client and port numbers ("... 128:0").
bool portAddress(const std::string& name, int& client, int& port)
{
    const std::size_t space = name.rfind(' ');
    const std::string address = name.substr(space == std::string::npos ? 0 : space + 1);
    return std::sscanf(address.c_str(), "%d:%d", &client, &port) == 2;
}

class AlsaBackend : public MidiBackend {
public:
    AlsaBackend(std::filesystem::path node, bool scheduleSongs) : node_(std::move(node)), schedule_(scheduleSongs) {}

    std::vector<DeviceInfo> listDevices() override
    {
        std::vector<DeviceInfo> devices;
        AlsaClient client(node_);
        if (!client.start())
            return devices;
        const unsigned count = client.out().getPortCount();
        for (unsigned i = 0; i < count; ++i) {
            // RtMidi's names carry the client and port numbers, so they are unique.
            std::string name = client.out().getPortName(i);
            if (!name.empty())
                devices.push_back({name, MidiTechnology::MidiPort, name});
        }
        return devices;
    }

    MmResult open(const DeviceInfo& device, std::unique_ptr<MidiPort>& port) override
    {
        AlsaClient client(node_);
        if (!client.start())
            return MidiNoSequencer;
        int clientNumber = 0, portNumber = 0;
        if (client.findPort(device.key) < 0 || !portAddress(device.key, clientNumber, portNumber))
            return MidiPortUnavailable;
        MmResult status = MmOk;
        port = openAlsaSeqPort(clientNumber, portNumber, schedule_, status);
        return status;
    }

private:
    std::filesystem::path node_;
    bool schedule_;
};

}  // namespace

std::unique_ptr<MidiBackend> makeAlsaBackend(const OutputOptions& options)
{
    return std::make_unique<AlsaBackend>(options.sequencerDevice, options.scheduleSongs);
}

}  // namespace platform
