#pragma once
// How a sound server's stream sizes its buffer after underruns. One stall of
// the machine often costs several underruns within a moment: they count as
// one. A lone stall, such as a machine has once in a few minutes, costs
// nothing, so that a performance keeps its short latency; a stall that comes
// again within ten seconds shows that the buffer is too short for this
// machine, and adds a step. A load that passes leaves a grown buffer behind
// it, which a live instrument would pay for in latency for the rest of the
// session: after a minute without an underrun the buffer steps back towards
// where it started, half the way at a time (a step at least, never below the
// start), each further minute another step. While a song plays it keeps its
// size, and steps down once the song is over.
#include <cstdint>

namespace platform {

class BufferGrowth {
public:
    BufferGrowth(std::uint32_t startBytes, std::uint32_t stepBytes, std::uint32_t mostBytes);

    // An underrun at nowMicros (any steady clock); true when the buffer grew.
    bool underrun(std::int64_t nowMicros);
    // Asked now and then while the stream plays (nowMicros on the same
    // clock); true when the buffer shrank.
    bool calm(std::int64_t nowMicros, bool songPlaying);
    std::uint32_t bytes() const { return bytes_; }

    // Underruns within this long of the first of a stall's count as that stall.
    static constexpr std::int64_t kStallMicros = 1'000'000;
    // A stall within this long of the one before grows the buffer.
    static constexpr std::int64_t kRecurMicros = 10'000'000;
    // This long without an underrun, or since the last step down, shrinks it.
    static constexpr std::int64_t kCalmMicros = 60'000'000;

private:
    std::uint32_t start_;
    std::uint32_t bytes_;
    std::uint32_t step_;
    std::uint32_t most_;
    bool stalled_ = false;
    std::int64_t stallAt_ = 0;
    // Since when the buffer has had no underrun and kept its size; unknown
    // until the first question.
    bool calmKnown_ = false;
    std::int64_t calmSince_ = 0;
};

}  // namespace platform
