#pragma once
// A JACK client of the tests' and benchmarks' own that records the MIDI
// arriving at its input port "in", each message with the frame it arrived
// at (the cycle's first frame plus the event's offset), and counts the
// server's xruns meanwhile. For the private JACK server that
// scripts/private-audio.sh starts.
#include <jack/jack.h>
#include <jack/midiport.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "platform/jackmidiring.h"

class JackRecorder {
public:
    struct Arrival {
        std::int64_t frame = 0;
        std::uint32_t offset = 0;  // in its cycle
        std::vector<std::uint8_t> bytes;
    };

    JackRecorder() = default;
    JackRecorder(const JackRecorder&) = delete;
    JackRecorder& operator=(const JackRecorder&) = delete;
    ~JackRecorder()
    {
        if (client_ != nullptr)
            jack_client_close(client_);
    }

    // False when no JACK server answers.
    bool start(const char* name = "orv-test-recorder")
    {
        client_ = jack_client_open(name, JackNoStartServer, nullptr);
        if (client_ == nullptr)
            return false;
        jack_set_process_callback(client_, &JackRecorder::process, this);
        jack_set_xrun_callback(client_, &JackRecorder::xrun, this);
        port_ = jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
        return port_ != nullptr && jack_activate(client_) == 0;
    }

    std::string portName() const { return jack_port_name(port_); }
    bool connectedTo(const std::string& port) const { return jack_port_connected_to(port_, port.c_str()) != 0; }
    bool connected() const { return jack_port_connected(port_) > 0; }
    std::int64_t period() const { return jack_get_buffer_size(client_); }
    double rate() const { return jack_get_sample_rate(client_); }
    std::int64_t frameNow() const { return jack_frame_time(client_); }
    std::uint64_t xruns() const { return xruns_.load(); }

    // Waits until count messages have arrived in all, or patience ran out;
    // returns every arrival so far.
    const std::vector<Arrival>& waitFor(std::size_t count, std::chrono::milliseconds patience)
    {
        const auto until = std::chrono::steady_clock::now() + patience;
        while (true) {
            while (const platform::JackMidiRing::Record* r = ring_.front()) {
                arrivals_.push_back({r->frame, r->song, std::vector<std::uint8_t>(r->bytes(), r->bytes() + r->size)});
                ring_.pop();
            }
            if (arrivals_.size() >= count || std::chrono::steady_clock::now() >= until)
                return arrivals_;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

private:
    static int process(jack_nframes_t frames, void* self)
    {
        auto* recorder = static_cast<JackRecorder*>(self);
        void* buffer = jack_port_get_buffer(recorder->port_, frames);
        const std::int64_t first = jack_last_frame_time(recorder->client_);
        const jack_nframes_t count = jack_midi_get_event_count(buffer);
        for (jack_nframes_t i = 0; i < count; ++i) {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, buffer, i) == 0)
                recorder->ring_.push(first + event.time, event.time, {event.buffer, event.size});
        }
        return 0;
    }

    static int xrun(void* self)
    {
        ++static_cast<JackRecorder*>(self)->xruns_;
        return 0;
    }

    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
    platform::JackMidiRing ring_{std::size_t(1) << 22};
    std::vector<Arrival> arrivals_;
    std::atomic<std::uint64_t> xruns_{0};
};
