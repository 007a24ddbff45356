#pragma once
// A queue of MIDI messages on their way to the audio thread, in the order
// they were queued. Only the senders grow it (under the feed's lock), so the
// audio thread, which only takes messages out, never allocates or frees memory.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace platform {

class SoftSynthRing {
public:
    struct Message {
        std::int64_t micros = 0;  // when it is due; what the instant means is the queue owner's
        std::uint32_t packed = 0;
        bool isLong = false;
        std::vector<std::uint8_t> bytes;  // keeps its capacity for the next long message in this slot
    };

    SoftSynthRing();

    // False when the queue is full (or memory ran out); the message is then lost.
    bool push(std::int64_t micros, std::uint32_t packed, std::span<const std::uint8_t> bytes, bool isLong) noexcept;
    bool empty() const { return count_ == 0; }
    std::size_t size() const { return count_; }
    Message& front() { return ring_[head_]; }
    void pop();
    void clear();

private:
    std::vector<Message> ring_;
    std::size_t head_ = 0;
    std::size_t count_ = 0;
};

}  // namespace platform
