// Reading a Standard MIDI File into a song.
#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

#include "mididata/bytereader.h"
#include "mididata/eventpool.h"
#include "mididata/fileimage.h"
#include "mididata/notefolder.h"
#include "mididata/song.h"
#include "midispec/midivocabulary.h"

namespace {

const char* const kNoHeader = "Couldn't find MIDI Header block";
const char* const kBadHeaderLength = "Invalid header length";
const char* const kFormat2 = "Format2 is not supported";
const char* const kNoTrack = "Couldn't find MIDI Track block";
const char* const kBroken = "Data may have been broken.";
const char* const kChunkBroken = "Data chunk may be broken";

[[noreturn]] void fail(const char* message)
{
    throw MidiDataError(message);
}

// A quantity with its high bit set on the first byte is rare; most deltas are one byte.
inline std::int32_t readDelta(ByteReader& in)
{
    const std::uint8_t b = in.peek();
    if (b < 0x80) {
        in.byte();
        return b;
    }
    return readVarLen(in);
}

// Channel messages have a fixed number of data bytes, taken whatever their
// high bit says, as other readers take them: editors that write values of 128
// or more leave files that are otherwise sound. Answers how many such bytes
// the message holds; one short of its bytes is broken data.
std::size_t countHighDataBytes(ByteReader& in, std::uint8_t status)
{
    const std::uint8_t high = status & 0xF0;
    const std::size_t count = high == 0xC0 || high == 0xD0 ? 1 : 2;
    const std::uint8_t* p = in.take(count);
    in.setPosition(in.position() - count);
    return std::size_t(p[0] >> 7) + (count == 2 ? std::size_t(p[1] >> 7) : 0);
}

}  // namespace

// Walks the file image once. Note-offs are paired with their notes as they are
// read and never become objects of their own: the track ends in duration form
// exactly as if they had been added and folded afterwards.
class SmfReader {
public:
    SmfReader(midiSong& song, const std::uint8_t* data, std::size_t size) : song_(song), in_(data, size, kNoHeader) {}

    void read();

private:
    midiSong& song_;
    ByteReader in_;
    NoteFolder folder_;
    // Tempo events of later tracks bound for the first track, which gets them in
    // time order (after its own events of the same time) once all tracks are read.
    std::vector<anyEvent*> conductorTempos_;
    std::string copyrightText_;

    // Events get their musical position as they are read, while the data are at
    // hand. A time signature read later can change the positions of the events
    // before it: those are worked out again once all tracks are read. Many time
    // signatures make that bookkeeping pointless; past a few, all positions are
    // worked out at the end instead.
    static constexpr std::size_t kIncrementalSignatures = 64;
    bool positionWhileReading_ = true;
    bool barsOutdated_ = true;
    std::optional<PositionCursor> cursor_;
    int staleTrack_ = -1;          // number of the track read when the last signature came
    std::size_t staleEvents_ = 0;  // the events of that track that were already in it
    int readingTrack_ = 0;

    void position(anyEvent* e);
    void signatureAdded(const midiTrack& track);
    void finishPositions();
    std::size_t copyrightCommitted_ = 0;
    bool copyrightChanged_ = false;

    void readHeader();
    void readTrack(midiTrack& track);
    void readMeta(midiTrack& track, std::int32_t time, bool& tempoFlag, anyEvent*& event);
    void skipChunkPadding(std::size_t chunkEnd);
    void mergeConductorTempos();
    void finishCopyright();
    void splitFormat0();
};

void SmfReader::readHeader()
{
    in_.setShortMessage(kNoHeader);
    const std::uint8_t* magic = in_.take(4);
    if (std::memcmp(magic, "MThd", 4) != 0)
        fail(kNoHeader);
    in_.setShortMessage(kBadHeaderLength);
    if (in_.be32() != 6)
        fail(kBadHeaderLength);
    song_.format = std::int16_t(in_.be16());
    song_.trackCount = std::int16_t(in_.be16());
    song_.division = in_.be16();
    if (song_.format > 1)
        fail(kFormat2);
}

