#include "midiout/songclock.h"

#include <algorithm>

#include "mididata/event.h"
#include "mididata/song.h"
#include "mididata/track.h"
#include "midispec/midivocabulary.h"

namespace {

constexpr std::uint8_t kSetTempo = 0x51;

}  // namespace

std::int64_t SongClock::advance(std::int32_t tick, std::int64_t tempo)
{
    scaled_ += std::max<std::int64_t>(0, std::int64_t(tick) - tick_) * tempo;
    tick_ = std::max(tick_, tick);
    return division_ == 0 ? 0 : scaled_ / division_;
}

std::int32_t tempoSetBy(const anyEvent& event)
{
    if (event.status != 0xFF)
        return 0;
    const auto* meta = dynamic_cast<const metaEvent*>(&event);
    if (!meta || meta->metaType != kSetTempo)
        return 0;
    // Read without TempoEvent::tempoValue, which fills in missing data: the
    // timer thread must not change an event that the window thread may read.
    const std::uint32_t tempo = meta->numericValue();
    return std::int32_t(
        std::clamp<std::uint32_t>(tempo == 0 ? std::uint32_t(midi::kDefaultTempo) : tempo, 1, kMaxTempo));
}

std::vector<std::int64_t> playerEventMicros(const midiTrack& track, std::int32_t startTempo)
{
    std::vector<std::int64_t> times(track.size(), 0);
    std::size_t i = 0;
    while (i < track.size() && !track.at(i))
        ++i;
    if (i == track.size())
        return times;
    SongClock clock(track.song ? track.song->division : kDefaultDivision, track.at(i)->time);
    std::int64_t tempo = startTempo;
    std::int64_t at = 0;
    while (i < track.size()) {
        if (!track.at(i)) {
            times[i++] = at;
            continue;
        }
        const std::int32_t t0 = track.at(i)->time;
        at = clock.advance(t0, tempo);
        for (; i < track.size() && (!track.at(i) || track.at(i)->time == t0); ++i) {
            times[i] = at;
            const anyEvent* e = track.at(i);
            if (!e)
                continue;
            if (const std::int32_t t = tempoSetBy(*e); t > 0)
                tempo = t;
        }
    }
    return times;
}
