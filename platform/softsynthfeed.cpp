#include "platform/softsynthfeed.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

bool isNoteOn(const SoftSynthRing::Message& message)
{
    return !message.isLong && (message.packed & 0xF0) == 0x90 && ((message.packed >> 16) & 0x7F) != 0;
}

}  // namespace

SoftSynthFeed::SoftSynthFeed(SoftSynth& synth, double sampleRate)
    : synth_(synth), sampleRate_(sampleRate > 0 ? sampleRate : 48000), clock_(sampleRate), quiet_(sampleRate_)
{}

bool SoftSynthFeed::sendShort(std::uint32_t packed, std::int64_t sentMicros) noexcept
{
    return queue(live_, sentMicros, packed, {}, false);
}

bool SoftSynthFeed::sendLong(std::span<const std::uint8_t> bytes, std::int64_t sentMicros) noexcept
{
    return queue(live_, sentMicros, 0, bytes, true);
}

bool SoftSynthFeed::sendShortAt(std::uint32_t packed, std::int64_t dueMicros) noexcept
{
    return queue(song_, dueMicros, packed, {}, false);
}

bool SoftSynthFeed::sendLongAt(std::span<const std::uint8_t> bytes, std::int64_t dueMicros) noexcept
{
    return queue(song_, dueMicros, 0, bytes, true);
}

bool SoftSynthFeed::queue(SoftSynthRing& ring, std::int64_t micros, std::uint32_t packed,
                          std::span<const std::uint8_t> bytes, bool isLong) noexcept
{
    std::lock_guard lock(mutex_);
    // The rest of a song that was dropped is dropped too.
    if (&ring == &song_ && songInterrupted_)
        return true;
    if (&ring == &live_) {
        // Senders on different threads may stamp out of order; the queue's order wins.
        micros = lastMicros_ = std::max(micros, lastMicros_);
    }
    return ring.push(micros, packed, bytes, isLong);
}

void SoftSynthFeed::beginSong(std::int64_t startMicros) noexcept
{
    std::lock_guard lock(mutex_);
    song_.clear();
    songStartMicros_ = startMicros;
    songAnchored_ = false;
    songInterrupted_ = outputLost_;
    songWaitsForAnchor_ = !songInterrupted_;
    songActive_ = songWaitsForAnchor_;
}

void SoftSynthFeed::cancelSong() noexcept
{
    std::lock_guard lock(mutex_);
    song_.clear();
    songWaitsForAnchor_ = false;
    songActive_ = false;
}

bool SoftSynthFeed::songPlaying() const
{
    std::lock_guard lock(mutex_);
    return songActive_ && (songWaitsForAnchor_ || !song_.empty() ||
                           frame_ - lastSongFrame_ < std::llround(double(kSongRestMicros) * sampleRate_ / 1e6));
}

bool SoftSynthFeed::songInterrupted() const
{
    std::lock_guard lock(mutex_);
    return songInterrupted_;
}

void SoftSynthFeed::outputLost() noexcept
{
    std::lock_guard lock(mutex_);
    outputLost_ = true;
    songInterrupted_ = true;
    song_.clear();
    songWaitsForAnchor_ = false;
    songAnchored_ = false;
    songActive_ = false;
}

void SoftSynthFeed::outputRestarted(std::int64_t requestMicros)
{
    {
        std::lock_guard lock(mutex_);
        outputLost_ = false;
        staleBeforeMicros_ = std::max(staleBeforeMicros_, requestMicros);
    }
    clock_.resync();
}

std::int64_t SoftSynthFeed::songFrameOf(std::int64_t dueMicros) const
{
    return songStartFrame_ + std::llround(double(dueMicros - songStartMicros_) * sampleRate_ / 1e6);
}

void SoftSynthFeed::renderPeriod(int frames, std::int64_t requestMicros, BlockRenderer& renderer, bool synthReady)
{
    clock_.startPeriod(requestMicros, frames);
    lastRequestMicros_ = requestMicros;
    lastFrames_ = frames;
    if (!synthReady) {
        held_ = true;
    } else if (held_) {
        held_ = false;
        staleBeforeFrame_ = frame_;
    }
    for (int offset = 0; offset < frames; offset += kBlockFrames) {
        const int length = std::min(kBlockFrames, frames - offset);
        // The block takes what was sent one period before its middle, so
        // that every live message lands in the block nearest its due time.
        const double liveMicros = clock_.instantOf(offset + length / 2.0 - frames);
        if (applyDue(liveMicros, frame_ + offset, length, synthReady))
            quiet_.wake();
        if (!synthReady) {
            renderer.silenceBlock(offset, length);
        } else if (quiet_.asleep()) {
            renderer.silenceBlock(offset, length);
            quiet_.slept(length);
        } else {
            const float peak = renderer.renderBlock(offset, length);
            quiet_.rendered(length, peak, synth_.activeVoices());
        }
    }
    frame_ += frames;
}

bool SoftSynthFeed::applyDue(double liveMicros, std::int64_t blockFrame, int blockFrames, bool apply)
{
    std::lock_guard lock(mutex_);
    if (songWaitsForAnchor_ && double(songStartMicros_) < liveMicros) {
        songWaitsForAnchor_ = false;
        songAnchored_ = true;
        songStartFrame_ = blockFrame + std::llround(kSongLeadMicros * sampleRate_ / 1e6);
        lastSongFrame_ = blockFrame;
    }
    if (!apply)
        return false;
    bool applied = false;
    while (!live_.empty() && double(live_.front().micros) < liveMicros) {
        deliver(live_.front(), live_.front().micros < staleBeforeMicros_);
        live_.pop();
        applied = true;
    }
    // The event nearest the block's start frame goes before it.
    const std::int64_t nearest = blockFrame + blockFrames / 2;
    while (songAnchored_ && !song_.empty()) {
        const std::int64_t due = songFrameOf(song_.front().micros);
        if (due >= nearest)
            break;
        deliver(song_.front(), due < staleBeforeFrame_);
        song_.pop();
        lastSongFrame_ = blockFrame;
        applied = true;
    }
    return applied;
}

void SoftSynthFeed::deliver(const Message& message, bool stale)
{
    // A note that fell due while the synth could not play it stays silent
    // rather than sound late.
    if (stale && isNoteOn(message))
        return;
    if (message.isLong)
        synth_.longMessage(message.bytes);
    else
        synth_.shortMessage(message.packed);
}

void SoftSynthFeed::markReady(std::int64_t readyMicros) noexcept
{
    std::lock_guard lock(mutex_);
    staleBeforeMicros_ = readyMicros;
}

bool SoftSynthFeed::mayPause() const
{
    return !held_ && quiet_.restful() && pending() == 0;
}

void SoftSynthFeed::resumeAt(std::int64_t requestMicros)
{
    const double pausedFrames = double(requestMicros - lastRequestMicros_) * sampleRate_ / 1e6 - lastFrames_;
    if (lastFrames_ > 0 && pausedFrames > 0)
        frame_ += std::llround(pausedFrames);
    clock_.resync();
}

std::size_t SoftSynthFeed::pending() const
{
    std::lock_guard lock(mutex_);
    return live_.size() + song_.size();
}

}  // namespace platform
