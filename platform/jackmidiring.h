#pragma once
// The hand-over from the thread that sends MIDI to a JACK output's process
// callback: whole messages of any length (system exclusive too), each with
// the frame it is due at and the song it belongs to, in one block of memory
// allocated up front. One writer and one reader, neither of which ever waits,
// locks or allocates, as the process callback must not.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace platform {

class JackMidiRing {
public:
    struct Record {
        std::int64_t frame = 0;
        std::uint32_t song = 0;
        std::uint32_t size = 0;  // the bytes follow the record
        const std::uint8_t* bytes() const { return reinterpret_cast<const std::uint8_t*>(this + 1); }
    };

    // Capacity in bytes, rounded up to whole records.
    explicit JackMidiRing(std::size_t capacity = std::size_t(1) << 18);
    JackMidiRing(const JackMidiRing&) = delete;
    JackMidiRing& operator=(const JackMidiRing&) = delete;

    // On the writing thread only. False, with nothing written, when the
    // message does not fit in the room left (or could never fit).
    bool push(std::int64_t frame, std::uint32_t song, std::span<const std::uint8_t> bytes) noexcept;

    // On the reading thread only: the oldest message, or null when there is none.
    const Record* front() noexcept;
    // Drops the message front returned.
    void pop() noexcept;
    // From either thread: whether every message pushed has been popped.
    bool empty() const noexcept
    {
        return head_.load(std::memory_order_acquire) == tail_.load(std::memory_order_acquire);
    }

private:
    static constexpr std::size_t kUnit = sizeof(Record);
    static constexpr std::uint32_t kWrap = 0xFFFFFFFF;

    static std::size_t lengthOf(std::size_t bytes) { return (kUnit + bytes + kUnit - 1) / kUnit * kUnit; }
    Record* at(std::size_t position) { return reinterpret_cast<Record*>(buffer_.data() + position % buffer_.size()); }

    std::vector<Record> storage_;
    std::span<std::uint8_t> buffer_;
    alignas(64) std::atomic<std::size_t> head_{0};
    alignas(64) std::atomic<std::size_t> tail_{0};
};

}  // namespace platform
