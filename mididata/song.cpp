#include "mididata/song.h"

#include <algorithm>

#include "mididata/nearsearch.h"
#include "midispec/midivocabulary.h"

namespace {

template <class Bytes>
sysexEvent* prebuilt(const Bytes& bytes)
{
    auto* e = new sysexEvent(0, midi::kSysEx, 0);
    e->bytes.assign(std::begin(bytes), std::end(bytes));
    e->refCount = anyEvent::kPermanent;
    return e;
}

}  // namespace

midiSong::midiSong()
{
    reset();
}

midiTrack* midiSong::addTrack(midiTrack* track)
{
    tracks.push_back(track);
    return track;
}

midiSong::~midiSong()
{
    forgetContent();
    destroyPrebuiltMessages();
}

void midiSong::buildPrebuiltMessages()
{
    if (gmSystemOn)
        return;
    gmSystemOn = prebuilt(midi::kGmSystemOn);
    xgSystemOn = prebuilt(midi::kXgSystemOn);
    gsReset = prebuilt(midi::kGsReset);
    gsModeSet1 =
        prebuilt(std::initializer_list<std::uint8_t>{0x41, 0x10, 0x42, 0x12, 0x00, 0x00, 0x7F, 0x00, 0x01, 0xF7});
    gsModeSet2 =
        prebuilt(std::initializer_list<std::uint8_t>{0x41, 0x10, 0x42, 0x12, 0x00, 0x00, 0x7F, 0x01, 0x00, 0xF7});
}

void midiSong::destroyPrebuiltMessages()
{
    for (sysexEvent** e : {&gmSystemOn, &xgSystemOn, &gsReset, &gsModeSet1, &gsModeSet2}) {
        delete *e;
        *e = nullptr;
    }
}

void midiSong::forgetContent()
{
    // The indexes point into the tracks, so they go with them.
    timeSignatures.clear();
    keySignatures.clear();
    sysexEvents.clear();
    copyright = nullptr;
    if (joinedCopyright_)
        anyEvent::release(joinedCopyright_);
    joinedCopyright_ = nullptr;
    conductor = nullptr;
    tracks.clearTracks();
}

void midiSong::showJoinedCopyright(const std::string& text)
{
    auto* joined = new copyrightEvent(copyright->time);
    joined->setText(text);
    joined->measure = copyright->measure;
    joined->beat = copyright->beat;
    joined->tick = copyright->tick;
    joined->retain();
    if (joinedCopyright_)
        anyEvent::release(joinedCopyright_);
    joinedCopyright_ = joined;
    copyright = joined;
}

void midiSong::reset()
{
    forgetContent();
    songLength = 0;
    firstNoteTime = 0;
    format = 0;
    division = 480;
    trackCount = 0;
    resetFlags = 0;
    barStarts.clear();
    buildPrebuiltMessages();
}

void midiSong::rebuildMeterIndex() const
{
    meterPrefixMax_.resize(timeSignatures.size());
    std::int32_t m = INT32_MIN;
    for (std::size_t i = 0; i < timeSignatures.size(); ++i) {
        m = std::max(m, timeSignatures[i]->time);
        meterPrefixMax_[i] = m;
    }
}

Meter midiSong::meterAt(std::int32_t time) const
{
    rebuildMeterIndex();
    return indexedMeterAt(time);
}

std::size_t midiSong::meterStop(std::int64_t time, std::size_t hint) const
{
    // The signatures are scanned in the order read while their times do not pass
    // `time`; the first later one ends the scan even if others after it are earlier.
    return upperBoundNear(meterPrefixMax_, time, hint, [](std::int64_t t, std::int32_t m) { return t < m; });
}

Meter midiSong::indexedMeterAt(std::int64_t time) const
{
    return meterAtStop(meterStop(time, 0));
}

Meter midiSong::meterAtStop(std::size_t stop) const
{
    Meter meter{division, 4};
    if (stop == 0)
        return meter;
    const timeBeatEvent* sig = timeSignatures[stop - 1];
    if (!sig->hasDataBytes(2) || sig->dataByte(0) == 0)
        return meter;
    const unsigned power = sig->dataByte(1);
    meter.beatsPerBar = sig->dataByte(0);
    meter.ticksPerBeat = power >= 40 ? 0 : (std::int64_t(division) * 4) >> power;
    return meter;
}

void midiSong::buildBarStarts()
{
    buildBarStartsUntil(songLength);
}

void midiSong::buildBarStartsUntil(std::int64_t songEnd)
{
    barStarts.clear();
    rebuildMeterIndex();
    // Each meter starts at most one run of bars, and the song's end one more.
    barStarts.reserve(timeSignatures.size() + 2);
    std::int64_t t = 0;
    std::size_t stop = 0;
    for (;;) {
        stop = meterStop(t, stop);
        const Meter m = meterAtStop(stop);
        const std::int64_t length = m.ticksPerBeat * m.beatsPerBar;
        // The meter holds until the next time signature that the scan would reach.
        const std::int64_t nextChange =
            stop == meterPrefixMax_.size() ? INT64_MAX : std::int64_t(meterPrefixMax_[stop]);
        if (length <= 0) {
            // A bar of no length would never end: it lasts until the meter changes.
            barStarts.appendRun(t, 0, 1);
            if (nextChange > songEnd)
                return;
            t = nextChange;
            continue;
        }
        const std::int64_t untilChange = nextChange == INT64_MAX ? INT64_MAX : (nextChange - t + length - 1) / length;
        const std::int64_t untilEnd = (songEnd - t) / length + 1;
        const std::int64_t bars = std::min(untilChange, untilEnd);
        barStarts.appendRun(t, length, bars);
        t += bars * length;
        if (t > songEnd) {
            barStarts.appendRun(t, 0, 1);
            return;
        }
    }
}

