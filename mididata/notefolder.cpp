#include "mididata/notefolder.h"

#include <algorithm>

NoteFolder::NoteFolder() = default;

NoteFolder::KeyQueue* NoteFolder::queueFor(int channel, int key, bool create)
{
    std::uint16_t& slot = slot_[std::size_t(channel & 0x0F) * 256 + std::size_t(key & 0xFF)];
    if (slot == 0) {
        if (!create)
            return nullptr;
        keys_.emplace_back();
        slot = std::uint16_t(keys_.size());
    }
    return &keys_[slot - 1u];
}

void NoteFolder::reset()
{
    slot_.fill(0);
    keys_.clear();
    for (auto& list : allOffs_)
        list.clear();
}

void NoteFolder::noteOn(NoteOnEvent* on, std::int64_t seq)
{
    KeyQueue& q = *queueFor(on->status & 0x0F, on->key, true);
    // Drop the ended prefix now and then so a long track does not keep every note.
    if (q.head >= 64 && q.head * 2 >= q.notes.size()) {
        q.notes.erase(q.notes.begin(), q.notes.begin() + std::ptrdiff_t(q.head));
        q.head = 0;
    }
    q.notes.push_back({on, seq});
}

bool NoteFolder::noteOff(int channel, int key, std::int32_t time)
{
    KeyQueue* q = queueFor(channel, key, false);
    if (!q || q->head >= q->notes.size())
        return false;
    NoteOnEvent* on = q->notes[q->head++].on;
    on->duration = time - on->time;
    return true;
}

void NoteFolder::allOff(int channel, std::int64_t seq, std::int32_t time)
{
    allOffs_[std::size_t(channel & 0x0F)].push_back({seq, time});
}

const NoteFolder::AllOff* NoteFolder::firstAllOffAfter(int channel, std::int64_t seq) const
{
    const auto& list = allOffs_[std::size_t(channel & 0x0F)];
    auto it =
        std::upper_bound(list.begin(), list.end(), seq, [](std::int64_t s, const AllOff& a) { return s < a.seq; });
    return it == list.end() ? nullptr : &*it;
}
