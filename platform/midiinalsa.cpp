// The ALSA side of the MIDI input: a sequencer client with one writable port,
// read by a thread of its own that waits on the sequencer and on a stop signal.
#include "platform/midiinports.h"
#include "platform/quietlibs.h"

#include <alsa/asoundlib.h>

#include <cerrno>
#include <thread>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr const char* kClientName = "Orvelline";
constexpr const char* kPortName = "MIDI In";
constexpr std::string_view kPrefix = "alsa:";

// The channel message an event stands for; size 0 for the rest.
MidiInMessage messageOf(const snd_seq_event_t& event)
{
    MidiInMessage m;
    const snd_seq_ev_note_t& note = event.data.note;
    const snd_seq_ev_ctrl_t& control = event.data.control;
    auto put = [&m](std::uint8_t status, int data1, int data2, std::uint8_t size) {
        m.bytes = {status, std::uint8_t(data1 & 0x7F), std::uint8_t(data2 & 0x7F)};
        m.size = size;
    };
    switch (event.type) {
    case SND_SEQ_EVENT_NOTEON: put(0x90 | (note.channel & 0x0F), note.note, note.velocity, 3); break;
    case SND_SEQ_EVENT_NOTEOFF: put(0x80 | (note.channel & 0x0F), note.note, note.velocity, 3); break;
    case SND_SEQ_EVENT_KEYPRESS: put(0xA0 | (note.channel & 0x0F), note.note, note.velocity, 3); break;
    case SND_SEQ_EVENT_CONTROLLER: put(0xB0 | (control.channel & 0x0F), int(control.param), control.value, 3); break;
    case SND_SEQ_EVENT_PGMCHANGE: put(0xC0 | (control.channel & 0x0F), control.value, 0, 2); break;
    case SND_SEQ_EVENT_CHANPRESS: put(0xD0 | (control.channel & 0x0F), control.value, 0, 2); break;
    case SND_SEQ_EVENT_PITCHBEND: {
        const int bend = control.value + 8192;
        put(0xE0 | (control.channel & 0x0F), bend, bend >> 7, 3);
        break;
    }
    default: break;
    }
    return m;
}

std::string keyOf(snd_seq_client_info_t* client, snd_seq_port_info_t* port)
{
    return std::string(kPrefix) + snd_seq_client_info_get_name(client) + ":" + snd_seq_port_info_get_name(port);
}

class AlsaInput : public MidiInPort {
public:
    explicit AlsaInput(MidiInWake wake) : wake_(std::move(wake)) {}

    ~AlsaInput() override
    {
        if (reader_.joinable()) {
            const std::uint64_t one = 1;
            [[maybe_unused]] const ssize_t written = write(stop_, &one, sizeof one);
            reader_.join();
        }
        if (stop_ >= 0)
            ::close(stop_);
        if (seq_ != nullptr)
            snd_seq_close(seq_);
    }

