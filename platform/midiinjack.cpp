// The JACK side of the MIDI input: one client with one MIDI input port, read
// in the server's process callback.
#include "platform/midiinports.h"
#include "platform/quietlibs.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <cerrno>
#include <cstring>

namespace platform {

namespace {

constexpr const char* kClientName = "Orvelline";
constexpr const char* kPortName = "midi_in";
constexpr std::string_view kPrefix = "jack:";

class JackInput : public MidiInPort {
public:
    explicit JackInput(MidiInWake wake) : wake_(std::move(wake)) {}

    ~JackInput() override
    {
        if (client_ != nullptr)
            jack_client_close(client_);
    }

    std::string start()
    {
        silenceLibraryLogs();
        jack_status_t status{};
        // Never start a server: without one there is simply no JACK input. The
        // built-in synth may hold the name already, so the server may rename us.
        client_ = jack_client_open(kClientName, JackNoStartServer, &status);
        if (client_ == nullptr)
            return "no JACK server runs";
        jack_set_process_callback(client_, &JackInput::process, this);
        jack_on_info_shutdown(client_, &JackInput::shutdown, this);
        port_ = jack_port_register(client_, kPortName, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput | JackPortIsTerminal, 0);
        if (port_ == nullptr)
            return "the JACK server refused the input port";
        if (jack_activate(client_) != 0)
            return "the JACK server did not activate the input";
        return {};
    }

    std::vector<MidiSource> sources() override
    {
        std::vector<MidiSource> found;
        const char** names = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput);
        if (names == nullptr)
            return found;
        for (const char** name = names; *name != nullptr; ++name) {
            jack_port_t* port = jack_port_by_name(client_, *name);
            if (port != nullptr && !jack_port_is_mine(client_, port))
                found.push_back({std::string(kPrefix) + *name, std::string(*name) + " (JACK)"});
        }
        jack_free(names);
        return found;
    }

    std::string connect(const std::string& key) override
    {
        const std::string source = key.substr(kPrefix.size());
        if (jack_port_by_name(client_, source.c_str()) == nullptr)
            return "The MIDI source " + source + " is not there.";
        const int result = jack_connect(client_, source.c_str(), jack_port_name(port_));
        if (result != 0 && result != EEXIST)
            return "The MIDI source " + source + " could not be connected.";
        return {};
    }

    void disconnect(const std::string& key) override
    {
        jack_disconnect(client_, key.substr(kPrefix.size()).c_str(), jack_port_name(port_));
    }

    std::string name() const override { return port_ != nullptr ? jack_port_name(port_) : kClientName; }
    const char* server() const override { return "the JACK server"; }

private:
    static int process(jack_nframes_t frames, void* self)
    {
        auto* input = static_cast<JackInput*>(self);
        void* buffer = jack_port_get_buffer(input->port_, frames);
        const jack_nframes_t count = jack_midi_get_event_count(buffer);
        bool queued = false;
        for (jack_nframes_t i = 0; i < count; ++i) {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, buffer, i) != 0 || event.size == 0)
                continue;
            const std::uint8_t length = channelMessageLength(event.buffer[0]);
            if (length == 0 || event.size < length)
                continue;
            MidiInMessage message;
            std::memcpy(message.bytes.data(), event.buffer, length);
            message.size = length;
            queued = input->ring.push(message) || queued;
        }
        if (queued && input->wake_)
            input->wake_();
        return 0;
    }

    static void shutdown(jack_status_t, const char*, void* self)
    {
        auto* input = static_cast<JackInput*>(self);
        input->gone_.store(true, std::memory_order_release);
        if (input->wake_)
            input->wake_();
    }

    MidiInWake wake_;
    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
};

}  // namespace

std::unique_ptr<MidiInPort> openJackInput(const MidiInWake& wake, std::string& problem)
{
    auto input = std::make_unique<JackInput>(wake);
    problem = input->start();
    if (!problem.empty())
        return nullptr;
    return input;
}

}  // namespace platform