void midiSong::meterSpan(std::size_t stop, std::int64_t& from, std::int64_t& until) const
{
    from = stop == 0 ? INT64_MIN : std::int64_t(meterPrefixMax_[stop - 1]);
    until = stop == meterPrefixMax_.size() ? INT64_MAX : std::int64_t(meterPrefixMax_[stop]);
}

PositionCursor::PositionCursor(const midiSong& song) : song_(song)
{
    song_.rebuildMeterIndex();
}

void PositionCursor::reload(std::int64_t time)
{
    meterHint_ = song_.meterStop(time, meterHint_);
    meter_ = song_.meterAtStop(meterHint_);
    song_.meterSpan(meterHint_, from_, until_);
    bars_ = song_.barStarts.spanAt(time, runHint_);
    from_ = std::max(from_, bars_.from);
    until_ = std::min(until_, bars_.until);
}

MusicalPosition PositionCursor::at(std::int32_t time)
{
    if (time < from_ || time >= until_) {
        reload(time);
        bar_ = -1;
    }
    const std::int64_t tpb = meter_.ticksPerBeat;
    std::int64_t measure, r;
    if (bars_.count == 0) {
        // Before the first bar start (or with none built): whole bars from 0.
        const std::int64_t bar = tpb * meter_.beatsPerBar;
        measure = bar > 0 ? time / bar : 0;
        r = bar > 0 ? time % bar : time;
    } else {
        // Times mostly come in order: the bar is the last one or the next.
        const std::int64_t length = bars_.length;
        if (bar_ >= 0 && time >= barStart_ && (length == 0 || time < barStart_ + length)) {
        } else if (bar_ >= 0 && length > 0 && time >= barStart_ + length && time < barStart_ + 2 * length &&
                   bar_ + 1 < bars_.count) {
            ++bar_;
            barStart_ += length;
        } else {
            bar_ = length > 0 ? std::min((time - bars_.start) / length, bars_.count - 1) : 0;
            barStart_ = bars_.start + bar_ * length;
        }
        measure = bars_.firstIndex + bar_;
        r = time - barStart_;
    }
    // Within a bar the numbers are small; 32-bit division is much the cheaper.
    std::int64_t beat = 0, tick = r;
    if (tpb > 0) {
        if (r <= UINT32_MAX && tpb <= UINT32_MAX) {
            beat = std::uint32_t(r) / std::uint32_t(tpb);
            tick = std::uint32_t(r) - std::uint32_t(beat) * std::uint32_t(tpb);
        } else {
            beat = r / tpb;
            tick = r % tpb;
        }
    }
    return {std::uint32_t(measure), std::uint32_t(beat), std::uint32_t(tick)};
}

MusicalPosition midiSong::positionOf(std::int32_t time) const
{
    return PositionCursor(*this).at(time);
}

void setPositionFrom(PositionCursor& cursor, anyEvent* e)
{
    const MusicalPosition p = cursor.at(e->time);
    e->measure = p.measure;
    e->beat = p.beat;
    e->tick = p.tick;
}

void midiSong::setPosition(anyEvent* e) const
{
    PositionCursor cursor(*this);
    setPositionFrom(cursor, e);
}

namespace {

class CursorPositioner : public EventPositioner {
public:
    explicit CursorPositioner(const midiSong& song) : cursor_(song) {}
    void place(anyEvent* e) override { setPositionFrom(cursor_, e); }

private:
    PositionCursor cursor_;
};

}  // namespace

std::unique_ptr<EventPositioner> midiSong::positioner() const
{
    return std::make_unique<CursorPositioner>(*this);
}

bool midiSong::isPrebuiltReset(const anyEvent* e) const
{
    return e != nullptr && (e == gmSystemOn || e == xgSystemOn || e == gsReset);
}

std::int32_t midiSong::tempoAt(std::int32_t time)
{
    tempo = midi::kDefaultTempo;
    if (tracks.empty())
        return tempo;
    for (anyEvent* e : tracks.front()->items()) {
        if (!e)
            continue;
        if (e->time > time)
            break;
        if (e->kind() == kKindTempo)
            tempo = std::int32_t(std::min<std::uint32_t>(static_cast<TempoEvent*>(e)->tempoValue(), INT32_MAX));
    }
    return tempo;
}

keyEvent* midiSong::keyAt(std::int32_t time) const
{
    keyEvent* found = nullptr;
    for (keyEvent* k : keySignatures) {
        if (k->time > time)
            break;
        found = k;
    }
    return found;
}

void midiSong::markRhythmTracks()
{
    bool marked = false;
    for (midiTrack* t : tracks) {
        if (t->controllerAt(t->firstNoteTime, 0, 0) == 127) {
            t->rhythm = true;
            marked = true;
        }
    }
    if (marked)
        return;
    for (midiTrack* t : tracks)
        if (t->lowestChannel() == 9)
            t->rhythm = true;
}

std::string highDataBytesNote(const midiSong& song)
{
    const std::size_t n = song.highDataBytes;
    if (n == 0)
        return {};
    return "holds " + std::to_string(n) + (n == 1 ? " data byte" : " data bytes") +
           " above 127, kept as read and sent to a device as 127";
}
