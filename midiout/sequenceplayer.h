#pragma once
// The song player: sends the events of one prepared track to its output
// (midiout/songoutput.h) at their musical times, one group of same-tick events
// per timer. It serves "Play MIDI" and the replay of a recording; the gateway
// owns the one player, is its output and forwards its operations to it.
//
// Every group is aimed at its exact time from the start of the song on the
// song clock (midiout/songclock.h), so no rounding accumulates however long
// the song is. A set-tempo event takes effect from the gap that follows its
// own group and is not sent; a group whose time has already passed is sent at once. Each
// event goes out with its exact due instant, so a device with its own audio
// clock (the built-in synth) plays it at that instant's frame, however late
// the timer woke. Such a device takes each group up to its lookahead early
// (SongOutput::songLookaheadMicros), and hears of the song's end only once
// the last group is due. A song the device dropped (its sound went away,
// SongOutput::songInterrupted) stops at the next tick, as a stop stops it,
// and the output hears of its end.
//
// PlayTrack, SetTempo, StopPlayback and IsPlaying run on the window thread;
// the ticks run on the timer thread and tell the output of the song's end
// there. Once StopPlayback returns, no tick runs or is armed.
#include <atomic>
#include <cstdint>
#include <mutex>

#include "midiout/songclock.h"
#include "midiout/songoutput.h"
#include "midispec/midivocabulary.h"

class midiTrack;

class SequencePlayer {
public:
    explicit SequencePlayer(SongOutput& output);
    // Cancels a pending tick without silencing the device.
    ~SequencePlayer();
    SequencePlayer(const SequencePlayer&) = delete;
    SequencePlayer& operator=(const SequencePlayer&) = delete;

    static constexpr std::int32_t kMaxTempo = ::kMaxTempo;
    // Microseconds per quarter note; -1 (and no change) outside 1 .. kMaxTempo.
    int SetTempo(int microsecondsPerQuarter);
    std::int32_t Tempo() const { return tempo_.load(); }
    // What a set-tempo event does while it is sent: no refusal, only a clamp
    // into the range the song clock's arithmetic is sized for.
    void applyTempoEvent(std::int32_t microsecondsPerQuarter);

    // Expands the track's note durations and sends its first group at once;
    // a song that lies wholly on its first tick ends inside this call. Does
    // nothing for an empty track or while no device is open. A song still
    // playing is cancelled first (without silencing).
    void PlayTrack(midiTrack* track);
    // Cancels the pending tick, waits for one that is running, and silences
    // the device when one is open. The output hears of no song end.
    void StopPlayback();
    bool IsPlaying() const { return playing_.load(); }

    // The instant (platform::nowMicros) just before the song's first group
    // was sent: every later group is aimed at this plus its offset from the
    // first event (playerEventMicros), so benchmarks measure the player's
    // timing against it.
    std::int64_t songStartMicros() const;

private:
    static void timerTick(std::uint32_t timerId, uintptr_t user);
    void tick(std::uint32_t timerId);
    // Sends the group at playIndex_ and moves past it.
    void sendGroup();
    // Advances the song clock to the next event's tick and returns its instant.
    std::int64_t nextInstant();
    bool atEnd() const;
    // Takes the pending tick away from the timer and waits for a running one.
    void cancelTimer();

    SongOutput& output_;
    std::atomic<std::int32_t> tempo_{midi::kDefaultTempo};
    std::atomic<bool> playing_{false};

    // A tick holds this while it sends and arms the next one, so PlayTrack
    // and StopPlayback see the state between ticks only. Never held while
    // killing a timer: the kill waits for a running tick, which needs it.
    mutable std::mutex mutex_;
    // The timer of the tick that is pending or running; a tick whose id is
    // not this one has been cancelled and does nothing.
    std::uint32_t timerId_ = 0;
    midiTrack* track_ = nullptr;
    std::size_t playIndex_ = 0;
    std::int64_t startMicros_ = 0;
    std::int64_t groupDue_ = 0;  // the exact instant of the group at playIndex_
    std::int64_t lookahead_ = 0;
    // Every group is sent; the pending tick tells of the end when the last is due.
    bool endPending_ = false;
    SongClock clock_;
};
