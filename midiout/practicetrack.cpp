#include "midiout/practicetrack.h"

#include <algorithm>
#include <climits>
#include <map>
#include <unordered_set>
#include <vector>

#include "mididata/eventcopy.h"
#include "mididata/song.h"
#include "mididata/tempomap.h"
#include "mididata/track.h"
#include "midiout/midigateway.h"
#include "midiout/playsong.h"

namespace {

constexpr std::int64_t kMaxPasses = 100;

// The song's tempo at a tick; song.tempo keeps what it held.
std::int32_t tempoAtTick(midiSong& song, std::int64_t tick)
{
    const std::int32_t kept = song.tempo;
    const std::int32_t tempo = song.tempoAt(std::int32_t(tick));
    song.tempo = kept;
    return tempo;
}

bool isNote(const anyEvent* e)
{
    return e->kind() == kKindNoteOn || e->kind() == kKindNoteOff;
}

// Controllers whose every message counts (parameter selection and data entry),
// so the chase before a loop keeps them all, in order.
bool isParameterController(int controller)
{
    return controller == 6 || controller == 38 || (controller >= 96 && controller <= 101);
}

void leaveOutPart(const midiSong& song, midiTrack& playTrack, int part)
{
    const midiTrack* track = nullptr;
    for (const midiTrack* t : song.tracks)
        if (t && t->number == part)
            track = t;
    if (!track)
        return;
    std::unordered_set<const anyEvent*> partEvents;
    for (const anyEvent* e : track->items())
        if (e && e->channel() >= 0)
            partEvents.insert(e);
    for (std::size_t i = 0; i < playTrack.size(); ++i)
        if (playTrack[i] && partEvents.count(playTrack[i]))
            playTrack.releaseAt(i);
    playTrack.pack();
}

// The events that set the state at the loop's start, in their order: the last
// of each controller, program, bend, pressure and tempo, every parameter message
// and system-exclusive message. Other meta events and notes are not chased.
std::vector<anyEvent*> chase(const std::vector<anyEvent*>& before)
{
    std::map<std::pair<int, int>, std::size_t> last;  // (status, controller) to index
    std::vector<bool> keep(before.size(), false);
    for (std::size_t i = 0; i < before.size(); ++i) {
        const anyEvent* e = before[i];
        const int kind = e->kind();
        if (kind == kKindSysex) {
            keep[i] = true;
        } else if (kind == kKindControlChange) {
            const int controller = static_cast<const ControlChangeEvent*>(e)->controller;
            if (isParameterController(controller))
                keep[i] = true;
            else
                last[{e->status, controller}] = i;
        } else if (kind == kKindProgramChange || kind == kKindPitchBend || kind == kKindChannelAfterTouch ||
                   kind == kKindTempo) {
            last[{e->status, -1}] = i;
        }
    }
    for (const auto& [key, i] : last)
        keep[i] = true;
    std::vector<anyEvent*> chased;
    for (std::size_t i = 0; i < before.size(); ++i)
        if (keep[i])
            chased.push_back(before[i]);
    return chased;
}

void addCopy(midiTrack& track, const anyEvent& e, std::int64_t time)
{
    track.addEvent(copyEventAt(e, std::int32_t(time)));
}

void addCountIn(midiSong& song, midiTrack& track, std::int64_t regionStart)
{
    const Meter meter = song.meterAt(std::int32_t(regionStart));
    for (std::int64_t beat = 0; beat < meter.beatsPerBar; ++beat) {
        auto* click = new NoteOnEvent(std::int32_t(beat * meter.ticksPerBeat), kClickChannel);
        click->key = beat == 0 ? kClickKeyFirstBeat : kClickKeyOtherBeats;
        click->velocity = beat == 0 ? 110 : 90;
        click->duration = std::int32_t(std::max<std::int64_t>(meter.ticksPerBeat / 2, 1));
        track.addEvent(click);
    }
}

// Lays the song's events out behind the count-in, once or once per pass of the loop.
void reshape(midiSong& song, midiTrack& playTrack, const PracticeLayout& layout)
{
    std::vector<anyEvent*> events;
    for (std::size_t i = 0; i < playTrack.size(); ++i)
        if (playTrack[i])
            events.push_back(playTrack.takeAt(i));
    playTrack.pack();

    std::vector<anyEvent*> before;
    for (anyEvent* e : events)
        if (e->time < layout.regionStart && !isNote(e))
            before.push_back(e);
    for (const anyEvent* e : chase(before))
        addCopy(playTrack, *e, 0);
    if (layout.countInTicks > 0)
        addCountIn(song, playTrack, layout.regionStart);

    const std::int64_t length = layout.regionEnd - layout.regionStart;
    const std::int32_t tempoAtStart = tempoAtTick(song, layout.regionStart);
    for (std::int64_t pass = 0; pass < layout.passes; ++pass) {
        const std::int64_t shift = layout.countInTicks + pass * length - layout.regionStart;
        if (pass > 0) {
            // Each pass starts at the tempo of the loop's start, whatever the last one ended with.
            auto* tempo = new TempoEvent(std::int32_t(layout.regionStart + shift), 0x51, std::uint32_t(tempoAtStart));
            tempo->creationIndex = 0;
            playTrack.addEvent(tempo);
        }
        for (const anyEvent* e : events) {
            if (e->time < layout.regionStart || e->time >= layout.regionEnd || e->time + shift > INT32_MAX)
                continue;
            anyEvent* copy = copyEventAt(*e, std::int32_t(e->time + shift));
            if (e->kind() == kKindNoteOn && layout.loops()) {
                // A note still sounding at the loop's end ends there.
                auto* note = static_cast<NoteOnEvent*>(copy);
                note->duration = std::int32_t(std::min<std::int64_t>(note->duration, layout.regionEnd - e->time));
            }
            playTrack.addEvent(copy);
        }
    }
    for (anyEvent* e : events)
        anyEvent::release(e);
}

void scaleTempos(midiTrack& playTrack, int percent)
{
    for (std::size_t i = 0; i < playTrack.size(); ++i) {
        anyEvent* e = playTrack[i];
        if (!e || e->kind() != kKindTempo)
            continue;
        auto* scaled = static_cast<TempoEvent*>(copyEventAt(*e, e->time));
        scaled->length = 3;
        scaled->setTempoValue(std::uint32_t(scaledTempo(static_cast<TempoEvent*>(e)->tempoValue(), percent)));
        playTrack.replaceAt(i, scaled);
    }
}

}  // namespace

