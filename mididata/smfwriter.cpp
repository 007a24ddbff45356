// Writing a song as a Standard MIDI File.
#include <algorithm>
#include <cstring>
#include <functional>
#include <queue>

#include "mididata/bytestream.h"
#include "mididata/messagesink.h"
#include "mididata/midierror.h"
#include "mididata/song.h"
#include "mididata/wholefile.h"

namespace {

const char* const kSaveFailed = "Dooh! Save failed. '.mid' file may be broken.";

// A note-off built from a note's duration for the time of writing. Built
// note-offs have creation number 0, so they sort before the other events of
// their tick, and among themselves in the order of their notes. A note of no
// length is the exception: its note-off follows its own note-on.
struct BuiltOff {
    std::int32_t time;
    std::uint32_t order;
    std::uint8_t status;
    std::uint8_t key;
    bool operator>(const BuiltOff& o) const { return time != o.time ? time > o.time : order > o.order; }
};

// Writes events in the order the track would have after its durations were
// expanded and it was sorted, without changing the track itself. The note-offs
// still to come wait in a heap as small as the number of notes sounding at once.
class TrackWriter {
public:
    explicit TrackWriter(ByteStream& out) : out_(out) {}

    // expands(i): whether event i comes from a track in duration form, whose
    // notes get their note-offs built.
    template <class Expands>
    // End of Track stands at endTime, or at the last event when that is later.
    void write(const std::vector<anyEvent*>& events, Expands&& expands, const std::vector<sysexEvent*>& resets,
               const trackEndEvent& end, std::int32_t endTime)
    {
        out_.reserve(out_.size() + events.size() * 4 + 64);
        out_.writeByte('M');
        out_.writeByte('T');
        out_.writeByte('r');
        out_.writeByte('k');
        const std::size_t lengthAt = out_.position();
        out_.writeBe32(0);

        std::priority_queue<BuiltOff, std::vector<BuiltOff>, std::greater<BuiltOff>> offs;
        std::uint32_t order = 0;
        std::size_t ia = 0, ib = 0;
        for (;;) {
            while (ia < events.size() && !events[ia])
                ++ia;
            const anyEvent* a = ia < events.size() ? events[ia] : nullptr;
            const anyEvent* b = ib < resets.size() ? resets[ib] : nullptr;
            const BuiltOff* c = offs.empty() ? nullptr : &offs.top();
            if (!a && !b && !c)
                break;
            // Ties keep the order track events, reset messages, note-offs.
            if (a && (!b || compareEvents(a, b) <= 0) && (!c || !offBefore(*c, a))) {
                const std::size_t index = ia++;
                if (writeEvent(a) != kKindNoteOn || !expands(index))
                    continue;
                const auto* on = static_cast<const NoteOnEvent*>(a);
                const BuiltOff off{
                    std::int32_t(std::min<std::int64_t>(std::int64_t(on->time) + on->duration, INT32_MAX)), order++,
                    std::uint8_t(0x90 | (on->status & 0x0F)), on->key};
                if (on->duration == 0)
                    writeOff(off);
                else
                    offs.push(off);
            } else if (b && (!c || !offBefore(*c, b))) {
                writeEvent(b);
                ++ib;
            } else {
                writeOff(*c);
                offs.pop();
            }
        }

        writeDelta(endTime);
        out_.writeByte(end.status);
        end.writeBody(out_);
        const std::size_t endAt = out_.position();
        out_.setPosition(lengthAt);
        out_.writeBe32(std::uint32_t(endAt - lengthAt - 4));
        out_.setPosition(endAt);
    }

private:
    ByteStream& out_;
    std::uint8_t lastStatus_ = 0;
    std::int32_t lastTime_ = 0;

    // A built note-off has creation number 0.
    static bool offBefore(const BuiltOff& off, const anyEvent* e)
    {
        return off.time < e->time || (off.time == e->time && 0 < e->creationIndex);
    }

    void writeDelta(std::int32_t time)
    {
        // A track out of time order cannot go backwards in a file; such an event
        // is written at the time of the one before it.
        writeVarLen(std::uint32_t(time > lastTime_ ? time - lastTime_ : 0), out_);
        if (time > lastTime_)
            lastTime_ = time;
    }

    // Answers the event's kind, or 0 when it was skipped.
    int writeEvent(const anyEvent* e)
    {
        if (e->status == 0)
            return 0;
        const int kind = e->kind();
        writeDelta(e->time);
        if (e->status != lastStatus_ || e->status >= 0xF0 || e->firstDataByte() >= 0x80) {
            out_.writeByte(e->status);
            lastStatus_ = e->status;
        }
        e->writeBody(out_);
        return kind;
    }

