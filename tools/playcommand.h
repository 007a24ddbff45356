#pragma once
// "orvelline-midi play FILE [--device N]": plays a Standard MIDI File through
// a MIDI output device the way the program does: the reset messages the file
// asks for (as reading a file sends them), then the play track of "Play MIDI"
// through the song player, with the position shown while it plays. Stopping
// early, or the end of the song, silences every channel before the device closes.
#include <atomic>
#include <chrono>
#include <iosfwd>
#include <span>
#include <string>

struct PlayOptions {
    int device = -1;  // as "orvelline-midi devices" numbers them; -1 the default route
    bool showPosition = true;
    // After the last event, before the sound-off, so that the last notes ring out.
    std::chrono::milliseconds releaseTime{1500};
};

// "FILE [--device N]". False with problem set on a usage error.
bool parsePlayArguments(std::span<const std::string> args, std::string& file, PlayOptions& options,
                        std::string& problem);

// Plays until the song has ended or stop becomes true, whichever comes first.
// Returns 0 at the end of the song, 130 when stopped, 1 when the file cannot be
// read or the device cannot be opened (the reason goes to err, as do device
// errors during playback).
int runPlayCommand(const std::string& path, const PlayOptions& options, const std::atomic<bool>& stop,
                   std::ostream& out, std::ostream& err);

// A flag that Ctrl-C and SIGTERM set, the handlers installed on the first call.
// A second Ctrl-C ends the program at once, should stopping ever hang.
const std::atomic<bool>& stopOnInterrupt();
