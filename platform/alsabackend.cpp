#include "platform/alsabackend.h"

#include "platform/quietlibs.h"
#include "platform/shortmsg.h"

#include <RtMidi.h>

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

class AlsaPort : public MidiPort {
public:
    explicit AlsaPort(std::unique_ptr<AlsaClient> client) : client_(std::move(client)) {}

    MmResult sendShort(std::uint32_t packed) override
    {
        // Data bytes come here within 0-127 (platform/midiout.cpp limits them).
        const ShortMessage message = unpackShortMessage(packed);
        return send(message.bytes.data(), message.length);
    }

    MmResult sendLong(std::span<const std::uint8_t> bytes) override { return send(bytes.data(), bytes.size()); }

    MmResult close() override
    {
        client_->out().closePort();
        return MmOk;
    }

private:
    MmResult send(const std::uint8_t* bytes, std::size_t size)
    {
        client_->out().sendMessage(bytes, size);
        return client_->takeError() ? MidiSendFailed : MmOk;
    }

    std::unique_ptr<AlsaClient> client_;
};

class AlsaBackend : public MidiBackend {
public:
    explicit AlsaBackend(std::filesystem::path node) : node_(std::move(node)) {}

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
        auto client = std::make_unique<AlsaClient>(node_);
        if (!client->start())
            return MidiNoSequencer;
        const int index = client->findPort(device.key);
        if (index < 0)
            return MidiPortUnavailable;
        client->out().openPort(unsigned(index), kClientName);
        if (client->takeError() || !client->out().isPortOpen())
            return MidiPortUnavailable;
        port = std::make_unique<AlsaPort>(std::move(client));
        return MmOk;
    }

private:
    std::filesystem::path node_;
};

}  // namespace

std::unique_ptr<MidiBackend> makeAlsaBackend(const OutputOptions& options)
{
    return std::make_unique<AlsaBackend>(options.sequencerDevice);
}

}  // namespace platform
