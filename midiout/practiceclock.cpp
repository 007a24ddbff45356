#include "midiout/practiceclock.h"

#include <algorithm>

#include "mididata/track.h"
#include "midiout/songclock.h"
#include "midispec/midivocabulary.h"

PracticeClock::PracticeClock(const midiTrack& playTrack, std::uint16_t division, std::int32_t startTempo,
                             const PracticeLayout& layout)
    : division_(division > 0 ? division : kDefaultDivision), layout_(layout)
{
    std::vector<std::pair<std::int64_t, std::int64_t>> changes;  // tick, tempo in the order the player meets them
    for (const anyEvent* e : playTrack.items())
        if (e && tempoSetBy(*e) > 0)
            changes.push_back({e->time, tempoSetBy(*e)});
    std::stable_sort(changes.begin(), changes.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    // Assigned as one element, not from a braced list: GCC 14 warns falsely about that list's bounds.
    segments_.assign(1, Segment{0, 0, startTempo > 0 ? startTempo : midi::kDefaultTempo});
    for (const auto& [tick, tempo] : changes) {
        Segment& last = segments_.back();
        if (tick == last.tick) {
            last.tempo = tempo;
            continue;
        }
        segments_.push_back({tick, last.scaled + (tick - last.tick) * last.tempo, tempo});
    }
}

std::int64_t PracticeClock::playTickAt(std::int64_t micros) const
{
    const std::int64_t scaled = micros * division_;
    auto it = std::upper_bound(segments_.begin(), segments_.end(), scaled,
                               [](std::int64_t m, const Segment& s) { return m < s.scaled; });
    const Segment& s = it == segments_.begin() ? segments_.front() : *(it - 1);
    return s.tick + (scaled - s.scaled) / s.tempo;
}

PracticeClock::PassTick PracticeClock::passAt(std::int64_t micros) const
{
    const std::int64_t t = playTickAt(micros) - layout_.countInTicks;
    if (t < 0)
        return {0, layout_.regionStart};
    if (!layout_.loops())
        return {0, layout_.regionStart + t};
    const std::int64_t length = layout_.regionEnd - layout_.regionStart;
    if (length <= 0 || t >= length * layout_.passes)
        return {};
    return {int(t / length), layout_.regionStart + t % length};
}
