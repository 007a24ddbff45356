#pragma once
// "orvelline-midi text FILE": lists a Standard MIDI File as the program reads it,
// one heading line per track followed by the one-line text of each of its events.
#include <iosfwd>
#include <string>

// Writes the listing to out and returns 0; when the file cannot be read, writes
// the reader's message to err and returns 1.
int runTextCommand(const std::string& path, std::ostream& out, std::ostream& err);
