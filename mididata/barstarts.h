#pragma once
// The start times of the bars of a song, from 0 up to and including the first
// bar start after the song's end. Stored as runs of equal bars (one per meter),
// so a song of two billion ticks in bars of one tick costs a handful of entries.
#include <cstddef>
#include <cstdint>
#include <vector>

class BarStarts {
public:
    void clear() { runs_.clear(); }
    // Room for that many runs, so that a long list is not copied while it grows.
    void reserve(std::size_t runs) { runs_.reserve(runs); }
    // Appends `count` bars of `length` ticks starting at `start`.
    void appendRun(std::int64_t start, std::int64_t length, std::int64_t count);
    std::int64_t count() const { return runs_.empty() ? 0 : runs_.back().firstIndex + runs_.back().count; }
    bool empty() const { return runs_.empty(); }
    std::int64_t at(std::int64_t index) const;
    // Index of the last bar start at or before time, -1 when there is none.
    std::int64_t lastAtOrBefore(std::int64_t time) const;

    // The equal bars around a time: bar i of the run starts at start + i * length
    // (i below count). Times from `from` up to `until` fall in this run; a time
    // before the first bar has a run of count 0. `hint` is kept by the caller
    // between lookups (start it at 0): times in order are then found at once.
    struct Span {
        std::int64_t from, until;
        std::int64_t start, length, count, firstIndex;
    };
    Span spanAt(std::int64_t time, std::size_t& hint) const;

private:
    struct Run {
        std::int64_t start;
        std::int64_t length;  // 0 for a run of one bar
        std::int64_t count;
        std::int64_t firstIndex;
    };
    std::vector<Run> runs_;
};
