#include "platform/jackbackend.h"

#include "platform/clock.h"
#include "platform/jackmidiring.h"
#include "platform/quietlibs.h"
#include "platform/shortmsg.h"

#include "mididata/messagesink.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <string_view>
#include <thread>

namespace platform {

namespace {

constexpr const char* kClientName = "Orvelline";
constexpr const char* kPortName = "midi_out";
// Long enough for the server's clock to drift against the system's over a
// long song and for a busy timer thread; short enough for a small ring.
constexpr std::int64_t kLookaheadMicros = 250'000;
constexpr int kLeadPeriods = 2;
// How long the port waits on the server at most: for room in a full ring,
// for its first cycles, for a song's last events before it closes.
constexpr auto kRoomPatience = std::chrono::seconds(2);

// The program's own clients (its MIDI input, another output) carry its name,
// which the server may have numbered.
bool isOwnClient(std::string_view port)
{
    const std::string_view client = port.substr(0, port.find(':'));
    return client.rfind(kClientName, 0) == 0 && (client.size() == std::string_view(kClientName).size() ||
                                                 client[std::string_view(kClientName).size()] == '-');
}

jack_client_t* openClient()
{
    silenceLibraryLogs();
    return jack_client_open(kClientName, JackNoStartServer, nullptr);
}

class JackOutput : public MidiPort {
public:
    JackOutput(std::string target, bool scheduleSongs) : target_(std::move(target)), schedule_(scheduleSongs) {}

    ~JackOutput() override { release(); }

