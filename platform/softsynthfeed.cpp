#include "platform/softsynthfeed.h"

#include <algorithm>

namespace platform {

namespace {

// A period's worth of a dense song, many times over.
constexpr std::size_t kInitialSlots = 1024;
// Far more than a stalled audio thread could ever catch up with; beyond it
// the messages of a device whose audio has died are refused.
constexpr std::size_t kMaxPending = std::size_t(1) << 18;

}  // namespace

SoftSynthFeed::SoftSynthFeed(SoftSynth& synth, double sampleRate)
    : synth_(synth), clock_(sampleRate), ring_(kInitialSlots)
{
}

bool SoftSynthFeed::sendShort(std::uint32_t packed, std::int64_t sentMicros) noexcept
{
    return send(packed, {}, false, sentMicros);
}

bool SoftSynthFeed::sendLong(std::span<const std::uint8_t> bytes, std::int64_t sentMicros) noexcept
{
    return send(0, bytes, true, sentMicros);
}

bool SoftSynthFeed::send(std::uint32_t packed, std::span<const std::uint8_t> bytes, bool isLong,
                         std::int64_t sentMicros) noexcept
{
    try {
        std::lock_guard lock(mutex_);
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
        // Senders on different threads may stamp out of order; the queue's order wins.
        slot.micros = lastMicros_ = std::max(sentMicros, lastMicros_);
        slot.packed = packed;
        slot.isLong = isLong;
        ++count_;
        return true;
    } catch (...) {
        return false;
    }
}

void SoftSynthFeed::renderPeriod(int frames, std::int64_t requestMicros, BlockRenderer& renderer)
{
    clock_.startPeriod(requestMicros, frames);
    for (int offset = 0; offset < frames; offset += kBlockFrames) {
        const int length = std::min(kBlockFrames, frames - offset);
        // The block takes what was sent one period before its middle, so
        // that every message lands in the block nearest its due time.
        applyMessagesBefore(clock_.instantOf(offset + length / 2.0 - frames));
        renderer.renderBlock(offset, length);
    }
}

void SoftSynthFeed::applyMessagesBefore(double micros)
{
    std::lock_guard lock(mutex_);
    while (count_ > 0) {
        Message& message = ring_[head_];
        if (double(message.micros) >= micros)
            break;
        if (message.isLong)
            synth_.longMessage(message.bytes);
        else
            synth_.shortMessage(message.packed);
        message.bytes.clear();
        head_ = (head_ + 1) % ring_.size();
        --count_;
    }
}

std::size_t SoftSynthFeed::pending() const
{
    std::lock_guard lock(mutex_);
    return count_;
}

}  // namespace platform
