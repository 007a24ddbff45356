#pragma once
// "orvelline-midi text FILE [--times]": lists a Standard MIDI File as the
// program reads it, one heading line per track followed by the one-line text of
// each of its events. With --times each event's line begins with its place in
// the song, bar:beat:tick counted from 1 as the player shows it, and its time
// in seconds from the start through the song's tempo map:
//   001:01:000    0.000  Chn = 01 Note ON:Key 060[ C 4] Vel = 100 Dur = 0480
#include <iosfwd>
#include <span>
#include <string>

struct TextOptions {
    bool times = false;
};

// "FILE [--times]". False with problem set on a usage error.
bool parseTextArguments(std::span<const std::string> args, std::string& file, TextOptions& options,
                        std::string& problem);

// Writes the listing to out and returns 0; when the file cannot be read, writes
// the reader's message to err and returns 1.
int runTextCommand(const std::string& path, std::ostream& out, std::ostream& err, const TextOptions& options = {});
