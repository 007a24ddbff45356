// Writing a song as a Standard MIDI File.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <queue>
#include <unistd.h>

#include "mididata/bytestream.h"
#include "mididata/messagesink.h"
#include "mididata/midierror.h"
#include "mididata/song.h"

namespace {

const char* const kSaveFailed = "Dooh! Save failed. '.mid' file may be broken.";

// A note-off built from a note's duration for the time of writing. It sorts
// before the other events of its tick, except the note-off of a note of no
// length, which follows its own note-on.
struct BuiltOff {
    int32_t time;
    uint8_t status;
    uint8_t key;
};

// Writes events in the order the track would have after its durations were
// expanded and it was sorted, without changing the track itself.
class TrackWriter {
public:
    explicit TrackWriter(ByteStream& out) : out_(out) {}

    void write(const std::vector<anyEvent*>& events, bool durationForm, const std::vector<sysexEvent*>& resets,
               const trackEndEvent& end) {
        std::vector<BuiltOff> offs;
        if (durationForm) {
            for (const anyEvent* e : events) {
                if (!e || e->status == 0 || e->kind() != kKindNoteOn) continue;
                const auto* on = static_cast<const NoteOnEvent*>(e);
                if (on->duration == 0) continue;  // written right behind its note-on
                const int64_t t = std::min<int64_t>(int64_t(on->time) + on->duration, INT32_MAX);
                offs.push_back({int32_t(t), uint8_t(0x90 | (on->status & 0x0F)), on->key});
            }
            std::stable_sort(offs.begin(), offs.end(),
                             [](const BuiltOff& a, const BuiltOff& b) { return a.time < b.time; });
        }

        out_.writeByte('M');
        out_.writeByte('T');
        out_.writeByte('r');
        out_.writeByte('k');
        const size_t lengthAt = out_.position();
        out_.writeBe32(0);

        size_t ia = 0, ib = 0, ic = 0;
        for (;;) {
            while (ia < events.size() && !events[ia]) ++ia;
            const anyEvent* a = ia < events.size() ? events[ia] : nullptr;
            const anyEvent* b = ib < resets.size() ? resets[ib] : nullptr;
            const BuiltOff* c = ic < offs.size() ? &offs[ic] : nullptr;
            if (!a && !b && !c) break;
            // Ties keep the order track events, reset messages, note-offs.
            if (a && (!b || compareEvents(a, b) <= 0) && (!c || !offBefore(*c, a))) {
                writeEvent(a);
                ++ia;
                if (durationForm && a->status != 0 && a->kind() == kKindNoteOn &&
                    static_cast<const NoteOnEvent*>(a)->duration == 0)
                    writeOff({a->time, uint8_t(0x90 | (a->status & 0x0F)), static_cast<const NoteOnEvent*>(a)->key});
            } else if (b && (!c || !offBefore(*c, b))) {
                writeEvent(b);
                ++ib;
            } else {
                writeOff(*c);
                ++ic;
            }
        }

        writeVarLen(0, out_);
        out_.writeByte(end.status);
        end.writeBody(out_);
        const size_t endAt = out_.position();
        out_.setPosition(lengthAt);
        out_.writeBe32(uint32_t(endAt - lengthAt - 4));
        out_.setPosition(endAt);
    }

private:
    ByteStream& out_;
    uint8_t lastStatus_ = 0;
    int32_t lastTime_ = 0;
    bool nameWritten_ = false;

    // A built note-off has creation number 0.
    static bool offBefore(const BuiltOff& off, const anyEvent* e) {
        return off.time < e->time || (off.time == e->time && 0 < e->creationIndex);
    }

    void writeDelta(int32_t time) {
        // A track out of time order cannot go backwards in a file; such an event
        // is written at the time of the one before it.
        writeVarLen(uint32_t(time > lastTime_ ? time - lastTime_ : 0), out_);
        if (time > lastTime_) lastTime_ = time;
    }

    void writeEvent(const anyEvent* e) {
        if (e->status == 0) return;
        if (e->kind() == kKindTrackName) {
            if (nameWritten_) return;
            nameWritten_ = true;
        }
        writeDelta(e->time);
        if (e->status != lastStatus_ || e->status >= 0xF0) {
            out_.writeByte(e->status);
            lastStatus_ = e->status;
        }
        e->writeBody(out_);
    }

