#include "midiout/opensong.h"

#include "mididata/event.h"
#include "mididata/song.h"
#include "mididata/track.h"
#include "midiout/midigateway.h"

namespace {

// General MIDI keeps channel index 9 for percussion; the instrument never plays there.
constexpr int kPercussionChannel = 9;
// What a tone module is given after its resets, before anything else is sent.
constexpr std::uint32_t kResetWaitMillis = 50;

}  // namespace

std::vector<sysexEvent*> songResetMessages(const midiSong& song)
{
    const std::uint32_t flags = song.resetFlags;
    const std::uint32_t any = kResetGmSystemOn | kResetGsReset | kResetXgSystemOn;
    std::vector<sysexEvent*> resets;
    if ((flags & kResetGmSystemOn) || (flags & any) == 0)
        resets.push_back(song.gmSystemOn);
    if (flags & kResetGsReset)
        resets.push_back(song.gsReset);
    else if (flags & kResetXgSystemOn)
        resets.push_back(song.xgSystemOn);
    return resets;
}

void sendSongReset(MidiGateway& gateway, const midiSong& song,
                   const std::function<void(std::uint32_t milliseconds)>& pause)
{
    // With no device there is no module to reset, and nothing to report.
    if (!gateway.isOpen())
        return;
    const std::vector<sysexEvent*> resets = songResetMessages(song);
    for (std::size_t last = 0; last < resets.size(); ++last)
        for (std::size_t i = 0; i <= last; ++i)
            if (resets[i] != nullptr)
                gateway.SendSysEx(*resets[i]);
    pause(kResetWaitMillis);
}

int freeChannel(const midiSong& song)
{
    std::uint16_t used = 0;
    for (const midiTrack* track : song.tracks)
        if (track)
            used = std::uint16_t(used | track->channels);
    for (int channel = 0; channel < 16; ++channel)
        if (channel != kPercussionChannel && !(used & (1u << channel)))
            return channel;
    return -1;
}
