#pragma once
// What the player chose for practising with a song: their own part (left out
// of the song and played by them), a bar of count-in clicks, a loop over some
// bars and a slower or faster tempo. The default value chooses nothing, and
// "Play MIDI" then plays the song exactly as it does without practice.
#include <cstdint>

struct PracticeChoices {
    static constexpr int kNoPart = -1;
    static constexpr int kMinTempoPercent = 50;
    static constexpr int kMaxTempoPercent = 150;

    int part = kNoPart;  // the number of the track that is "your part"
    bool countIn = false;
    // Bars counted from 1; the loop plays bars loopFrom to loopTo, both
    // included. No loop while loopFrom is 0 or loopTo is before it.
    int loopFrom = 0;
    int loopTo = 0;
    int tempoPercent = 100;
    // How long a loop goes on repeating, in song time (at most 100 passes).
    int loopMinutes = 30;

    bool loops() const { return loopFrom >= 1 && loopTo >= loopFrom; }
    bool reshapes() const { return countIn || loops(); }
    bool any() const { return part != kNoPart || reshapes() || tempoPercent != 100; }
    // The tempo percentage held within its limits.
    int clampedTempoPercent() const
    {
        return tempoPercent < kMinTempoPercent   ? kMinTempoPercent
               : tempoPercent > kMaxTempoPercent ? kMaxTempoPercent
                                                 : tempoPercent;
    }
};

// A tempo (microseconds per quarter note) played at percent of its speed.
inline std::int32_t scaledTempo(std::int64_t tempo, int percent)
{
    const std::int64_t scaled = (tempo * 100 + percent / 2) / percent;
    return std::int32_t(scaled < 1 ? 1 : scaled > 0xFFFFFF ? 0xFFFFFF : scaled);
}
