#pragma once
// The one exception type of the MIDI data core. Its message is the fixed text a
// user sees ("Couldn't find MIDI Header block", "Data may have been broken.", ...);
// the application's top-level handler shows it and the program goes on.
#include <stdexcept>
#include <string>

class MidiDataError : public std::runtime_error {
public:
    explicit MidiDataError(const std::string& message) : std::runtime_error(message) {}
};

// A file that could not be opened or read: the message names the file ("Cannot
// open file song.mid: No such file or directory"), reason is only the system's
// part, for a caller that names the file itself.
class MidiFileError : public MidiDataError {
public:
    MidiFileError(const std::string& message, const std::string& reason_) : MidiDataError(message), reason(reason_) {}
    std::string reason;
};
