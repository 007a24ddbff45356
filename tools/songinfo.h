#pragma once
// "orvelline-midi info FILE": a summary a person reads at a glance. It does no
// more work than loading the file, so it also times the reader.
#include <iosfwd>
#include <string>

class midiSong;

void writeSongInfo(midiSong& song, std::ostream& out);
int runInfoCommand(const std::string& path, std::ostream& out, std::ostream& err);
