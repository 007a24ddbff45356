#pragma once
// "Play MIDI" for practice: the song's play track (see playsong.h) reshaped by
// the practice choices. Your part's channel messages are left out (its meta
// events, such as tempo, stay); a count-in bar of clicks on the percussion
// channel comes before the song; a loop repeats its bars seamlessly, starting
// from the loop's first bar with the controllers, programs and tempo that hold
// there; tempo events are scaled by the tempo percentage (pitch unchanged).
// With no choice made the play track is exactly the one "Play MIDI" builds.
//
// Events that land at other times than in the song are copies owned by the
// play track; the song's events are never changed.
#include <cstddef>
#include <cstdint>
#include <functional>

#include "midiout/practicechoices.h"

class MidiGateway;
class midiSong;
class midiTrack;

// The percussion channel and the keys of the count-in clicks (high and low wood block).
inline constexpr int kClickChannel = 9;
inline constexpr int kClickKeyFirstBeat = 76;
inline constexpr int kClickKeyOtherBeats = 77;

// Where the song lies in a practice play track: the count-in fills the first
// countInTicks; the song's ticks regionStart up to regionEnd follow, passes times.
struct PracticeLayout {
    std::int64_t countInTicks = 0;
    std::int64_t regionStart = 0;
    std::int64_t regionEnd = INT32_MAX;  // INT32_MAX without a loop: up to the song's end
    std::int64_t passes = 1;

    bool loops() const { return regionEnd != INT32_MAX; }
    // The song tick that the play track plays at playTick; -1 during the count-in
    // and after the last pass of a loop.
    std::int64_t songTickAt(std::int64_t playTick) const;
    // The play tick of a song tick in the first pass (-1 outside the region).
    std::int64_t playTickOf(std::int64_t songTick) const;
};

// The layout the choices give for the song. A loop starting after the song's
// last bar is no loop; one ending after it ends with the last bar. A loop is
// repeated for the choices' loopMinutes of song time (at most 100 passes).
PracticeLayout practiceLayout(const midiSong& song, const PracticeChoices& choices);

// Builds playTrack as buildPlayTrack does and reshapes it by the choices.
// Returns the number of messages skipped.
std::size_t buildPracticeTrack(midiSong& song, midiTrack& playTrack, const PracticeChoices& choices,
                               const std::function<void()>& onSkip = {});

// The tempo the player starts a practice run with: the song's tempo where the
// run starts, scaled.
std::int32_t practiceStartTempo(midiSong& song, const PracticeChoices& choices);
