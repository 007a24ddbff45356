#include "perform/playedpitch.h"

#include <algorithm>
#include <array>
#include <deque>
#include <map>
#include <utility>

#include "mididata/event.h"
#include "mididata/track.h"
#include "midispec/midivocabulary.h"

namespace {

constexpr int kDefaultRangeSemitones = 2;
constexpr int kNoParameter = 127;

struct Control {
    std::int64_t tick;
    int channel;
    int controller;  // -1 for a pitch bend
    int value;
};

// The pitch-bend state of one channel.
struct ChannelBend {
    int bend = midi::kBendCentre;
    int parameterMsb = kNoParameter;
    int parameterLsb = kNoParameter;
    int rangeSemitones = kDefaultRangeSemitones;
    int rangeCents = 0;

    void apply(const Control& c)
    {
        const bool rangeSelected = parameterMsb == 0 && parameterLsb == 0;
        switch (c.controller) {
        case -1: bend = c.value; break;
        case 101: parameterMsb = c.value; break;
        case 100: parameterLsb = c.value; break;
        // Choosing a non-registered parameter deselects the registered one.
        case 99:
        case 98: parameterMsb = parameterLsb = kNoParameter; break;
        case 6:
            if (rangeSelected) {
                rangeSemitones = c.value;
                rangeCents = 0;
            }
            break;
        case 38:
            if (rangeSelected)
                rangeCents = c.value;
            break;
        default: break;
        }
    }

    double semitones() const
    {
        const double range = rangeSemitones + rangeCents / 100.0;
        return (bend - midi::kBendCentre) * range / midi::kBendCentre;
    }
};

std::int64_t lastTime(const midiTrack& track)
{
    std::int64_t last = track.endTime;
    for (const anyEvent* e : track.items())
        if (e)
            last = std::max<std::int64_t>(last, e->time);
    return last;
}

std::vector<Control> controlsOf(const midiTrack& track)
{
    std::vector<Control> controls;
    for (const anyEvent* e : track.items()) {
        if (!e)
            continue;
        if (e->kind() == kKindPitchBend)
            controls.push_back({e->time, e->channel(), -1, static_cast<const PitchBendEvent*>(e)->bend});
        else if (e->kind() == kKindControlChange) {
            const auto* cc = static_cast<const ControlChangeEvent*>(e);
            controls.push_back({e->time, e->channel(), cc->controller, cc->value});
        }
    }
    std::stable_sort(controls.begin(), controls.end(),
                     [](const Control& a, const Control& b) { return a.tick < b.tick; });
    return controls;
}

}  // namespace

std::vector<NoteSpan> noteSpansOf(const midiTrack& track)
{
    std::vector<NoteSpan> spans;
    // Notes waiting for their note-off, first started first ended, by channel and key.
    std::map<std::pair<int, int>, std::deque<std::size_t>> open;
    for (const anyEvent* e : track.items()) {
        if (!e)
            continue;
        const int kind = e->kind();
        if (kind != kKindNoteOn && kind != kKindNoteOff)
            continue;
        const auto* note = static_cast<const NoteOnEvent*>(e);
        const std::pair<int, int> slot{e->channel(), note->key};
        if (kind == kKindNoteOn) {
            spans.push_back({e->time, e->time, note->key, e->channel()});
            if (track.durationForm)
                spans.back().end = e->time + std::max<std::int32_t>(note->duration, 0);
            else
                open[slot].push_back(spans.size() - 1);
        } else if (!track.durationForm) {
            auto it = open.find(slot);
            if (it == open.end() || it->second.empty())
                continue;
            spans[it->second.front()].end = e->time;
            it->second.pop_front();
        }
    }
    const std::int64_t end = lastTime(track);
    for (auto& [slot, waiting] : open)
        for (std::size_t i : waiting)
            spans[i].end = std::max(end, spans[i].start);
    std::stable_sort(spans.begin(), spans.end(),
                     [](const NoteSpan& a, const NoteSpan& b) { return a.start < b.start; });
    return spans;
}

std::vector<PitchStretch> playedPitch(const midiTrack& track,
                                      const std::function<std::int64_t(std::int64_t)>& microsecondsAt)
{
    std::vector<NoteSpan> spans = noteSpansOf(track);
    std::erase_if(spans, [](const NoteSpan& s) { return s.end <= s.start; });
    const std::vector<Control> controls = controlsOf(track);

    std::vector<std::int64_t> bounds;
    for (const NoteSpan& s : spans) {
        bounds.push_back(s.start);
        bounds.push_back(s.end);
    }
    for (const Control& c : controls)
        bounds.push_back(c.tick);
    std::sort(bounds.begin(), bounds.end());
    bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());

    std::array<ChannelBend, 16> channels{};
    // Indexes into spans, in the order the notes started. The note heard is the
    // last one still sounding, so an ended note is only dropped once it comes
    // to the top: each note is pushed and popped once, however many overlap.
    std::vector<std::size_t> sounding;
    std::vector<PitchStretch> stretches;
    std::size_t nextSpan = 0, nextControl = 0;
    for (std::size_t b = 0; b + 1 < bounds.size(); ++b) {
        const std::int64_t at = bounds[b];
        while (nextControl < controls.size() && controls[nextControl].tick <= at) {
            const Control& c = controls[nextControl++];
            channels[std::size_t(c.channel & 0x0F)].apply(c);
        }
        while (nextSpan < spans.size() && spans[nextSpan].start <= at)
            sounding.push_back(nextSpan++);
        while (!sounding.empty() && spans[sounding.back()].end <= at)
            sounding.pop_back();
        if (sounding.empty())
            continue;
        const NoteSpan& heard = spans[sounding.back()];
        const double pitch = heard.key + channels[std::size_t(heard.channel & 0x0F)].semitones();
        const std::int64_t from = microsecondsAt(at), to = microsecondsAt(bounds[b + 1]);
        if (to <= from)
            continue;
        if (!stretches.empty() && stretches.back().end == from && stretches.back().pitch == pitch)
            stretches.back().end = to;
        else
            stretches.push_back({from, to, pitch});
    }
    return stretches;
}
