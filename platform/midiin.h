#pragma once
// The program's MIDI input: a writable port "MIDI In" of the sequencer client
// "Orvelline" where the ALSA sequencer exists, and the input port "midi_in"
// of the JACK client "Orvelline" (or the name the server gives it when that
// one is taken) while a JACK server runs. Any source may be connected to
// these ports from outside; the input also lists the system's sources and
// connects one of them itself.
//
// Channel messages arrive on the libraries' own threads and wait, in order
// and whole, in one ring per port (platform/midiinring.h) until the user's
// thread drains them; wake tells that thread there is something to drain and
// must not block. System messages (clock, sysex) are not passed on.
// Everything but wake runs on the user's thread. Nothing throws: failures are
// status texts.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/midisource.h"

namespace platform {

class MidiInPort;

class MidiIn {
public:
    using Wake = MidiInWake;
    using Receiver = std::function<void(const std::uint8_t* bytes, std::size_t size)>;

    struct Options {
        std::filesystem::path sequencerDevice = "/dev/snd/seq";
        bool useAlsa = true;
        bool useJack = true;
        Wake wake;
    };

    explicit MidiIn(Options options);
    ~MidiIn();
    MidiIn(const MidiIn&) = delete;
    MidiIn& operator=(const MidiIn&) = delete;

    // Creates the ports that are not there yet, so a JACK server started since
    // the last call is found. Answers whether any port is open.
    bool open();
    void close();
    bool alsaOpen() const;
    bool jackOpen() const;
    // The full JACK name of the input port ("Orvelline:midi_in"), empty without JACK.
    std::string jackPortName() const;

    // The sources of the other clients that can be connected, ALSA's first.
    std::vector<MidiSource> sources();
    // Connects the source of that key after letting go of the one connected
    // before; an empty key connects none. False when it could not, and status says why.
    bool connect(const std::string& key);
    const std::string& connected() const { return connected_; }
    // One line for the user: what the input is connected to, or why not.
    std::string status() const;

    // Hands each waiting message to the receiver, port by port, in the order
    // they came; answers how many. A server that went away is closed here,
    // and what the user must be told of it waits in takeNotice.
    std::size_t drain(const Receiver& receive);
    // Messages lost because the user's thread had not drained in time.
    std::uint64_t dropped() const;
    std::string takeNotice();

private:
    Options options_;
    std::unique_ptr<MidiInPort> alsa_;
    std::unique_ptr<MidiInPort> jack_;
    std::string connected_;
    std::string problem_;
    std::string notice_;
    std::uint64_t droppedBefore_ = 0;

    MidiInPort* portFor(const std::string& key) const;
};

}  // namespace platform
