#include "perform/practicetake.h"

#include <algorithm>
#include <climits>
#include <map>
#include <utility>

#include "mididata/event.h"
#include "mididata/eventcopy.h"
#include "mididata/song.h"
#include "mididata/track.h"
#include "midiout/practiceclock.h"
#include "perform/intonation.h"

namespace {

// What a pass needs at its start to sound as the take did there: the last
// controller, program, bend and pressure of each channel, every parameter
// message in order (a bend range is set through several), and the notes held.
class HeldState {
public:
    void note(const anyEvent& e)
    {
        const auto& n = static_cast<const NoteOnEvent&>(e);
        const std::pair<int, int> slot{e.channel(), n.key};
        if (e.kind() == kKindNoteOn)
            held_[slot] = &e;
        else
            held_.erase(slot);
    }
    void control(const anyEvent& e)
    {
        if (e.kind() == kKindControlChange) {
            const int controller = static_cast<const ControlChangeEvent&>(e).controller;
            if (controller == 6 || controller == 38 || (controller >= 96 && controller <= 101)) {
                parameters_.push_back(&e);
                return;
            }
            last_[{e.status, controller}] = &e;
        } else {
            last_[{e.status, -1}] = &e;
        }
    }
    // Copies into track at tick: the state first, then the held notes.
    void startPass(midiTrack& track, std::int64_t tick) const
    {
        for (const anyEvent* e : parameters_)
            track.addEvent(copyEventAt(*e, std::int32_t(tick)));
        for (const auto& [key, e] : last_)
            track.addEvent(copyEventAt(*e, std::int32_t(tick)));
        for (const auto& [slot, e] : held_)
            track.addEvent(copyEventAt(*e, std::int32_t(tick)));
    }
    void endPass(midiTrack& track, std::int64_t tick) const
    {
        for (const auto& [slot, e] : held_) {
            auto* off = static_cast<NoteOnEvent*>(copyEventAt(*e, std::int32_t(tick)));
            off->velocity = 0;
            track.addEvent(off);
        }
    }

private:
    std::vector<const anyEvent*> parameters_;
    std::map<std::pair<int, int>, const anyEvent*> last_;
    std::map<std::pair<int, int>, const anyEvent*> held_;
};

void addText(midiTrack& track, metaEvent* e, const std::string& text)
{
    e->setText(text);
    e->creationIndex = 0;  // before whatever else lies on its tick
    track.addEvent(e);
}

void copyTrack(midiSong& file, const midiTrack& from)
{
    auto* copy = file.addTrack(new midiTrack(&file, std::int32_t(file.tracks.size()), from.name));
    copy->durationForm = from.durationForm;
    copy->channels = from.channels;
    copy->endTime = from.endTime;
    for (anyEvent* e : from.items())
        if (e)
            copy->addEvent(e);
}

}  // namespace

std::string practiceTakeTrackName(int pass, bool looped)
{
    return looped ? std::string(kPracticeTakeTrackName) + ", pass " + std::to_string(pass) : kPracticeTakeTrackName;
}

void buildPracticeTake(const midiTrack& recording, const PracticeClock& clock, std::int64_t recordingStartMicros,
                       PracticeTake& take)
{
    const PracticeLayout& layout = clock.layout();
    take.passes.clear();
    take.looped = layout.loops();
    HeldState state;
    const auto openPass = [&](int index) {
        auto track = std::make_unique<midiTrack>(nullptr, 0, practiceTakeTrackName(index + 1, take.looped));
        track->durationForm = false;
        addText(*track, new trackNameEvent(0), track->name);
        if (take.looped) {
            addText(*track, new MarkerEvent(std::int32_t(layout.regionStart)), kLoopStartMarker);
            addText(*track, new MarkerEvent(std::int32_t(layout.regionEnd)), kLoopEndMarker);
        }
        state.startPass(*track, take.passes.empty() ? 0 : layout.regionStart);
        take.passes.push_back({index + 1, std::move(track)});
    };
    int current = -1;
    for (const anyEvent* e : recording.items()) {
        // The recording's own tempo and name would change the song's tempo map and the take's name.
        if (!e || e->status == 0xFF)
            continue;
        const PracticeClock::PassTick at = clock.passAt(recordingStartMicros + std::int64_t(e->time) * 1000);
        if (at.pass < 0 || at.tick < 0 || at.tick > INT32_MAX)
            continue;
        if (current < 0)
            current = at.pass - 1;  // Rec.Start may come in any pass
        while (current < at.pass) {
            if (current >= 0)
                state.endPass(*take.passes.back().track, layout.regionEnd);
            openPass(++current);
        }
        if (at.pass < current)
            continue;  // the clock never goes back; a stray event late in its list
        midiTrack& track = *take.passes.back().track;
        track.addEvent(copyEventAt(*e, std::int32_t(at.tick)));
        if (e->kind() == kKindNoteOn || e->kind() == kKindNoteOff)
            state.note(*e);
        else if (e->channel() >= 0)
            state.control(*e);
    }
    if (take.passes.empty())
        openPass(0);
    for (PracticeTake::Pass& pass : take.passes) {
        midiTrack& track = *pass.track;
        track.sort();
        track.endTime = 0;
        for (const anyEvent* e : track.items())
            track.endTime = std::max(track.endTime, e->time);
    }
}

void buildPracticeTakeSong(const midiSong& song, const PracticeTake& take, midiSong& file)
{
    file.format = 1;
    file.division = song.division;
    file.resetFlags = song.resetFlags;
    for (const midiTrack* t : song.tracks)
        if (t && (!t->empty() || file.tracks.empty()))
            copyTrack(file, *t);
    for (const PracticeTake::Pass& pass : take.passes)
        copyTrack(file, *pass.track);
    file.setConductor(file.tracks.front());
    file.trackCount = std::int16_t(file.tracks.size());
}

bool savePracticeTake(const midiSong& song, const PracticeTake& take, const std::string& path)
{
    midiSong file;
    buildPracticeTakeSong(song, take, file);
    return file.saveToFile(path);
}
