#pragma once
// A track: MIDI events in time order, each slot holding one reference, with the
// facts gathered while events are added (channels used, end time, earliest
// note, name, channel label). Notes are normally held in duration form: one
// note-on whose duration gives the length, no separate note-off. The writer
// and the player expand durations into note-offs for as long as they need them.
#include <cstdint>
#include <string>
#include <vector>

#include "mididata/event.h"

class TrackContext;

class midiTrack {
public:
    // An empty name becomes "Track" and the number.
    midiTrack(TrackContext* song, std::int32_t number, const std::string& name);
    ~midiTrack();
    midiTrack(const midiTrack&) = delete;
    midiTrack& operator=(const midiTrack&) = delete;

    std::uint16_t channels = 0;  // bit n set when an event on channel n was added
    std::int32_t endTime = 0;
    TrackContext* song;  // the song the track belongs to (mididata/trackcontext.h); may be null
    bool durationForm = true;
    std::int32_t firstNoteTime = -1;
    std::string label;
    std::int32_t port = 0;
    bool rhythm = false;
    trackEndEvent endOfTrack{0};  // written at the end of the track; not in the list
    std::string name;
    std::int32_t number;
    trackNameEvent* nameEvent = nullptr;

    // The list. A slot may be empty (nullptr) while an operation runs; pack() removes them.
    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    anyEvent* at(std::size_t i) const { return items_[i]; }
    anyEvent* operator[](std::size_t i) const { return items_[i]; }
    const std::vector<anyEvent*>& items() const { return items_; }
    void reserve(std::size_t n) { items_.reserve(n); }

    // Releases every event (destroying those no other list holds) and empties the list.
    void Clear();
    // Appends with one reference; no ordering, no bookkeeping.
    void addEvent(anyEvent* e)
    {
        e->retain();
        items_.push_back(e);
    }
    // Adds with one reference, positions the event and notes its channel and, for a
    // sounding note, the end time and first note. In order: after every event of
    // the same or an earlier time.
    void insertEvent(anyEvent* e, bool inOrder);
    // Adds the events, each with one reference, by time: a stable merge in which
    // each goes after the list's events of its time or earlier, and events of one
    // time keep the order given. The list must be in time order; empty slots are
    // dropped first. No bookkeeping, as for addEvent.
    void mergeByTime(std::vector<anyEvent*> events);
    void releaseAt(std::size_t i);
    // Puts e in slot i with one reference and releases the event that was there.
    void replaceAt(std::size_t i, anyEvent* e);
    // Empties slot i without releasing its reference (the caller takes it over).
    anyEvent* takeAt(std::size_t i);
    void pack();
    // Stable sort by compareEvents; empty slots are dropped first.
    void sort();

    // Note-offs become durations of the notes they end (and are released).
    void foldNoteOffs();
    // Durations become note-offs (note-ons of velocity 0) again, sorted into place.
    void expandDurations();

    // Searches from index `from` on, skipping empty slots; -1 when nothing matches.
    int findKind(int from, int kind) const;
    int findNoteOff(int from, const NoteOnEvent* on) const;
    int findNextNoteOn(int from, const NoteOnEvent* on) const;
    int findAllOff(int from, int channel) const;

    // The value of the last such control change at or before time, else def.
    int controllerAt(std::int32_t time, int controller, int def) const;
    // Index of the lowest channel used, 255 when none.
    int lowestChannel() const;
    // "[1]", "[1,2]", "[]": the first two channels used.
    void buildLabel();

private:
    std::vector<anyEvent*> items_;
};

// A list of tracks. Emptying the list leaves the tracks alone; clearTracks destroys them.
class midiTracks : public std::vector<midiTrack*> {
public:
    void clearTracks();
};
