#include "midiout/playsong.h"

#include "mididata/song.h"
#include "midiout/midigateway.h"
#include "midiout/songclock.h"
#include "midispec/midivocabulary.h"

std::size_t buildPlayTrack(midiSong& song, midiTrack& playTrack, const std::function<void()>& onSkip)
{
    playTrack.song = &song;
    playTrack.Clear();
    std::size_t skipped = 0;
    for (const midiTrack* track : song.tracks) {
        if (!track)
            continue;
        for (anyEvent* e : track->items()) {
            if (!e)
                continue;
            if (e->kind() == kKindSysex && song.gsModeSet1 &&
                sameSysex(static_cast<const sysexEvent*>(e), song.gsModeSet1)) {
                ++skipped;
                if (onSkip)
                    onSkip();
                continue;
            }
            playTrack.addEvent(e);
        }
    }
    if (!playTrack.empty())
        playTrack.durationForm = true;
    return skipped;
}

std::size_t playSong(MidiGateway& gateway, midiSong& song, midiTrack& playTrack, const std::function<void()>& onSkip)
{
    gateway.StopPlayback();
    const std::size_t skipped = buildPlayTrack(song, playTrack, onSkip);
    if (!playTrack.empty()) {
        gateway.SetTempo(song.tempoAt(0));
        gateway.PlayTrack(&playTrack);
    }
    return skipped;
}

std::int32_t playStartTempo(midiSong& song)
{
    const std::int32_t tempo = song.tempoAt(0);
    return tempo >= 1 && tempo <= kMaxTempo ? tempo : midi::kDefaultTempo;
}
