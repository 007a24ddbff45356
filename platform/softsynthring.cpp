#include "platform/softsynthring.h"

namespace platform {

namespace {

// A period's worth of a dense song, many times over.
constexpr std::size_t kInitialSlots = 1024;
// Far more than a stalled audio thread could ever catch up with; beyond it
// the messages of a device whose audio has died are refused.
constexpr std::size_t kMaxPending = std::size_t(1) << 18;

}  // namespace

SoftSynthRing::SoftSynthRing() : ring_(kInitialSlots) {}

bool SoftSynthRing::push(std::int64_t micros, std::uint32_t packed, std::span<const std::uint8_t> bytes,
                         bool isLong) noexcept
{
    try {
        if (count_ == ring_.size()) {
            if (count_ >= kMaxPending)
                return false;
            std::vector<Message> larger(2 * ring_.size());
            for (std::size_t i = 0; i < count_; ++i)
                larger[i] = std::move(ring_[(head_ + i) % ring_.size()]);
            ring_.swap(larger);
            head_ = 0;
        }
        Message& slot = ring_[(head_ + count_) % ring_.size()];
        slot.bytes.assign(bytes.begin(), bytes.end());
        slot.micros = micros;
        slot.packed = packed;
        slot.isLong = isLong;
        ++count_;
        return true;
    } catch (...) {
        return false;
    }
}

void SoftSynthRing::pop()
{
    ring_[head_].bytes.clear();
    head_ = (head_ + 1) % ring_.size();
    --count_;
}

void SoftSynthRing::clear()
{
    while (count_ > 0)
        pop();
}

}  // namespace platform
