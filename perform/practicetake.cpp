#include "perform/practicetake.h"

#include <algorithm>
#include <climits>

#include "mididata/eventcopy.h"
#include "mididata/song.h"
#include "mididata/track.h"
#include "midiout/practiceclock.h"
#include "perform/intonation.h"

void buildPracticeTake(const midiTrack& recording, const PracticeClock& clock, std::int64_t recordingStartMicros,
                       midiTrack& take)
{
    take.Clear();
    take.name = kPracticeTakeTrackName;
    auto* name = new trackNameEvent(0);
    name->setText(kPracticeTakeTrackName);
    name->creationIndex = 0;  // before whatever else lies on the first tick
    take.addEvent(name);
    take.durationForm = recording.durationForm;
    take.endTime = 0;
    for (const anyEvent* e : recording.items()) {
        // The recording's own tempo and name would change the song's tempo map and the take's name.
        if (!e || e->status == 0xFF)
            continue;
        const std::int64_t tick = clock.firstPassTickAt(recordingStartMicros + std::int64_t(e->time) * 1000);
        if (tick < 0 || tick > INT32_MAX)
            continue;
        take.addEvent(copyEventAt(*e, std::int32_t(tick)));
        take.endTime = std::max(take.endTime, std::int32_t(tick));
    }
    take.sort();
}

void buildPracticeTakeSong(const midiSong& song, const midiTrack& take, midiSong& file)
{
    file.format = 1;
    file.division = song.division;
    file.resetFlags = song.resetFlags;
    for (const midiTrack* t : song.tracks) {
        if (!t || (t->empty() && !file.tracks.empty()))
            continue;
        auto* copy = new midiTrack(&file, std::int32_t(file.tracks.size()), t->name);
        copy->durationForm = t->durationForm;
        copy->channels = t->channels;
        copy->endTime = t->endTime;
        for (anyEvent* e : t->items())
            if (e)
                copy->addEvent(e);
        file.tracks.push_back(copy);
    }
    auto* played = new midiTrack(&file, std::int32_t(file.tracks.size()), take.name);
    played->durationForm = take.durationForm;
    played->channels = take.channels;
    played->endTime = take.endTime;
    for (anyEvent* e : take.items())
        if (e)
            played->addEvent(e);
    file.tracks.push_back(played);
    file.conductor = file.tracks.front();
    file.trackCount = std::int16_t(file.tracks.size());
}

bool savePracticeTake(const midiSong& song, const midiTrack& take, const std::string& path)
{
    midiSong file;
    buildPracticeTakeSong(song, take, file);
    return file.saveToFile(path);
}
