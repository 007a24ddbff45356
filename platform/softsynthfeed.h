#pragma once
// The way from the senders of MIDI messages to the audio thread that renders
// the built-in synth. Sending time-stamps a message on the steady clock and
// queues it; the audio thread renders in the synth's 64-frame blocks and
// applies each message before the block nearest the moment one audio period
// after it was sent. Each message thus takes effect within half a block
// (0.7 ms at 48 kHz) of its due time, where applying everything at the start
// of the next period would move each by up to a whole period; the price is a
// constant latency of one period.
#include "platform/audioclock.h"
#include "platform/clock.h"
#include "platform/softsynth.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

namespace platform {

class SoftSynthFeed {
public:
    // What the audio thread renders with: the next `frames` frames, which go
    // into the period's buffers from `offset` on.
    class BlockRenderer {
    public:
        virtual ~BlockRenderer() = default;
        virtual void renderBlock(int offset, int frames) = 0;
    };

    // FluidSynth renders and takes messages in blocks of this many frames.
    static constexpr int kBlockFrames = 64;

    SoftSynthFeed(SoftSynth& synth, double sampleRate);
    SoftSynthFeed(const SoftSynthFeed&) = delete;
    SoftSynthFeed& operator=(const SoftSynthFeed&) = delete;

    // For the senders, from any thread; sentMicros is the time stamp
    // (platform::nowMicros), now unless a test says otherwise. False when
    // the message could not be queued (memory ran out, or the audio thread
    // has long stopped taking them); it is then lost.
    bool sendShort(std::uint32_t packed, std::int64_t sentMicros = nowMicros()) noexcept;
    bool sendLong(std::span<const std::uint8_t> bytes, std::int64_t sentMicros = nowMicros()) noexcept;

    // For the audio thread: renders a period of `frames` frames that the
    // driver asked for at requestMicros (platform::nowMicros), applying the
    // messages that are due before each block.
    void renderPeriod(int frames, std::int64_t requestMicros, BlockRenderer& renderer);

    // Messages sent but not applied yet.
    std::size_t pending() const;

private:
    struct Message {
        std::int64_t micros = 0;
        std::uint32_t packed = 0;
        bool isLong = false;
        std::vector<std::uint8_t> bytes;  // keeps its capacity for the next long message in this slot
    };

    bool send(std::uint32_t packed, std::span<const std::uint8_t> bytes, bool isLong, std::int64_t sentMicros) noexcept;
    void applyMessagesBefore(double micros);

    SoftSynth& synth_;
    AudioClock clock_;  // the audio thread's alone

    mutable std::mutex mutex_;
    // A ring of queued messages in the order sent. Only the senders grow it,
    // so the audio thread never allocates or frees memory.
    std::vector<Message> ring_;
    std::size_t head_ = 0;
    std::size_t count_ = 0;
    std::int64_t lastMicros_ = 0;
};

}  // namespace platform