    MmResult start()
    {
        client_ = openClient();
        if (client_ == nullptr)
            return MidiNoJackServer;
        jack_set_process_callback(client_, &JackOutput::process, this);
        jack_on_info_shutdown(client_, &JackOutput::shutdown, this);
        port_ = jack_port_register(client_, kPortName, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        if (port_ == nullptr || jack_activate(client_) != 0)
            return MidiNoJackServer;
        const int connected = jack_connect(client_, jack_port_name(port_), target_.c_str());
        if (connected != 0 && connected != EEXIST)
            return MidiPortUnavailable;
        rate_ = double(jack_get_sample_rate(client_));
        // Until the server has run the new client and its connection in a
        // cycle, frames given out would be placed too late or not at all.
        const std::uint64_t seen = cycles_.load(std::memory_order_acquire);
        const auto giveUp = std::chrono::steady_clock::now() + kRoomPatience;
        while (cycles_.load(std::memory_order_acquire) < seen + 2 && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return lost() ? MidiNoJackServer : MmOk;
    }

    MmResult sendShort(std::uint32_t packed) override
    {
        const ShortMessage message = unpackShortMessage(packed);
        return queueLive({message.bytes.data(), message.length});
    }

    MmResult sendLong(std::span<const std::uint8_t> bytes) override { return queueLive(bytes); }

    void beginSong(std::int64_t startMicros) override
    {
        if (!schedule_ || lost())
            return;
        startMicros_ = startMicros;
        // The empty message marks where the song starts: in the first cycle
        // that meets it, so no event can be due before the callback knows it.
        const std::uint32_t song = song_.fetch_add(1, std::memory_order_release) + 1;
        pushSong(0, song, {});
    }

    MmResult sendShortAt(std::uint32_t packed, std::int64_t dueMicros) override
    {
        const ShortMessage message = unpackShortMessage(packed);
        return queueSong({message.bytes.data(), message.length}, dueMicros);
    }

    MmResult sendLongAt(std::span<const std::uint8_t> bytes, std::int64_t dueMicros) override
    {
        return queueSong(bytes, dueMicros);
    }

    void cancelSong() override { song_.fetch_add(1, std::memory_order_release); }
    std::int64_t songLookaheadMicros() const override { return schedule_ ? kLookaheadMicros : 0; }
    bool songInterrupted() const override { return lost(); }
    bool lost() const override { return lost_.load(std::memory_order_acquire); }

    // A song that ended on the system's clock may still have its last
    // events to come on the server's, which can run behind it: they go out
    // before the port closes, as they would on a device that kept playing.
    MmResult close() override
    {
        const auto giveUp = std::chrono::steady_clock::now() + kRoomPatience;
        while (!lost() && !songRing_.empty() && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        release();
        return MmOk;
    }

private:
    MmResult queueLive(std::span<const std::uint8_t> bytes)
    {
        if (lost())
            return MidiInvalidHandle;
        return live_.push(0, 0, bytes) ? MmOk : MidiSendFailed;
    }

    MmResult queueSong(std::span<const std::uint8_t> bytes, std::int64_t dueMicros)
    {
        if (!schedule_)
            return queueLive(bytes);
        if (lost())
            return MidiInvalidHandle;
        const std::int64_t frame = std::llround(double(dueMicros - startMicros_) * rate_ / 1e6);
        return pushSong(frame, song_.load(std::memory_order_relaxed), bytes);
    }

    // A full ring empties as its events fall due, within the lookahead.
    MmResult pushSong(std::int64_t frame, std::uint32_t song, std::span<const std::uint8_t> bytes)
    {
        const auto giveUp = std::chrono::steady_clock::now() + kRoomPatience;
        while (!lost()) {
            if (songRing_.push(frame, song, bytes))
                return MmOk;
            if (std::chrono::steady_clock::now() > giveUp)
                return MidiSendFailed;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return MidiInvalidHandle;
    }

    static int process(jack_nframes_t frames, void* self)
    {
        auto* output = static_cast<JackOutput*>(self);
        output->writeCycle(frames);
        output->cycles_.fetch_add(1, std::memory_order_release);
        return 0;
    }

    void writeCycle(jack_nframes_t frames)
    {
        void* buffer = jack_port_get_buffer(port_, frames);
        jack_midi_clear_buffer(buffer);
        while (const JackMidiRing::Record* record = live_.front()) {
            jack_midi_event_write(buffer, 0, record->bytes(), record->size);
            live_.pop();
        }
        // Offsets within a cycle must not go back; a late event goes out at once.
        const std::int64_t first = std::int64_t(jack_last_frame_time(client_));
        const std::uint32_t song = song_.load(std::memory_order_acquire);
        std::int64_t offset = 0;
        while (const JackMidiRing::Record* record = songRing_.front()) {
            if (record->song == song && record->size == 0) {
                songStartFrame_ = first + kLeadPeriods * std::int64_t(frames);
                startedSong_ = song;
            } else if (record->song == song && startedSong_ == song) {
                const std::int64_t frame = songStartFrame_ + record->frame;
                if (frame >= first + frames)
                    break;
                offset = std::max(offset, frame - first);
                jack_midi_event_write(buffer, jack_nframes_t(offset), record->bytes(), record->size);
            }
            songRing_.pop();
        }
    }

    static void shutdown(jack_status_t, const char*, void* self)
    {
        auto* output = static_cast<JackOutput*>(self);
        output->lost_.store(true, std::memory_order_release);
        reportMessage("The JACK server went away, so the JACK MIDI output " + output->target_ +
                      " is closed. Choose a device in the MIDI device window.");
    }

    void release()
    {
        if (client_ != nullptr)
            jack_client_close(client_);
        client_ = nullptr;
    }

    const std::string target_;
    const bool schedule_;
    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
    double rate_ = 48000;
    JackMidiRing live_{std::size_t(1) << 16};
    JackMidiRing songRing_;
    // Counts the songs begun and cancelled: the process callback drops what
    // belongs to an earlier one.
    std::atomic<std::uint32_t> song_{0};
    std::int64_t startMicros_ = 0;
    // The process callback's own: where the song it plays started.
    std::int64_t songStartFrame_ = 0;
    std::uint32_t startedSong_ = 0;
    std::atomic<bool> lost_{false};
    std::atomic<std::uint64_t> cycles_{0};
};

class JackBackend : public MidiBackend {
public:
    explicit JackBackend(bool enabled, bool scheduleSongs) : enabled_(enabled), schedule_(scheduleSongs) {}

    std::vector<DeviceInfo> listDevices() override
    {
        std::vector<DeviceInfo> devices;
        jack_client_t* client = enabled_ ? openClient() : nullptr;
        if (client == nullptr)
            return devices;
        if (const char** names = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput)) {
            for (const char** name = names; *name != nullptr; ++name) {
                if (!isOwnClient(*name))
                    devices.push_back({*name, MidiTechnology::JackMidi, *name});
            }
            jack_free(names);
        }
        jack_client_close(client);
        return devices;
    }

    MmResult open(const DeviceInfo& device, std::unique_ptr<MidiPort>& port) override
    {
        if (!enabled_)
            return MidiNoJackServer;
        auto output = std::make_unique<JackOutput>(device.key, schedule_);
        const MmResult status = output->start();
        if (status == MmOk)
            port = std::move(output);
        return status;
    }

private:
    bool enabled_;
    bool schedule_;
};

}  // namespace

std::unique_ptr<MidiBackend> makeJackBackend(const OutputOptions& options)
{
    return std::make_unique<JackBackend>(options.jackMidi, options.scheduleSongs);
}

}  // namespace platform
