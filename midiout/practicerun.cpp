#include "midiout/practicerun.h"

#include <cstdint>

#include "mididata/song.h"
#include "mididata/track.h"
#include "midiout/midigateway.h"
#include "midiout/playsong.h"
#include "midiout/practicetrack.h"

PracticeRun playPractice(MidiGateway& gateway, midiSong& song, midiTrack& playTrack, const PracticeChoices& choices,
                         const std::function<void()>& onSkip)
{
    PracticeRun run;
    std::int32_t startTempo = 0;
    if (!choices.any()) {
        startTempo = playStartTempo(song);
        run.skipped = playSong(gateway, song, playTrack, onSkip);
    } else {
        gateway.StopPlayback();
        run.skipped = buildPracticeTrack(song, playTrack, choices, onSkip);
        startTempo = practiceStartTempo(song, choices);
        if (!playTrack.empty()) {
            gateway.SetTempo(startTempo);
            gateway.PlayTrack(&playTrack);
        }
    }
    run.clock = PracticeClock(playTrack, song.division, startTempo, practiceLayout(song, choices));
    return run;
}
