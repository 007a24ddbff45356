#pragma once
// Ticks to real time through a song's tempo map (the tempo events of its first
// track). Each time is computed from the start of the song in exact integer
// arithmetic, so nothing drifts however long the song is.
#include <cstdint>
#include <vector>

class midiSong;

class TempoMap {
public:
    explicit TempoMap(const midiSong& song);
    // Microseconds from the start of the song to tick (0 when the division is 0).
    int64_t microsecondsAt(int64_t tick) const;

private:
    struct Change {
        int64_t tick;
        int64_t tempo;          // microseconds per quarter note from here on
        int64_t scaledBefore;   // sum of ticks x tempo up to this change
    };
    std::vector<Change> changes_;
    int64_t division_;
};
