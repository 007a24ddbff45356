#pragma once
// Where a practice run is, in the song's own ticks, some time after it
// started: real time becomes ticks of the play track through its (scaled)
// tempo events, and those become song ticks through the run's layout. The
// practice take and the guide notes on the surface both ask it.
#include <cstdint>
#include <vector>

#include "midiout/practicetrack.h"
#include "midispec/midivocabulary.h"

class midiTrack;

class PracticeClock {
public:
    PracticeClock() = default;
    // playTrack as built for the run (before or after the player expanded it),
    // the division of its song and the tempo the player started with.
    PracticeClock(const midiTrack& playTrack, std::uint16_t division, std::int32_t startTempo,
                  const PracticeLayout& layout);

    // The play track's tick micros after the run started.
    std::int64_t playTickAt(std::int64_t micros) const;
    // The song tick sounding then; -1 during the count-in and after the last pass.
    std::int64_t songTickAt(std::int64_t micros) const { return layout_.songTickAt(playTickAt(micros)); }
    struct PassTick {
        int pass = -1;          // 0 for the first pass (and a song without a loop); -1 after the last
        std::int64_t tick = 0;  // the song tick sounding in that pass
    };
    // Where the take lies micros after the run started: the count-in counts
    // as the start of the first pass.
    PassTick passAt(std::int64_t micros) const;
    const PracticeLayout& layout() const { return layout_; }

private:
    struct Segment {
        std::int64_t tick;
        std::int64_t scaled;  // the sum of ticks x tempo before the segment: division x its start in microseconds
        std::int64_t tempo;
    };
    std::vector<Segment> segments_{{0, 0, midi::kDefaultTempo}};
    std::int64_t division_ = 480;
    PracticeLayout layout_;
};