void SmfReader::readMeta(midiTrack& track, std::int32_t time, bool& tempoFlag, anyEvent*& event)
{
    const std::uint8_t type = in_.peek();
    auto* meta = static_cast<metaEvent*>(createEvent(time, 0xFF, type));
    event = meta;
    meta->readBody(in_);
    switch (meta->kind()) {
    case kKindCopyright:
        if (!song_.copyright) {
            song_.copyright = static_cast<copyrightEvent*>(meta);
            copyrightText_ = meta->ValueText();
            copyrightCommitted_ = copyrightText_.size();
        } else {
            copyrightText_ += ' ';
            copyrightText_ += meta->ValueText();
            copyrightChanged_ = true;
        }
        break;
    case kKindTrackName:
        track.name = meta->ValueText();
        track.nameEvent = static_cast<trackNameEvent*>(meta);
        break;
    case kKindPortNo: track.port = std::int32_t(meta->numericValue()); break;
    case kKindTempo: tempoFlag = true; break;
    case kKindTimeBeat:
        song_.timeSignatures.push_back(static_cast<timeBeatEvent*>(meta));
        signatureAdded(track);
        break;
    default:
        if (meta->metaType == 0x59)
            song_.keySignatures.push_back(static_cast<keyEvent*>(meta));
        break;
    }
}

void SmfReader::readTrack(midiTrack& track)
{
    in_.setShortMessage(kNoTrack);
    const std::uint8_t* magic = in_.take(4);
    if (std::memcmp(magic, "MTrk", 4) != 0)
        fail(kNoTrack);
    const std::uint32_t chunkLength = in_.be32();
    const std::size_t chunkEnd = in_.position() + std::min<std::size_t>(chunkLength, in_.remaining());
    in_.setShortMessage(kBroken);
    // A hint only: the walk ends at End of Track. Few events take under three bytes.
    track.reserve(std::min<std::size_t>(chunkLength, in_.remaining()) / 4);

    folder_.reset();
    const bool isConductor = &track == song_.conductor;
    std::int64_t time = 0;
    std::int64_t seq = 0;
    std::uint8_t runningStatus = 0;
    std::int32_t sysexCount = 0;
    for (;; ++seq) {
        const std::int32_t delta = readDelta(in_);
        if (delta < 0)
            fail(kBroken);
        time += delta;
        if (time > INT32_MAX)
            fail(kBroken);
        const std::int32_t t = std::int32_t(time);

        std::uint8_t status = in_.byte();
        if (status < 0x80) {
            // Running status: the last channel status of the track; meta and
            // system-exclusive events neither set nor cancel it.
            if (runningStatus == 0)
                fail(kChunkBroken);
            status = runningStatus;
            in_.setPosition(in_.position() - 1);
        }

        anyEvent* event = nullptr;
        bool tempoFlag = false;
        if (status < 0xF0) {
            song_.highDataBytes += countHighDataBytes(in_, status);
            runningStatus = status;
            const std::uint8_t ch = status & 0x0F;
            track.channels = std::uint16_t(track.channels | (1u << ch));
            const std::uint8_t high = status & 0xF0;
            if (high == 0x90 && track.firstNoteTime == -1)
                track.firstNoteTime = t;
            if (high == 0x80 || high == 0x90) {
                const std::uint8_t* p = in_.take(2);
                if (high == 0x80 || p[1] == 0) {
                    if (folder_.noteOff(ch, p[0], t)) {
                        // A note-off that ends a note only gives it its duration; its
                        // creation number is spent as if it had been made, so later
                        // events sort the same.
                        nextCreationIndex = nextCreationIndex == INT32_MAX ? 1 : nextCreationIndex + 1;
                        continue;
                    }
                    // One that ends no note stays as it was written: it is all that
                    // tells of its channel, and of the track's first note time when
                    // written as a note-on, and a copy must keep both.
                    auto* off = new NoteOnEvent(t, status);
                    off->status = status;
                    off->key = p[0];
                    event = off;
                } else {
                    auto* on = new NoteOnEvent(t, status);
                    on->key = p[0];
                    on->velocity = p[1];
                    folder_.noteOn(on, seq);
                    event = on;
                }
            } else {
                std::unique_ptr<anyEvent> made(createEvent(t, status, 0));
                made->readBody(in_);
                event = made.release();
                if (high == 0xB0 && midi::endsAllNotes(static_cast<ControlChangeEvent*>(event)->controller))
                    folder_.allOff(ch, seq, t);
            }
        } else if (status == 0xF0 || status == 0xF7) {
            auto* sx = new sysexEvent(t, status, sysexCount++);
            std::unique_ptr<sysexEvent> guard(sx);
            sx->readBody(in_);
            const sysexEvent* resets[3] = {song_.gmSystemOn, song_.gsReset, song_.xgSystemOn};
            bool isReset = false;
            for (int bit = 0; bit < 3 && !isReset; ++bit) {
                if (sameSysex(sx, resets[bit])) {
                    song_.resetFlags |= 1u << bit;
                    isReset = true;
                }
            }
            if (isReset)
                continue;
            song_.sysexEvents.push_back(sx);
            event = guard.release();
        } else if (status == 0xFF) {
            try {
                readMeta(track, t, tempoFlag, event);
            } catch (...) {
                delete event;
                throw;
            }
            if (event->isTrackEnd()) {
                delete event;
                track.endTime = t;
                folder_.finish(t, [](NoteOnEvent*) {});
                track.durationForm = true;
                track.buildLabel();
                skipChunkPadding(chunkEnd);
                return;
            }
        } else {
            continue;  // other system bytes carry nothing here
        }

        position(event);
        if (tempoFlag && !isConductor) {
            event->retain();
            conductorTempos_.push_back(event);
        } else {
            track.addEvent(event);
        }
    }
}

