#pragma once
// What a track sounds like as one line of pitch over time: the notes it holds
// as start and end ticks, and from them, with the track's pitch bends and the
// bend range it sets (registered parameter 0 through controllers 101, 100, 6
// and 38; 2 semitones until it sets one), the pitch it sounds in each stretch
// of time. When notes overlap, the one started last is the one heard, as on a
// monophonic instrument. The intonation report compares this with a song's part.
#include <cstdint>
#include <functional>
#include <vector>

class midiTrack;

struct NoteSpan {
    std::int64_t start = 0;  // ticks
    std::int64_t end = 0;    // ticks, after start for a note that sounds at all
    int key = 0;
    int channel = 0;
};

// The notes of the track in the order they start (velocity-0 note-ons end notes,
// as do note-offs; durations are used when the track holds them). A note never
// ended lasts until the track's end time, or its start when that is earlier.
std::vector<NoteSpan> noteSpansOf(const midiTrack& track);

struct PitchStretch {
    std::int64_t start = 0;  // microseconds
    std::int64_t end = 0;
    double pitch = 0;  // in semitones, as a fractional note number
};

// The stretches of time during which the track sounds a note, in time order and
// not overlapping, each with its pitch. microsecondsAt turns the track's ticks
// into time.
std::vector<PitchStretch> playedPitch(const midiTrack& track,
                                      const std::function<std::int64_t(std::int64_t)>& microsecondsAt);
