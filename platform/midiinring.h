#pragma once
// The hand-over from a MIDI input's own thread (the JACK process callback, the
// sequencer's reader) to the thread that uses the messages: a fixed ring of
// whole channel messages with one writer and one reader, neither of which
// ever waits. A message that finds the ring full is dropped and counted,
// since the input thread must never stall on a busy window.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace platform {

struct MidiInMessage {
    std::array<std::uint8_t, 3> bytes{};
    std::uint8_t size = 0;
};

// The length of a channel message from its status byte; 0 for anything else
// (system messages, data bytes), which the input does not pass on.
constexpr std::uint8_t channelMessageLength(std::uint8_t status)
{
    switch (status & 0xF0) {
    case 0x80:
    case 0x90:
    case 0xA0:
    case 0xB0:
    case 0xE0: return 3;
    case 0xC0:
    case 0xD0: return 2;
    default: return 0;
    }
}

class MidiInRing {
public:
    static constexpr std::size_t kCapacity = 1024;

    // On the writing thread only; false when the ring was full.
    bool push(const MidiInMessage& message) noexcept
    {
        const std::size_t head = head_.load(std::memory_order_relaxed);
        if (head - tail_.load(std::memory_order_acquire) == kCapacity) {
            dropped_.fetch_add(1, std::memory_order_relaxed);
            return false;
        }
        slots_[head % kCapacity] = message;
        head_.store(head + 1, std::memory_order_release);
        return true;
    }

    // On the reading thread only; false when the ring is empty.
    bool pop(MidiInMessage& message) noexcept
    {
        const std::size_t tail = tail_.load(std::memory_order_relaxed);
        if (tail == head_.load(std::memory_order_acquire))
            return false;
        message = slots_[tail % kCapacity];
        tail_.store(tail + 1, std::memory_order_release);
        return true;
    }

    std::uint64_t dropped() const noexcept { return dropped_.load(std::memory_order_relaxed); }

private:
    std::array<MidiInMessage, kCapacity> slots_{};
    alignas(64) std::atomic<std::size_t> head_{0};
    alignas(64) std::atomic<std::size_t> tail_{0};
    std::atomic<std::uint64_t> dropped_{0};
};

}  // namespace platform