    std::string start(const std::filesystem::path& node)
    {
        if (access(node.c_str(), R_OK | W_OK) != 0)
            return "there is no ALSA sequencer (" + node.string() + ")";
        silenceLibraryLogs();
        if (snd_seq_open(&seq_, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0) {
            seq_ = nullptr;
            return "the ALSA sequencer did not open";
        }
        snd_seq_set_client_name(seq_, kClientName);
        port_ = snd_seq_create_simple_port(seq_, kPortName, SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
                                           SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
        stop_ = eventfd(0, EFD_CLOEXEC);
        if (port_ < 0 || stop_ < 0)
            return "the ALSA sequencer refused the input port";
        self_ = snd_seq_client_id(seq_);
        reader_ = std::thread([this] { read(); });
        return {};
    }

    std::vector<MidiSource> sources() override
    {
        std::vector<MidiSource> found;
        forEachSource([&](snd_seq_client_info_t* client, snd_seq_port_info_t* port) {
            found.push_back({keyOf(client, port), std::string(snd_seq_client_info_get_name(client)) + ": " +
                                                      snd_seq_port_info_get_name(port) + " (ALSA)"});
            return false;
        });
        return found;
    }

    std::string connect(const std::string& key) override
    {
        int result = -ENOENT;
        forEachSource([&](snd_seq_client_info_t* client, snd_seq_port_info_t* port) {
            if (keyOf(client, port) != key)
                return false;
            result =
                snd_seq_connect_from(seq_, port_, snd_seq_port_info_get_client(port), snd_seq_port_info_get_port(port));
            return true;
        });
        const std::string source = key.substr(kPrefix.size());
        if (result == -ENOENT)
            return "The MIDI source " + source + " is not there.";
        if (result < 0 && result != -EBUSY)
            return "The MIDI source " + source + " could not be connected: " + snd_strerror(result) + ".";
        return {};
    }

    void disconnect(const std::string& key) override
    {
        forEachSource([&](snd_seq_client_info_t* client, snd_seq_port_info_t* port) {
            if (keyOf(client, port) != key)
                return false;
            snd_seq_disconnect_from(seq_, port_, snd_seq_port_info_get_client(port), snd_seq_port_info_get_port(port));
            return true;
        });
    }

    std::string name() const override
    {
        return std::string(kClientName) + ":" + kPortName + " (" + std::to_string(self_) + ":" + std::to_string(port_) +
               ")";
    }
    const char* server() const override { return "the ALSA sequencer"; }

private:
    // The readable ports of the other clients, until visit answers true. The
    // program's own output client has the same name and is left out too, so
    // that MIDI thru cannot feed itself.
    template <typename Visit>
    void forEachSource(Visit visit)
    {
        snd_seq_client_info_t* client = nullptr;
        snd_seq_port_info_t* port = nullptr;
        snd_seq_client_info_alloca(&client);
        snd_seq_port_info_alloca(&port);
        snd_seq_client_info_set_client(client, -1);
        while (snd_seq_query_next_client(seq_, client) >= 0) {
            const int id = snd_seq_client_info_get_client(client);
            if (id == SND_SEQ_CLIENT_SYSTEM || id == self_ ||
                std::string_view(snd_seq_client_info_get_name(client)) == kClientName)
                continue;
            snd_seq_port_info_set_client(port, id);
            snd_seq_port_info_set_port(port, -1);
            while (snd_seq_query_next_port(seq_, port) >= 0) {
                const unsigned caps = snd_seq_port_info_get_capability(port);
                const unsigned wanted = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ;
                if ((caps & wanted) == wanted && (caps & SND_SEQ_PORT_CAP_NO_EXPORT) == 0 && visit(client, port))
                    return;
            }
        }
    }

    void read()
    {
        const int count = snd_seq_poll_descriptors_count(seq_, POLLIN);
        std::vector<pollfd> fds(std::size_t(count) + 1);
        snd_seq_poll_descriptors(seq_, fds.data(), unsigned(count), POLLIN);
        fds[std::size_t(count)] = {stop_, POLLIN, 0};
        for (;;) {
            if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR)
                break;
            if (fds[std::size_t(count)].revents != 0)
                return;
            for (int i = 0; i < count; ++i) {
                if (fds[std::size_t(i)].revents & (POLLERR | POLLHUP | POLLNVAL)) {
                    gone_.store(true, std::memory_order_release);
                    break;
                }
            }
            if (gone())
                break;
            bool queued = false;
            snd_seq_event_t* event = nullptr;
            int left = 0;
            while ((left = snd_seq_event_input(seq_, &event)) >= 0 || left == -ENOSPC) {
                if (left == -ENOSPC || event == nullptr)
                    continue;  // the kernel's queue overflowed; what it lost is gone
                const MidiInMessage message = messageOf(*event);
                if (message.size != 0)
                    queued = ring.push(message) || queued;
            }
            if (queued && wake_)
                wake_();
        }
        gone_.store(true, std::memory_order_release);
        if (wake_)
            wake_();
    }

    MidiInWake wake_;
    snd_seq_t* seq_ = nullptr;
    int port_ = -1;
    int self_ = -1;
    int stop_ = -1;
    std::thread reader_;
};

}  // namespace

std::unique_ptr<MidiInPort> openAlsaInput(const std::filesystem::path& node, const MidiInWake& wake,
                                          std::string& problem)
{
    auto input = std::make_unique<AlsaInput>(wake);
    problem = input->start(node);
    if (!problem.empty())
        return nullptr;
    return input;
}

}  // namespace platform
