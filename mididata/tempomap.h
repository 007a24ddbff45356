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
    std::int64_t microsecondsAt(std::int64_t tick) const;

private:
    struct Change {
        std::int64_t tick;
        std::int64_t tempo;         // microseconds per quarter note from here on
        std::int64_t scaledBefore;  // sum of ticks x tempo up to this change
    };
    std::vector<Change> changes_;
    std::int64_t division_;
};