    void writeOff(const BuiltOff& off)
    {
        writeDelta(off.time);
        if (off.status != lastStatus_ || off.key >= 0x80) {
            out_.writeByte(off.status);
            lastStatus_ = off.status;
        }
        out_.writeByte(off.key);
        out_.writeByte(0);
    }
};

// The events of all tracks in one list, in time order (a k-way merge of lists
// that are each in order), leaving out the track names of all but the first.
struct MergedTracks {
    std::vector<anyEvent*> events;
    std::vector<bool> durationForm;  // of the track each event comes from
};

MergedTracks mergeTracks(const midiTracks& tracks)
{
    // Each cursor carries the sort key of the event it points at, so the heap
    // compares numbers instead of reaching into events scattered in memory.
    struct Cursor {
        std::int32_t time;
        std::int32_t creationIndex;
        std::size_t track;
        std::size_t pos;
    };
    auto later = [](const Cursor& x, const Cursor& y) {
        if (x.time != y.time)
            return x.time > y.time;
        if (x.creationIndex != y.creationIndex)
            return x.creationIndex > y.creationIndex;
        return x.track > y.track;
    };
    std::vector<Cursor> heap;
    std::size_t total = 0;
    auto push = [&](std::size_t track, std::size_t pos) {
        const auto& items = tracks[track]->items();
        while (pos < items.size() && (!items[pos] || (track > 0 && items[pos]->kind() == kKindTrackName)))
            ++pos;
        if (pos == items.size())
            return;
        heap.push_back({items[pos]->time, items[pos]->creationIndex, track, pos});
        std::push_heap(heap.begin(), heap.end(), later);
    };
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        total += tracks[i]->size();
        push(i, 0);
    }
    MergedTracks merged;
    merged.events.reserve(total);
    merged.durationForm.reserve(total);
    while (!heap.empty()) {
        std::pop_heap(heap.begin(), heap.end(), later);
        const Cursor cur = heap.back();
        heap.pop_back();
        merged.events.push_back(tracks[cur.track]->items()[cur.pos]);
        merged.durationForm.push_back(tracks[cur.track]->durationForm);
        push(cur.track, cur.pos + 1);
    }
    return merged;
}

}  // namespace

namespace {

// The reader leaves out the track chunks that hold no event, and the tracks
// after them keep the numbers of their chunks. Writing an empty chunk for each
// number missing gives the tracks their numbers back when the file is read
// again. Answers, per track, the empty chunks that go before it: none at all
// unless the numbers start at 0 and rise, as they do in a song read from a file.
std::vector<std::size_t> numberGaps(const midiTracks& tracks)
{
    std::vector<std::size_t> gaps(tracks.size(), 0);
    std::int64_t expected = 0;
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        const std::int64_t number = tracks[i]->number;
        if (number < expected || (i == 0 && number != 0))
            return std::vector<std::size_t>(tracks.size(), 0);
        gaps[i] = std::size_t(number - expected);
        expected = number + 1;
    }
    if (expected > 0xFFFF)
        return std::vector<std::size_t>(tracks.size(), 0);
    return gaps;
}

void writeEmptyChunk(ByteStream& out)
{
    static const std::uint8_t bytes[] = {'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0};
    for (std::uint8_t b : bytes)
        out.writeByte(b);
}

}  // namespace

void midiSong::writeHeader(ByteStream& stream, std::size_t chunks) const
{
    for (char c : {'M', 'T', 'h', 'd'})
        stream.writeByte(std::uint8_t(c));
    stream.writeBe32(6);
    stream.writeBe16(format != 0 ? 1 : 0);
    stream.writeBe16(format != 0 ? std::uint16_t(chunks) : 1);
    stream.writeBe16(division);
}

void midiSong::save(ByteStream& stream)
{
    try {
        std::vector<sysexEvent*> resets;
        if (resetFlags & kResetGmSystemOn)
            resets.push_back(gmSystemOn);
        if (resetFlags & kResetGsReset)
            resets.push_back(gsReset);
        else if (resetFlags & kResetXgSystemOn)
            resets.push_back(xgSystemOn);
        // A track in duration form is written sorted, as expanding its durations
        // would leave it; a track holding its own note-offs is written as it stands.
        for (midiTrack* t : tracks)
            if (t->durationForm)
                t->sort();

        if (format != 0) {
            const std::vector<std::size_t> gaps = numberGaps(tracks);
            std::size_t chunks = tracks.size();
            for (std::size_t g : gaps)
                chunks += g;
            writeHeader(stream, chunks);
            for (std::size_t i = 0; i < tracks.size(); ++i) {
                static const std::vector<sysexEvent*> none;
                for (std::size_t g = 0; g < gaps[i]; ++g)
                    writeEmptyChunk(stream);
                const midiTrack& t = *tracks[i];
                const bool form = t.durationForm;
                TrackWriter(stream).write(
                    t.items(), [form](std::size_t) { return form; }, i == 0 ? resets : none, t.endOfTrack, t.endTime);
            }
        } else {
            // Each note keeps the form of its own track: a recorded track beside
            // tracks in duration form keeps its note-offs, and theirs are built.
            writeHeader(stream, 1);
            const MergedTracks merged = mergeTracks(tracks);
            const trackEndEvent end(0);
            std::int32_t endTime = songLength;
            for (const midiTrack* t : tracks)
                endTime = std::max(endTime, t->endTime);
            TrackWriter(stream).write(
                merged.events, [&merged](std::size_t i) { return bool(merged.durationForm[i]); }, resets, end, endTime);
        }
    } catch (...) {
        throw MidiDataError(kSaveFailed);
    }
}

bool midiSong::saveToFile(const std::string& path)
{
    ByteStream stream;
    fileSize = 0;
    try {
        save(stream);
    } catch (const std::exception& e) {
        reportMessage(e.what());
        return false;
    }
    const auto& bytes = stream.bytes();
    if (!writeWholeFile(path, bytes.data(), bytes.size()))
        return false;
    fileSize = std::int32_t(std::min<std::size_t>(bytes.size(), INT32_MAX));
    return true;
}