void SmfReader::skipChunkPadding(std::size_t chunkEnd)
{
    // The next chunk follows End of Track. Some programs leave bytes after it
    // inside the chunk; where its stated length leads to the next chunk, go there.
    const std::size_t here = in_.position();
    if (in_.remaining() >= 4 && std::memcmp(in_.take(4), "MTrk", 4) == 0) {
        in_.setPosition(here);
        return;
    }
    in_.setPosition(chunkEnd > here ? chunkEnd : here);
}

void SmfReader::signatureAdded(const midiTrack& track)
{
    if (song_.timeSignatures.size() > kIncrementalSignatures)
        positionWhileReading_ = false;
    staleTrack_ = readingTrack_;
    staleEvents_ = track.size();
    barsOutdated_ = true;
}

void SmfReader::position(anyEvent* e)
{
    if (!positionWhileReading_)
        return;
    if (barsOutdated_) {
        // Every event lies within the song, so bars without an end give it the
        // position the final bars will.
        song_.buildBarStartsUntil(INT32_MAX);
        cursor_.emplace(song_);
        barsOutdated_ = false;
    }
    setPositionFrom(*cursor_, e);
}

void SmfReader::finishPositions()
{
    midiSong& s = song_;
    s.buildBarStarts();
    const bool everything = !positionWhileReading_;
    if (!everything && staleTrack_ < 0)
        return;
    for (midiTrack* t : s.tracks) {
        if (!everything && t->number > staleTrack_)
            break;
        const std::size_t count =
            !everything && t->number == staleTrack_ ? std::min(staleEvents_, t->size()) : t->size();
        PositionCursor cursor(s);
        for (std::size_t i = 0; i < count; ++i)
            setPositionFrom(cursor, t->at(i));
    }
    PositionCursor cursor(s);
    for (anyEvent* e : conductorTempos_)
        setPositionFrom(cursor, e);
}

void SmfReader::mergeConductorTempos()
{
    if (conductorTempos_.empty())
        return;
    if (midiTrack* conductor = song_.conductor) {
        // Each tempo goes in after every event of its time or earlier, as if
        // added in the order read.
        conductor->mergeByTime(conductorTempos_);
        // The first track now ends no earlier than its last event, as it will when written.
        conductor->endTime = std::max(conductor->endTime, conductor->items().back()->time);
    }
    for (anyEvent* e : conductorTempos_)
        anyEvent::release(e);
    conductorTempos_.clear();
}

void SmfReader::finishCopyright()
{
    copyrightText_.resize(std::min(copyrightText_.size(), copyrightCommitted_));
    // Texts of a track that failed to read are gone again; then the first copyright is all there is.
    if (copyrightChanged_ && song_.copyright && copyrightText_ != song_.copyright->ValueText())
        song_.showJoinedCopyright(copyrightText_);
}

