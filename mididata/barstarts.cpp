#include "mididata/barstarts.h"

#include "mididata/nearsearch.h"

#include <algorithm>
#include <cstdint>

void BarStarts::appendRun(std::int64_t start, std::int64_t length, std::int64_t count)
{
    if (count <= 0)
        return;
    runs_.push_back({start, count == 1 ? 0 : length, count, this->count()});
}

std::int64_t BarStarts::at(std::int64_t index) const
{
    auto it = std::upper_bound(runs_.begin(), runs_.end(), index,
                               [](std::int64_t i, const Run& r) { return i < r.firstIndex; });
    if (it == runs_.begin())
        return 0;
    --it;
    return it->start + (index - it->firstIndex) * it->length;
}

std::int64_t BarStarts::lastAtOrBefore(std::int64_t time) const
{
    auto it =
        std::upper_bound(runs_.begin(), runs_.end(), time, [](std::int64_t t, const Run& r) { return t < r.start; });
    if (it == runs_.begin())
        return -1;
    --it;
    if (it->length == 0)
        return it->firstIndex;
    const std::int64_t within = std::min((time - it->start) / it->length, it->count - 1);
    return it->firstIndex + within;
}

BarStarts::Span BarStarts::spanAt(std::int64_t time, std::size_t& hint) const
{
    hint = upperBoundNear(runs_, time, hint, [](std::int64_t t, const Run& r) { return t < r.start; });
    if (hint == 0)
        return {INT64_MIN, runs_.empty() ? INT64_MAX : runs_.front().start, 0, 0, 0, -1};
    const std::int64_t until = hint == runs_.size() ? INT64_MAX : runs_[hint].start;
    const Run& r = runs_[hint - 1];
    return {r.start, until, r.start, r.length, r.count, r.firstIndex};
}
