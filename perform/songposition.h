#pragma once
// Where a playing song is, for the window to show: bar and beat, the song's
// own time at that point (through its tempo map, whatever the practice tempo),
// and the loop's pass; and the check of a loop's bounds against the song.
#include <cstdint>
#include <string>
#include <vector>

class PracticeClock;
class midiSong;

struct SongPosition {
    bool inSong = false;    // false during the count-in and after the run
    std::int64_t bar = 0;   // from 1
    std::int64_t beat = 0;  // from 1
    std::int64_t micros = 0;
    int pass = 0;  // from 1 while looping, else 0
};

// The position micros after the run clock started.
SongPosition songPositionAt(const midiSong& song, const PracticeClock& clock, std::int64_t micros);

// "Bar 3:2  0:04.5", "Bar 3:2  0:04.5  pass 2", or "Count-in".
std::string songPositionText(const SongPosition& position);

// The song's bars: those that start before its end.
std::int64_t songBars(const midiSong& song);

// Empty when bars from to to may loop in song; else why not, with the
// song's bar count.
std::string loopProblem(const midiSong& song, int from, int to);

// "3:2": the bar and beat of a song tick.
std::string barBeatText(const midiSong& song, std::int64_t tick);

// The start of every bar (and the end of the last) in microseconds through the song's tempo map.
std::vector<std::int64_t> barStartMicros(const midiSong& song);
