#pragma once
// The way from the senders of MIDI messages to the audio thread that renders
// the built-in synth, which applies messages between its 64-frame blocks.
//
// Live messages are time-stamped on the steady clock as they are sent; each
// is applied before the block nearest the moment one audio period after it
// was sent, so it takes effect within half a block (0.7 ms at 48 kHz) of its
// due time at a constant latency of one period.
//
// A song's events are scheduled in the synth's own frames instead: the song
// starts at the frame where a live message sent at its start would land,
// plus kSongLeadMicros, and each event sounds at the frame its due time (its
// song time from that start) gives. A late wake-up of the sender, a sound
// server's bursty requests or an underrun never move one event against
// another, and the sender may run up to the lead late without harm.
//
// While the synth is not ready (its SoundFont still loading) the audio is
// silent and messages wait; notes that fell due meanwhile are dropped, the
// rest (programs, controllers) then apply. While nothing sounds the synth is
// not rendered at all (platform/softsynthquiet.h), and after a while the
// output may pause; the pause counts as silence played.
//
// When the output is lost (its sound server went away) a song cannot keep
// to its frames: it is dropped, and its later events too, until the next
// song begins; live messages wait, and once the output is back notes that
// fell due meanwhile stay silent, as while the synth was not ready.
#include "platform/audioclock.h"
#include "platform/clock.h"
#include "platform/softsynth.h"
#include "platform/softsynthquiet.h"
#include "platform/softsynthring.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <mutex>
#include <span>

namespace platform {

class SoftSynthFeed {
public:
    // What the audio thread renders with: the next `frames` frames, which go
    // into the period's buffers from `offset` on.
    class BlockRenderer {
    public:
        virtual ~BlockRenderer() = default;
        // Renders the synth; returns the largest absolute sample written.
        virtual float renderBlock(int offset, int frames) = 0;
        // Writes silence without running the synth.
        virtual void silenceBlock(int offset, int frames) = 0;
    };

    // FluidSynth renders and takes messages in blocks of this many frames.
    static constexpr int kBlockFrames = 64;
    // How much later than its live equivalent a song's first event sounds.
    // It covers a sound server asking for its whole buffer at once plus a
    // sender woken late on a busy machine.
    static constexpr double kSongLeadMicros = 30000;
    // A song whose events have all been applied is taken as over this long
    // after the last (the player sends a group well ahead of its time).
    static constexpr std::int64_t kSongRestMicros = 3'000'000;

    SoftSynthFeed(SoftSynth& synth, double sampleRate);
    SoftSynthFeed(const SoftSynthFeed&) = delete;
    SoftSynthFeed& operator=(const SoftSynthFeed&) = delete;

    // Live messages, from any thread; sentMicros is the time stamp
    // (platform::nowMicros), now unless a test says otherwise. False when
    // the message could not be queued (memory ran out, or the audio thread
    // has long stopped taking them); it is then lost.
    bool sendShort(std::uint32_t packed, std::int64_t sentMicros = nowMicros()) noexcept;
    bool sendLong(std::span<const std::uint8_t> bytes, std::int64_t sentMicros = nowMicros()) noexcept;

    // A song: beginSong drops what is left of the last one and starts the
    // time line at startMicros (platform::nowMicros); each event then comes
    // with its due instant on that line, in song order. cancelSong drops the
    // events not yet applied (a stop).
    void beginSong(std::int64_t startMicros) noexcept;
    bool sendShortAt(std::uint32_t packed, std::int64_t dueMicros) noexcept;
    bool sendLongAt(std::span<const std::uint8_t> bytes, std::int64_t dueMicros) noexcept;
    void cancelSong() noexcept;
    // For the audio thread: whether a song is under way (begun, and an event
    // of it pending or applied within the last kSongRestMicros).
    bool songPlaying() const;
    // The output was lost since the song began, which dropped it.
    bool songInterrupted() const;

    // The output was lost: from any thread. Until outputRestarted a song
    // that begins is dropped at once.
    void outputLost() noexcept;
    // For the audio thread, before the first period of a new output stream,
    // whose requests begin at requestMicros.
    void outputRestarted(std::int64_t requestMicros);

    // For the audio thread: renders a period of `frames` frames that the
    // driver asked for at requestMicros (platform::nowMicros), applying the
    // messages that are due before each block.
    void renderPeriod(int frames, std::int64_t requestMicros, BlockRenderer& renderer, bool synthReady = true);

    // The synth became ready at readyMicros (platform::nowMicros): live
    // notes sent before then stay silent.
    void markReady(std::int64_t readyMicros) noexcept;

    // Messages sent but not applied yet.
    std::size_t pending() const;

    // For the audio thread, after a period: whether the output may stop
    // asking for audio, because nothing has sounded for a while and no
    // message waits. A message sent after this answered true must wake the
    // output.
    bool mayPause() const;
    // For the audio thread, after a period: whether its last block sounded
    // (a voice or an audible tail).
    bool sounding() const { return quiet_.sounding(); }
    // For the audio thread: the output paused and asks for audio again from
    // requestMicros on. The pause counts as silence played, so that a song's
    // frames keep to its time line.
    void resumeAt(std::int64_t requestMicros);

private:
    using Message = SoftSynthRing::Message;
    static constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::min();

    bool queue(SoftSynthRing& ring, std::int64_t micros, std::uint32_t packed, std::span<const std::uint8_t> bytes,
               bool isLong) noexcept;
    // Applies (or with apply false only anchors the song for) the block that
    // starts at blockFrame; true when a message reached the synth.
    bool applyDue(double liveMicros, std::int64_t blockFrame, int blockFrames, bool apply);
    std::int64_t songFrameOf(std::int64_t dueMicros) const;
    void deliver(const Message& message, bool stale);

    SoftSynth& synth_;
    double sampleRate_;
    // The audio thread's alone.
    AudioClock clock_;
    QuietGate quiet_;
    std::int64_t frame_ = 0;
    std::int64_t lastRequestMicros_ = 0;
    int lastFrames_ = 0;
    // Not ready yet: before the first period the synth could play (an output
    // may hold back its first requests until then).
    bool held_ = true;
    std::int64_t staleBeforeFrame_ = kNever;

    mutable std::mutex mutex_;
    SoftSynthRing live_;
    SoftSynthRing song_;
    std::int64_t lastMicros_ = 0;
    std::int64_t staleBeforeMicros_ = kNever;
    std::int64_t songStartMicros_ = 0;
    bool songAnchored_ = false;
    bool songWaitsForAnchor_ = false;
    std::int64_t songStartFrame_ = 0;
    bool songActive_ = false;
    std::int64_t lastSongFrame_ = 0;
    bool outputLost_ = false;
    bool songInterrupted_ = false;
};

}  // namespace platform