    void writeOff(const BuiltOff& off) {
        writeDelta(off.time);
        if (off.status != lastStatus_) {
            out_.writeByte(off.status);
            lastStatus_ = off.status;
        }
        out_.writeByte(off.key);
        out_.writeByte(0);
    }
};

// The events of all tracks in one list, in time order (a k-way merge of lists
// that are each in order), leaving out the track names of all but the first.
std::vector<anyEvent*> mergeTracks(const midiTracks& tracks) {
    struct Cursor {
        const std::vector<anyEvent*>* items;
        size_t pos;
        size_t track;
    };
    auto later = [](const Cursor& x, const Cursor& y) {
        const int c = compareEvents((*x.items)[x.pos], (*y.items)[y.pos]);
        return c != 0 ? c > 0 : x.track > y.track;
    };
    std::priority_queue<Cursor, std::vector<Cursor>, decltype(later)> heap(later);
    size_t total = 0;
    auto advance = [&](Cursor cur) {
        const auto& items = *cur.items;
        while (cur.pos < items.size() &&
               (!items[cur.pos] || (cur.track > 0 && items[cur.pos]->kind() == kKindTrackName)))
            ++cur.pos;
        if (cur.pos < items.size()) heap.push(cur);
    };
    for (size_t i = 0; i < tracks.size(); ++i) {
        total += tracks[i]->size();
        advance({&tracks[i]->items(), 0, i});
    }
    std::vector<anyEvent*> merged;
    merged.reserve(total);
    while (!heap.empty()) {
        Cursor cur = heap.top();
        heap.pop();
        merged.push_back((*cur.items)[cur.pos]);
        ++cur.pos;
        advance(cur);
    }
    return merged;
}

}  // namespace

void midiSong::writeHeader(ByteStream& stream) const {
    for (char c : {'M', 'T', 'h', 'd'}) stream.writeByte(uint8_t(c));
    stream.writeBe32(6);
    stream.writeBe16(format != 0 ? 1 : 0);
    stream.writeBe16(format != 0 ? uint16_t(tracks.size()) : 1);
    stream.writeBe16(division);
}

void midiSong::save(ByteStream& stream) {
    try {
        std::vector<sysexEvent*> resets;
        if (resetFlags & 1) resets.push_back(gmSystemOn);
        if (resetFlags & 2) resets.push_back(gsReset);
        else if (resetFlags & 4) resets.push_back(xgSystemOn);
        // Note-offs are added and folded away again in duration form, which leaves
        // a track sorted; a track holding its own note-offs is written as it stands.
        bool allInDurationForm = true;
        for (midiTrack* t : tracks) {
            if (t->durationForm) t->sort();
            else allInDurationForm = false;
        }

        writeHeader(stream);
        if (format != 0) {
            for (size_t i = 0; i < tracks.size(); ++i) {
                static const std::vector<sysexEvent*> none;
                TrackWriter(stream).write(tracks[i]->items(), tracks[i]->durationForm, i == 0 ? resets : none,
                                          tracks[i]->endOfTrack);
            }
        } else {
            const midiTrack merged(this, 0, "");
            TrackWriter(stream).write(mergeTracks(tracks), allInDurationForm, resets, merged.endOfTrack);
        }
    } catch (...) {
        throw MidiDataError(kSaveFailed);
    }
}

bool midiSong::saveToFile(const std::string& path) {
    ByteStream stream;
    fileSize = 0;
    try {
        save(stream);
    } catch (const std::exception& e) {
        reportMessage(e.what());
        return false;
    }
    // A new file is written beside the old one and renamed over it only when it is
    // complete, so a full disk or a crash never leaves a half-written song behind.
    const std::string temp = path + ".part";
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) {
        reportMessage("Couldn't create file " + path + ": " + std::strerror(errno));
        return false;
    }
    const auto& bytes = stream.bytes();
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fflush(f) == 0 && ok;
    ok = ok && fsync(fileno(f)) == 0;
    int err = errno;
    ok = std::fclose(f) == 0 && ok;
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        err = errno;
        ok = false;
    }
    if (!ok) {
        std::remove(temp.c_str());
        reportMessage("Couldn't write file " + path + ": " + std::strerror(err ? err : EIO));
        return false;
    }
    fileSize = int32_t(std::min<size_t>(bytes.size(), INT32_MAX));
    return true;
}
