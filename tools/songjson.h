#pragma once
// "orvelline-midi json FILE": the song exactly as the reader leaves it, as one
// JSON document, for people and programs that want to look into a file.
#include <iosfwd>
#include <string>

class midiSong;

void writeSongJson(midiSong& song, std::ostream& out);
int runJsonCommand(const std::string& path, std::ostream& out, std::ostream& err);
