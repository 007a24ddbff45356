#include "platform/jackmidiring.h"

#include <algorithm>
#include <cstring>

namespace platform {

JackMidiRing::JackMidiRing(std::size_t capacity) : storage_(std::max<std::size_t>(2, (capacity + kUnit - 1) / kUnit))
{
    buffer_ = std::span(reinterpret_cast<std::uint8_t*>(storage_.data()), storage_.size() * kUnit);
}

bool JackMidiRing::push(std::int64_t frame, std::uint32_t song, std::span<const std::uint8_t> bytes) noexcept
{
    const std::size_t capacity = buffer_.size();
    const std::size_t length = lengthOf(bytes.size());
    const std::size_t head = head_.load(std::memory_order_relaxed);
    const std::size_t used = head - tail_.load(std::memory_order_acquire);
    // A message never straddles the end: the rest of the block is skipped.
    const std::size_t untilEnd = capacity - head % capacity;
    const std::size_t skip = untilEnd < length ? untilEnd : 0;
    if (bytes.size() >= kWrap || length > capacity || used + skip + length > capacity)
        return false;
    if (skip != 0)
        at(head)->size = kWrap;
    Record* record = at(head + skip);
    record->frame = frame;
    record->song = song;
    record->size = std::uint32_t(bytes.size());
    if (!bytes.empty())
        std::memcpy(record + 1, bytes.data(), bytes.size());
    head_.store(head + skip + length, std::memory_order_release);
    return true;
}

const JackMidiRing::Record* JackMidiRing::front() noexcept
{
    const std::size_t head = head_.load(std::memory_order_acquire);
    std::size_t tail = tail_.load(std::memory_order_relaxed);
    if (tail == head)
        return nullptr;
    if (at(tail)->size == kWrap) {
        tail += buffer_.size() - tail % buffer_.size();
        tail_.store(tail, std::memory_order_release);
        if (tail == head)
            return nullptr;
    }
    return at(tail);
}

void JackMidiRing::pop() noexcept
{
    const std::size_t tail = tail_.load(std::memory_order_relaxed);
    tail_.store(tail + lengthOf(at(tail)->size), std::memory_order_release);
}

}  // namespace platform