// The one track of a format 0 file keeps its meta and system-exclusive events;
// the channel events move to one new track per channel.
void SmfReader::splitFormat0()
{
    midiSong& s = song_;
    midiTrack* source = s.tracks.front();
    midiTrack* byChannel[16];
    for (int n = 0; n < 16; ++n) {
        byChannel[n] = new midiTrack(&s, n + 1, "");
        s.addTrack(byChannel[n]);
    }
    std::int32_t lastKept = 0;
    // Each list gets its room at once rather than by doubling, which would copy
    // and touch about twice the memory a big song's lists need.
    std::size_t perChannel[16] = {};
    for (const anyEvent* e : source->items())
        if (e && e->status < 0xF0)
            ++perChannel[e->status & 0x0F];
    for (int n = 0; n < 16; ++n)
        byChannel[n]->reserve(perChannel[n]);
    for (std::size_t i = 0; i < source->size(); ++i) {
        anyEvent* e = source->at(i);
        if (!e)
            continue;
        if (e->status >= 0xF0) {
            lastKept = e->time;
        } else {
            byChannel[e->status & 0x0F]->addEvent(e);
            source->releaseAt(i);
        }
    }
    source->pack();
    source->endTime = lastKept;
    for (int n = 0; n < 16; ++n) {
        midiTrack* t = byChannel[n];
        t->sort();
        source->channels = std::uint16_t(source->channels & ~(1u << n));
        if (t->empty()) {
            t->label = "[--]";
        } else {
            t->channels = std::uint16_t(t->channels | (1u << n));
            t->label = "[" + std::to_string(n + 1) + "]";
        }
    }
}

void SmfReader::read()
{
    midiSong& s = song_;
    s.songLength = 0;
    s.firstNoteTime = INT32_MAX;
    s.highDataBytes = 0;
    s.forgetContent();
    readHeader();
    s.resetFlags = 0;

    std::unique_ptr<midiTrack> reading;
    std::size_t signaturesBefore = 0, keysBefore = 0, sysexBefore = 0;
    const copyrightEvent* copyrightBefore = nullptr;
    try {
        for (int i = 0; i < s.trackCount; ++i) {
            reading = std::make_unique<midiTrack>(&s, i, "");
            readingTrack_ = i;
            if (i == 0)
                s.setConductor(reading.get());
            signaturesBefore = s.timeSignatures.size();
            keysBefore = s.keySignatures.size();
            sysexBefore = s.sysexEvents.size();
            copyrightBefore = s.copyright;
            readTrack(*reading);
            copyrightCommitted_ = copyrightText_.size();
            midiTrack* t = reading.release();
            if (i > 0 && t->empty()) {
                delete t;
                continue;
            }
            s.songLength = std::max(s.songLength, t->endTime);
            if (t->firstNoteTime >= 0 && t->firstNoteTime < s.firstNoteTime)
                s.firstNoteTime = t->firstNoteTime;
            s.addTrack(t);
        }
    } catch (...) {
        // The track being read goes, and so does every index entry pointing into it.
        s.timeSignatures.resize(signaturesBefore);
        s.keySignatures.resize(keysBefore);
        s.sysexEvents.resize(sysexBefore);
        if (s.copyright != copyrightBefore)
            s.copyright = nullptr;
        if (s.conductor == reading.get())
            s.setConductor(nullptr);
        reading.reset();
        s.trackCount = std::int16_t(s.tracks.size());
        mergeConductorTempos();
        finishCopyright();
        throw;
    }
    s.trackCount = std::int16_t(s.tracks.size());
    finishPositions();
    mergeConductorTempos();
    finishCopyright();
    if (s.format == 0 && !s.tracks.empty())
        splitFormat0();
}

void midiSong::loadFromMemory(const std::uint8_t* data, std::size_t size)
{
    // Events take at most about sixteen times the bytes they come from.
    eventPoolReserve(size * 16);
    SmfReader(*this, data, size).read();
    markRhythmTracks();
}

void midiSong::load(const std::string& path)
{
    const FileImage image(path);
    loadFromMemory(image.data(), image.size());
    fileName = path;
}
