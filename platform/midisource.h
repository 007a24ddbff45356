#pragma once
// A MIDI source the program's input can be connected from, and how an input
// tells that messages wait (platform/midiin.h).
#include <functional>
#include <string>

namespace platform {

struct MidiSource {
    // "alsa:CLIENT:PORT" or "jack:CLIENT:PORT", by name, so it finds the same
    // source again after a restart.
    std::string key;
    std::string name;  // as a list shows it
};

// Called on the input's own thread when messages wait; it must not block.
using MidiInWake = std::function<void()>;

}  // namespace platform
