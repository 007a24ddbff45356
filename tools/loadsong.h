#pragma once
// Loading a file for a command: the reader's message goes to err, as the user should see it.
#include <iosfwd>
#include <string>

class midiSong;

bool loadSong(midiSong& song, const std::string& path, std::ostream& err);
