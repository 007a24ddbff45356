#include "platform/buffergrowth.h"

#include <algorithm>

namespace platform {

BufferGrowth::BufferGrowth(std::uint32_t startBytes, std::uint32_t stepBytes, std::uint32_t mostBytes)
    : bytes_(startBytes), step_(stepBytes), most_(std::max(startBytes, mostBytes))
{}

bool BufferGrowth::underrun(std::int64_t nowMicros)
{
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

}  // namespace platform
