#pragma once
// The tracks of a song that can be "your part", and the voice the instrument
// takes to play one: the part's channel and the bank and program it sets there.
#include <cstdint>
#include <string>
#include <vector>

class midiSong;
class midiTrack;

struct PartChoice {
    int number = 0;  // the track's number, as the listings number it
    std::string name;
    std::uint16_t channels = 0;  // bit n for channel n
};

// The tracks that hold notes, in song order.
std::vector<PartChoice> partChoices(const midiSong& song);

// "3 Melody (ch 1)", "4 Track 4 (ch 2,3)": the menu entry of a part.
std::string partMenuText(const PartChoice& part);

struct PartVoice {
    int channel = 0;  // the lowest channel the part's notes use
    int program = 0;  // the last program set on that channel before the first note, else 0
    int bankMsb = 0;
    int bankLsb = 0;
};

// The voice of the track numbered part; channel -1 when no such track holds notes.
PartVoice partVoice(const midiSong& song, int part);
