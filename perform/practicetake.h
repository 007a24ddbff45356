#pragma once
// A practice take: what was recorded during a practice run, moved onto the
// song's clock (tick 0 is the song's start, the song's tempo map counts), one
// track for each pass of the loop, and the file that holds the song's tracks
// and the take's, so any player plays each pass with the band and the
// intonation report can read them.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class PracticeClock;
class midiSong;
class midiTrack;

struct PracticeTake {
    struct Pass {
        int number = 1;  // counted from 1, as the loop played them
        std::unique_ptr<midiTrack> track;
    };
    std::vector<Pass> passes;  // in the order played; one without a loop
    bool looped = false;
};

// "Practice take" without a loop, "Practice take, pass 2" for a loop's second pass.
std::string practiceTakeTrackName(int pass, bool looped);

// Fills take (emptied first) from recording, a track as the recorder builds it
// (one tick a millisecond from Rec.Start, note-offs rather than durations),
// each event at the song tick it was played at, in the track of its pass.
// recordingStartMicros is Rec.Start's time after the run's start. What was
// played during the count-in lies at the song's start. Each pass starts with
// the controllers, bend and program in force and the notes still sounding,
// and ends the notes sounding at the loop's end, so every pass plays (and is
// scored) on its own; a looped pass also holds the markers "Loop start" and
// "Loop end" at the loop's bounds.
void buildPracticeTake(const midiTrack& recording, const PracticeClock& clock, std::int64_t recordingStartMicros,
                       PracticeTake& take);

// Fills file (a new song) with song's tracks (the empty ones left out) and
// one track per pass, as format 1.
void buildPracticeTakeSong(const midiSong& song, const PracticeTake& take, midiSong& file);

// Writes buildPracticeTakeSong's song, whole or not at all; a failure is
// reported through the message sink and answers false.
bool savePracticeTake(const midiSong& song, const PracticeTake& take, const std::string& path);
