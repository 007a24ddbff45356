#include "platform/buffergrowth.h"

#include <algorithm>

namespace platform {

BufferGrowth::BufferGrowth(std::uint32_t startBytes, std::uint32_t stepBytes, std::uint32_t mostBytes)
    : start_(startBytes),
      bytes_(startBytes),
      step_(std::max<std::uint32_t>(stepBytes, 1)),
      most_(std::max(startBytes, mostBytes))
{}

bool BufferGrowth::underrun(std::int64_t nowMicros)
{
    calmKnown_ = true;
    calmSince_ = nowMicros;
    if (stalled_ && nowMicros - stallAt_ < kStallMicros)
        return false;
    const bool recurs = stalled_ && nowMicros - stallAt_ < kRecurMicros;
    stalled_ = true;
    stallAt_ = nowMicros;
    if (!recurs || bytes_ >= most_)
        return false;
    bytes_ = std::min(most_, bytes_ + step_);
    return true;
}

bool BufferGrowth::calm(std::int64_t nowMicros, bool songPlaying)
{
    if (!calmKnown_) {
        calmKnown_ = true;
        calmSince_ = nowMicros;
    }
    if (songPlaying || bytes_ <= start_ || nowMicros - calmSince_ < kCalmMicros)
        return false;
    // Half the excess in whole steps, one step at least.
    const std::uint32_t excess = bytes_ - start_;
    const std::uint32_t down = std::max(step_, excess / 2 / step_ * step_);
    bytes_ = down >= excess ? start_ : bytes_ - down;
    calmSince_ = nowMicros;
    return true;
}

}  // namespace platform
