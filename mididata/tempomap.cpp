#include "mididata/tempomap.h"

#include <algorithm>

#include "mididata/song.h"
#include "midispec/midivocabulary.h"

TempoMap::TempoMap(const midiSong& song) : division_(song.division)
{
    changes_.push_back({0, midi::kDefaultTempo, 0});
    if (song.tracks.empty())
        return;
    for (anyEvent* e : song.tracks.front()->items()) {
        if (!e || e->kind() != kKindTempo)
            continue;
        const std::int64_t tempo = std::min<std::int64_t>(static_cast<TempoEvent*>(e)->tempoValue(), INT32_MAX);
        const Change& last = changes_.back();
        const std::int64_t at = std::max<std::int64_t>(e->time, last.tick);
        const std::int64_t scaled = last.scaledBefore + (at - last.tick) * last.tempo;
        if (at == last.tick)
            changes_.back().tempo = tempo;
        else
            changes_.push_back({at, tempo, scaled});
    }
}

std::int64_t TempoMap::microsecondsAt(std::int64_t tick) const
{
    if (division_ <= 0)
        return 0;
    auto it = std::upper_bound(changes_.begin(), changes_.end(), tick,
                               [](std::int64_t t, const Change& c) { return t < c.tick; });
    const Change& c = it == changes_.begin() ? changes_.front() : *(it - 1);
    return (c.scaledBefore + (tick - c.tick) * c.tempo) / division_;
}
