#pragma once
// Pairs sounding notes with the note-offs that end them, in one pass over a
// track in list order, and gives every note its duration.
//
// Each note takes the first note-off of its channel and key that follows it and
// that no earlier note took; queues per channel and key make that linear, however
// many notes overlap on one key. A note that no note-off ends lasts until the
// next All Sound Off or All Notes Off on its channel, else until one tick before
// the next note of the same key (at least one tick), else until the track ends.
#include <array>
#include <cstdint>
#include <vector>

#include "mididata/event.h"

class NoteFolder {
public:
    NoteFolder();
    // Forgets everything, keeping the allocated queues for the next track.
    void reset();
    // A sounding note at stream position seq (positions only need to increase).
    void noteOn(NoteOnEvent* on, std::int64_t seq);
    // A note-off; true when it ended a waiting note (whose duration is now set).
    bool noteOff(int channel, int key, std::int32_t time);
    // A control change that silences the channel (All Sound Off, All Notes Off).
    void allOff(int channel, std::int64_t seq, std::int32_t time);
    // Durations for the notes that no note-off ended; calls unended(note) for each.
    template <class F>
    void finish(std::int32_t endTime, F&& unended);

private:
    struct Waiting {
        NoteOnEvent* on;
        std::int64_t seq;
    };
    struct KeyQueue {
        std::vector<Waiting> notes;  // every note of the key seen; [head, end) still waits
        std::size_t head = 0;
    };
    struct AllOff {
        std::int64_t seq;
        std::int32_t time;
    };
    // Queues only for the keys a track uses: slot_[channel * 256 + key] - 1 is
    // the queue's place in keys_, 0 when the key has none yet.
    std::array<std::uint16_t, 16 * 256> slot_{};
    std::vector<KeyQueue> keys_;
    KeyQueue* queueFor(int channel, int key, bool create);
    std::array<std::vector<AllOff>, 16> allOffs_;

    const AllOff* firstAllOffAfter(int channel, std::int64_t seq) const;
};

template <class F>
void NoteFolder::finish(std::int32_t endTime, F&& unended)
{
    for (KeyQueue& q : keys_) {
        for (std::size_t i = q.head; i < q.notes.size(); ++i) {
            NoteOnEvent* on = q.notes[i].on;
            if (const AllOff* off = firstAllOffAfter(on->channel(), q.notes[i].seq)) {
                on->duration = off->time - on->time;
            } else if (i + 1 < q.notes.size()) {
                const std::int64_t d = std::int64_t(q.notes[i + 1].on->time) - on->time - 1;
                on->duration = std::int32_t(d < 1 ? 1 : d);
            } else {
                on->duration = endTime - on->time;
            }
            unended(on);
        }
    }
}
