#pragma once
// A JACK client of the tests' own that plays MIDI into the program's input:
// messages queued from the test's thread leave its output port "out" in the
// next process cycle, and the moment each left is kept (platform::nowMicros).
// For the private JACK server that scripts/private-audio.sh starts.
#include <jack/jack.h>
#include <jack/midiport.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include <unistd.h>

#include "platform/clock.h"
#include "platform/midiinring.h"

// Points this process's JACK clients at the test script's private server;
// false when it started none (the caller skips).
inline bool usePrivateJackServer()
{
    const char* server = std::getenv("ORV_TEST_JACK_SERVER");
    if (server == nullptr)
        return false;
    setenv("JACK_DEFAULT_SERVER", server, 1);
    return true;
}

// Starts a JACK server of the test's own with the dummy driver, for a test
// that stops it under a client, and points this process's clients at it; its
// process id (the caller stops it), or -1 when it could not start.
inline pid_t startOwnJackServer(const std::string& name)
{
    const pid_t server = fork();
    if (server == 0) {
        setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
        freopen("/dev/null", "w", stdout);
        freopen("/dev/null", "w", stderr);
        execlp("jackd", "jackd", "-n", name.c_str(), "-d", "dummy", "-r", "48000", "-p", "256", nullptr);
        _exit(127);
    }
    if (server > 0)
        setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
    return server;
}

class JackSender {
public:
    JackSender() = default;
    JackSender(const JackSender&) = delete;
    JackSender& operator=(const JackSender&) = delete;
    ~JackSender()
    {
        if (client_ != nullptr)
            jack_client_close(client_);
    }

    // False when no JACK server answers.
    bool start(const char* name = "orv-test-sender")
    {
        client_ = jack_client_open(name, JackNoStartServer, nullptr);
        if (client_ == nullptr)
            return false;
        jack_set_process_callback(client_, &JackSender::process, this);
        port_ = jack_port_register(client_, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        return port_ != nullptr && jack_activate(client_) == 0;
    }

    std::string portName() const { return jack_port_name(port_); }
    bool connectTo(const std::string& input) { return jack_connect(client_, portName().c_str(), input.c_str()) == 0; }

    void send(std::initializer_list<std::uint8_t> bytes)
    {
        platform::MidiInMessage message;
        for (std::uint8_t b : bytes)
            message.bytes[message.size++] = b;
        queue_.push(message);
    }

    // When the last message left the port; 0 before the first.
    std::int64_t lastSentMicros() const { return lastSent_.load(std::memory_order_acquire); }

private:
    static int process(jack_nframes_t frames, void* self)
    {
        auto* sender = static_cast<JackSender*>(self);
        void* buffer = jack_port_get_buffer(sender->port_, frames);
        jack_midi_clear_buffer(buffer);
        platform::MidiInMessage message;
        bool sent = false;
        while (sender->queue_.pop(message))
            sent = jack_midi_event_write(buffer, 0, message.bytes.data(), message.size) == 0 || sent;
        if (sent)
            sender->lastSent_.store(platform::nowMicros(), std::memory_order_release);
        return 0;
    }

    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
    platform::MidiInRing queue_;
    std::atomic<std::int64_t> lastSent_{0};
};
