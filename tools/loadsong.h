#pragma once
// Loading a file for a command: the reader's message goes to err as the user
// should see it, after the program and the file it is about, the way compilers
// and other command-line tools name them:
//   orvelline-midi: song.mid: Couldn't find MIDI Track block
#include <iosfwd>
#include <string>

class midiSong;

// The text with "orvelline-midi: " before each of its lines, without a line end.
std::string programLines(const std::string& text);

// "orvelline-midi: PATH: MESSAGE", without a line end.
std::string commandError(const std::string& path, const std::string& message);

// "-" is standard input, read to its end. A file that cannot be opened is said
// with the reason alone ("orvelline-midi: song.mid: No such file or directory"),
// and a song holding data bytes over 127 says so once.
bool loadSong(midiSong& song, const std::string& path, std::ostream& err);
