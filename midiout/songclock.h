#pragma once
// The song clock: where each group of a song falls in real time, counted from
// the song's first event. The ticks between groups, each multiplied by the
// tempo in force when the gap began, are summed in 64 bits and divided by the
// division only when a time is asked for, so no rounding accumulates however
// long the song is. The player aims its timers with it; tools that render or
// show a song the way the player plays it share it.
#include <cstdint>
#include <vector>

class anyEvent;
class midiTrack;

// The largest tempo a set-tempo event can hold (three bytes), in microseconds
// per quarter note. Within it the clock's sums stay far below 64 bits.
inline constexpr std::int32_t kMaxTempo = 0xFFFFFF;
// The division of a track that has no song.
inline constexpr std::uint16_t kDefaultDivision = 480;

class SongClock {
public:
    SongClock() = default;
    SongClock(std::uint16_t division, std::int32_t firstTick) : division_(division), tick_(firstTick) {}

    // Moves the clock on to tick, counting the ticks since its last position at
    // tempo, and answers the microseconds from the first tick. A tick earlier
    // than the clock's counts as no time (the group is due at once). With a
    // division of 0 no time passes at all.
    std::int64_t advance(std::int32_t tick, std::int64_t tempo);

private:
    std::uint16_t division_ = kDefaultDivision;
    std::int32_t tick_ = 0;
    std::int64_t scaled_ = 0;  // the sum of ticks x tempo so far
};

// The tempo a set-tempo event sets (500000 for one without a value, at most
// kMaxTempo), or 0 for any other event.
std::int32_t tempoSetBy(const anyEvent& event);

// The microseconds from the first event at which the player sends each event
// of a prepared (expanded and sorted) track, starting at startTempo; a tempo
// set in a group counts from the gap after it. Empty slots get the time of
// the group before them.
std::vector<std::int64_t> playerEventMicros(const midiTrack& track, std::int32_t startTempo);
