#pragma once
// "Play MIDI" for practice, started once: the play track reshaped by the
// choices goes to the player, and the run's clock is made from the very start
// tempo and layout the player was given, so the guide notes and the take
// agree with what sounds.
#include <cstddef>
#include <functional>

#include "midiout/practicechoices.h"
#include "midiout/practiceclock.h"

class MidiGateway;
class midiSong;
class midiTrack;

struct PracticeRun {
    std::size_t skipped = 0;  // the GS mode messages left out
    PracticeClock clock;
};

// Stops the player, builds the practice play track, sets the start tempo and
// plays it. With no choice made the song plays as playSong plays it.
PracticeRun playPractice(MidiGateway& gateway, midiSong& song, midiTrack& playTrack, const PracticeChoices& choices,
                         const std::function<void()>& onSkip = {});
