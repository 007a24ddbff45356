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
