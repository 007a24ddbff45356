#pragma once
// Loading a file for a command: the reader's message goes to err as the user
// should see it, after the program and the file it is about, the way compilers
// and other command-line tools name them:
//   orvelline-midi: song.mid: Couldn't find MIDI Track block
#include <iosfwd>
#include <string>

class midiSong;

// "orvelline-midi: PATH: MESSAGE", without a line end.
std::string commandError(const std::string& path, const std::string& message);

bool loadSong(midiSong& song, const std::string& path, std::ostream& err);