std::int64_t PracticeLayout::songTickAt(std::int64_t playTick) const
{
    const std::int64_t t = playTick - countInTicks;
    if (t < 0)
        return -1;
    if (!loops())
        return regionStart + t;
    const std::int64_t length = regionEnd - regionStart;
    if (length <= 0 || t >= length * passes)
        return -1;
    return regionStart + t % length;
}

std::int64_t PracticeLayout::playTickOf(std::int64_t songTick) const
{
    if (songTick < regionStart || songTick >= regionEnd)
        return -1;
    return countInTicks + songTick - regionStart;
}

PracticeLayout practiceLayout(const midiSong& song, const PracticeChoices& choices)
{
    PracticeLayout layout;
    const std::int64_t bars = song.barStarts.count() - 1;  // the last start lies after the song's end
    if (choices.loops() && choices.loopFrom <= bars) {
        const std::int64_t lastBar = std::min<std::int64_t>(choices.loopTo, bars);
        layout.regionStart = song.barStarts.at(choices.loopFrom - 1);
        layout.regionEnd = song.barStarts.at(lastBar);
        if (layout.regionEnd <= layout.regionStart) {
            layout.regionStart = 0;
            layout.regionEnd = INT32_MAX;
        }
    }
    if (choices.countIn) {
        const Meter meter = song.meterAt(std::int32_t(layout.regionStart));
        layout.countInTicks = std::max<std::int64_t>(meter.ticksPerBeat * meter.beatsPerBar, 0);
    }
    if (layout.loops()) {
        const TempoMap map(song);
        const std::int64_t micros =
            std::max<std::int64_t>(map.microsecondsAt(layout.regionEnd) - map.microsecondsAt(layout.regionStart), 1);
        const std::int64_t length = layout.regionEnd - layout.regionStart;
        const std::int64_t fit = (INT32_MAX / 2 - layout.countInTicks) / length;
        const std::int64_t loopMicros = std::int64_t(std::max(choices.loopMinutes, 1)) * 60 * 1000000;
        layout.passes = std::clamp<std::int64_t>(std::min(loopMicros / micros, fit), 1, kMaxPasses);
    }
    return layout;
}

std::size_t buildPracticeTrack(midiSong& song, midiTrack& playTrack, const PracticeChoices& choices,
                               const std::function<void()>& onSkip)
{
    const std::size_t skipped = buildPlayTrack(song, playTrack, onSkip);
    if (!choices.any())
        return skipped;
    if (choices.part != PracticeChoices::kNoPart)
        leaveOutPart(song, playTrack, choices.part);
    const PracticeLayout layout = practiceLayout(song, choices);
    if (layout.countInTicks > 0 || layout.loops())
        reshape(song, playTrack, layout);
    if (choices.clampedTempoPercent() != 100)
        scaleTempos(playTrack, choices.clampedTempoPercent());
    if (!playTrack.empty())
        playTrack.durationForm = true;
    return skipped;
}

std::int32_t practiceStartTempo(midiSong& song, const PracticeChoices& choices)
{
    const PracticeLayout layout = practiceLayout(song, choices);
    return scaledTempo(tempoAtTick(song, layout.regionStart), choices.clampedTempoPercent());
}
