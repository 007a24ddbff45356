#pragma once
// When a sound server's stream grows its buffer after underruns. One stall
// of the machine often costs several underruns within a moment: they count
// as one. A lone stall, such as a machine has once in a few minutes, costs
// nothing, so that a performance keeps its short latency; a stall that comes
// again within ten seconds shows that the buffer is too short for this
// machine, and adds a step. The buffer never shrinks.
#include <cstdint>

namespace platform {

class BufferGrowth {
public:
    BufferGrowth(std::uint32_t startBytes, std::uint32_t stepBytes, std::uint32_t mostBytes);

    // An underrun at nowMicros (any steady clock); true when the buffer grew.
    bool underrun(std::int64_t nowMicros);
    std::uint32_t bytes() const { return bytes_; }

    // Underruns within this long of the first of a stall's count as that stall.
    static constexpr std::int64_t kStallMicros = 1'000'000;
    // A stall within this long of the one before grows the buffer.
    static constexpr std::int64_t kRecurMicros = 10'000'000;

private:
    std::uint32_t bytes_;
    std::uint32_t step_;
    std::uint32_t most_;
    bool stalled_ = false;
    std::int64_t stallAt_ = 0;
};

}  // namespace platform
