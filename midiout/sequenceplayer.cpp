#include "midiout/sequenceplayer.h"

#include <algorithm>

#include "mididata/messagesink.h"
#include "mididata/song.h"
#include "mididata/track.h"
#include "platform/clock.h"
#include "platform/timer.h"

namespace {

// However early the second group lies, its timer is at least this far away.
constexpr std::int64_t kFirstGapMicros = 1000;

}  // namespace

SequencePlayer::SequencePlayer(SongOutput& output) : output_(output) {}

SequencePlayer::~SequencePlayer()
{
    cancelTimer();
}

int SequencePlayer::SetTempo(int microsecondsPerQuarter)
{
    if (microsecondsPerQuarter < 1 || microsecondsPerQuarter > kMaxTempo)
        return -1;
    tempo_.store(microsecondsPerQuarter);
    return 0;
}

void SequencePlayer::applyTempoEvent(std::int32_t microsecondsPerQuarter)
{
    tempo_.store(std::clamp<std::int32_t>(microsecondsPerQuarter, 1, kMaxTempo));
}

std::int64_t SequencePlayer::songStartMicros() const
{
    std::lock_guard lock(mutex_);
    return startMicros_;
}

void SequencePlayer::cancelTimer()
{
    std::uint32_t id = 0;
    {
        std::lock_guard lock(mutex_);
        id = timerId_;
        timerId_ = 0;
        playing_.store(false);
    }
    // A tick that starts now finds its id gone and returns; one that is
    // running is waited for (at once when this is that tick's own thread).
    if (id != 0)
        platform::timeKillEvent(id);
}

void SequencePlayer::StopPlayback()
{
    cancelTimer();
    if (output_.isOpen()) {
        output_.CancelSong();
        output_.SoundOffAll();
    }
}

bool SequencePlayer::atEnd() const
{
    return playIndex_ >= track_->size();
}

void SequencePlayer::sendGroup()
{
    const std::int32_t t0 = track_->at(playIndex_)->time;
    while (!atEnd() && track_->at(playIndex_)->time == t0) {
        const anyEvent& e = *track_->at(playIndex_);
        if (const std::int32_t tempo = tempoSetBy(e))
            applyTempoEvent(tempo);
        else
            output_.SendSongEvent(e, groupDue_);
        ++playIndex_;
    }
}

std::int64_t SequencePlayer::nextInstant()
{
    return startMicros_ + clock_.advance(track_->at(playIndex_)->time, tempo_.load());
}

void SequencePlayer::PlayTrack(midiTrack* track)
{
    cancelTimer();
    if (!track || track->empty() || !output_.isOpen())
        return;
    track->pack();
    track->expandDurations();
    if (track->empty())
        return;
    output_.WaitUntilReady();

    bool ended = false;
    {
        std::lock_guard lock(mutex_);
        track_ = track;
        playIndex_ = 0;
        clock_ = SongClock(track->song ? track->song->division : kDefaultDivision, track->at(0)->time);
        lookahead_ = std::max<std::int64_t>(0, output_.songLookaheadMicros());
        endPending_ = false;
        startMicros_ = groupDue_ = platform::nowMicros();
        output_.BeginSong(startMicros_);
        sendGroup();
        if (atEnd()) {
            ended = true;
        } else {
            groupDue_ = nextInstant();
            const std::int64_t wake = std::max(groupDue_ - lookahead_, platform::nowMicros() + kFirstGapMicros);
            timerId_ = platform::timeSetEventAt(platform::instantOfMicros(wake), &timerTick, uintptr_t(this));
            playing_.store(timerId_ != 0);
        }
    }
    if (ended) {
        output_.songEnded();
    } else if (!IsPlaying()) {
        reportMessage("Timer Error");
    }
}

void SequencePlayer::timerTick(std::uint32_t timerId, uintptr_t user)
{
    reinterpret_cast<SequencePlayer*>(user)->tick(timerId);
}

void SequencePlayer::tick(std::uint32_t timerId)
{
    bool ended = false;
    bool timerFailed = false;
    {
        std::lock_guard lock(mutex_);
        if (timerId != timerId_)
            return;
        if (output_.songInterrupted()) {
            // Resumed later it would play at a wrong place; what it left
            // sounding is silenced as a stop silences it.
            output_.CancelSong();
            output_.SoundOffAll();
            playing_.store(false);
            ended = true;
        } else if (endPending_) {
            endPending_ = false;
            playing_.store(false);
            ended = true;
        } else if (atEnd()) {
            // Only a track that shrank while it played gets here.
            output_.SoundOffAll();
            playing_.store(false);
            ended = true;
        }
        while (!ended) {
            sendGroup();
            std::int64_t wake = 0;
            if (atEnd()) {
                // Sent early, the last group has yet to sound.
                if (lookahead_ == 0 || groupDue_ <= platform::nowMicros()) {
                    playing_.store(false);
                    ended = true;
                    break;
                }
                endPending_ = true;
                wake = groupDue_;
            } else {
                groupDue_ = nextInstant();
                wake = groupDue_ - lookahead_;
                if (wake <= platform::nowMicros())
                    continue;  // late: no timer for a time already past
            }
            const std::uint32_t next =
                platform::timeSetEventAt(platform::instantOfMicros(wake), &timerTick, uintptr_t(this));
            // After a failure the song stays "playing" until StopPlayback; timerId_
            // keeps this tick's id so that a stop still waits for it to finish.
            if (next == 0)
                timerFailed = true;
            else
                timerId_ = next;
            break;
        }
    }
    if (timerFailed)
        reportMessage("Timer Error");
    if (ended)
        output_.songEnded();
}
