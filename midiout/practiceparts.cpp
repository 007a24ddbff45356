#include "midiout/practiceparts.h"

#include <algorithm>

#include "mididata/song.h"
#include "mididata/track.h"

namespace {

bool holdsNotes(const midiTrack& track)
{
    for (const anyEvent* e : track.items())
        if (e && e->kind() == kKindNoteOn)
            return true;
    return false;
}

}  // namespace

std::vector<PartChoice> partChoices(const midiSong& song)
{
    std::vector<PartChoice> parts;
    for (const midiTrack* t : song.tracks)
        if (t && holdsNotes(*t))
            parts.push_back({t->number, t->name, t->channels});
    return parts;
}

std::string partMenuText(const PartChoice& part)
{
    std::string channels;
    for (int n = 0; n < 16; ++n) {
        if (!(part.channels & (1u << n)))
            continue;
        if (!channels.empty())
            channels += ',';
        channels += std::to_string(n + 1);
    }
    return std::to_string(part.number) + ' ' + part.name + " (ch " + (channels.empty() ? "-" : channels) + ')';
}

PartVoice partVoice(const midiSong& song, int part)
{
    PartVoice voice;
    voice.channel = -1;
    const midiTrack* track = nullptr;
    for (const midiTrack* t : song.tracks)
        if (t && t->number == part)
            track = t;
    if (!track)
        return voice;
    for (const anyEvent* e : track->items())
        if (e && e->kind() == kKindNoteOn && (voice.channel < 0 || e->channel() < voice.channel))
            voice.channel = e->channel();
    if (voice.channel < 0)
        return voice;
    std::int32_t firstNote = INT32_MAX;
    for (const anyEvent* e : track->items())
        if (e && e->kind() == kKindNoteOn && e->channel() == voice.channel)
            firstNote = std::min(firstNote, e->time);
    // Programs and banks may come from any track (a format 0 file keeps them with
    // the channel); the latest at or before the part's first note counts.
    std::int32_t programAt = -1, msbAt = -1, lsbAt = -1;
    for (const midiTrack* t : song.tracks) {
        if (!t)
            continue;
        for (const anyEvent* e : t->items()) {
            if (!e || e->channel() != voice.channel || e->time > firstNote)
                continue;
            if (e->kind() == kKindProgramChange && e->time >= programAt) {
                voice.program = static_cast<const ProgramChangeEvent*>(e)->program;
                programAt = e->time;
            } else if (e->kind() == kKindControlChange) {
                const auto* cc = static_cast<const ControlChangeEvent*>(e);
                if (cc->controller == 0 && e->time >= msbAt) {
                    voice.bankMsb = cc->value;
                    msbAt = e->time;
                } else if (cc->controller == 32 && e->time >= lsbAt) {
                    voice.bankLsb = cc->value;
                    lsbAt = e->time;
                }
            }
        }
    }
    return voice;
}
