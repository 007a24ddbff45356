#pragma once
// A practice take: what was recorded during a practice run, moved onto the
// song's clock (tick 0 is the song's start, the song's tempo map counts), and
// the file that holds the song's tracks and the take as one more track, so any
// player plays the take with the band and the intonation report can read it.
#include <cstdint>
#include <string>

class PracticeClock;
class midiSong;
class midiTrack;

// Fills take (emptied first) with the events of recording, a track as the
// recorder builds it (one tick a millisecond from Rec.Start), each at the song
// tick it was played at. recordingStartMicros is Rec.Start's time after the
// run's start. What was played during the count-in lies at the song's start;
// what was played after the loop's first pass is left out, as the passes
// would lie on top of each other. The take is named kPracticeTakeTrackName.
void buildPracticeTake(const midiTrack& recording, const PracticeClock& clock, std::int64_t recordingStartMicros,
                       midiTrack& take);

// Fills file (a new song) with song's tracks (the empty ones left out) and
// take, as format 1.
void buildPracticeTakeSong(const midiSong& song, const midiTrack& take, midiSong& file);

// Writes buildPracticeTakeSong's song, whole or not at all; a failure is
// reported through the message sink and answers false.
bool savePracticeTake(const midiSong& song, const midiTrack& take, const std::string& path);
