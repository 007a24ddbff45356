#include "mididata/track.h"

#include <algorithm>
#include <memory>

#include "mididata/notefolder.h"
#include "mididata/trackcontext.h"
#include "midispec/midivocabulary.h"

midiTrack::midiTrack(TrackContext* s, std::int32_t n, const std::string& trackName)
    : song(s), name(trackName.empty() ? "Track" + std::to_string(n) : trackName), number(n)
{}

midiTrack::~midiTrack()
{
    Clear();
}

void midiTrack::Clear()
{
    for (anyEvent* e : items_) {
        if (!e)
            continue;
        try {
            anyEvent::release(e);
        } catch (...) {
            // One event that fails to go must not keep the others alive.
        }
    }
    items_.clear();
    nameEvent = nullptr;
}

void midiTrack::insertEvent(anyEvent* e, bool inOrder)
{
    e->retain();
    if (song)
        song->setPosition(e);
    if (e->kind() == kKindNoteOn) {
        const auto* on = static_cast<const NoteOnEvent*>(e);
        const std::int64_t end = std::int64_t(on->time) + on->duration;
        if (end > endTime)
            endTime = std::int32_t(std::min<std::int64_t>(end, INT32_MAX));
        if (firstNoteTime == -1 || on->time < firstNoteTime)
            firstNoteTime = on->time;
    }
    if (e->status < 0xF0)
        channels = std::uint16_t(channels | (1u << (e->status & 0x0F)));
    if (!inOrder) {
        items_.push_back(e);
        return;
    }
    // The list is in time order, so the first later event is found from the end;
    // events usually arrive in order and are appended at once.
    std::size_t pos = items_.size();
    while (pos > 0 && (!items_[pos - 1] || items_[pos - 1]->time > e->time))
        --pos;
    while (pos < items_.size() && !items_[pos])
        ++pos;
    items_.insert(items_.begin() + std::ptrdiff_t(pos), e);
}

void midiTrack::mergeByTime(std::vector<anyEvent*> events)
{
    if (events.empty())
        return;
    pack();
    auto earlier = [](const anyEvent* a, const anyEvent* b) { return a->time < b->time; };
    if (!std::is_sorted(events.begin(), events.end(), earlier))
        std::stable_sort(events.begin(), events.end(), earlier);
    std::vector<anyEvent*> merged;
    merged.reserve(items_.size() + events.size());
    std::merge(items_.begin(), items_.end(), events.begin(), events.end(), std::back_inserter(merged), earlier);
    for (anyEvent* e : events)
        e->retain();
    items_.swap(merged);
}

void midiTrack::releaseAt(std::size_t i)
{
    if (anyEvent* e = items_[i]) {
        items_[i] = nullptr;
        if (e == nameEvent)
            nameEvent = nullptr;
        anyEvent::release(e);
    }
}

void midiTrack::replaceAt(std::size_t i, anyEvent* e)
{
    e->retain();  // first: e may be the event it replaces
    releaseAt(i);
    items_[i] = e;
}

anyEvent* midiTrack::takeAt(std::size_t i)
{
    anyEvent* e = items_[i];
    items_[i] = nullptr;
    return e;
}

void midiTrack::pack()
{
    items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end());
}

void midiTrack::sort()
{
    pack();
    if (!std::is_sorted(items_.begin(), items_.end(), eventLess))
        std::stable_sort(items_.begin(), items_.end(), eventLess);
}

static bool isAllOff(const anyEvent* e)
{
    if (e->kind() != kKindControlChange)
        return false;
    const std::uint8_t c = static_cast<const ControlChangeEvent*>(e)->controller;
    return midi::endsAllNotes(c);
}

void midiTrack::foldNoteOffs()
{
    if (durationForm)
        return;
    NoteFolder folder;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        anyEvent* e = items_[i];
        if (!e)
            continue;
        const int k = e->kind();
        if (k == kKindNoteOn) {
            folder.noteOn(static_cast<NoteOnEvent*>(e), std::int64_t(i));
        } else if (k == kKindNoteOff) {
            if (folder.noteOff(e->channel(), static_cast<NoteOnEvent*>(e)->key, e->time))
                releaseAt(i);
        } else if (isAllOff(e)) {
            folder.allOff(e->channel(), std::int64_t(i), e->time);
        }
    }
    const std::unique_ptr<EventPositioner> positions = song ? song->positioner() : nullptr;
    folder.finish(endTime, [&positions](NoteOnEvent* on) {
        if (positions)
            positions->place(on);
    });
    for (std::size_t i = 0; i < items_.size(); ++i) {
        anyEvent* e = items_[i];
        if (!e)
            continue;
        if (e->kind() == kKindSysex && song && song->isPrebuiltReset(e))
            takeAt(i);
        else if (e->kind() == kKindNoteOff)
            releaseAt(i);
    }
    pack();
    durationForm = true;
}

void midiTrack::expandDurations()
{
    if (!durationForm)
        return;
    pack();
    // A note of no length has its note-off right behind it, sharing its place in
    // the sort order; every other note-off sorts before the events of its tick.
    const std::unique_ptr<EventPositioner> positions = song ? song->positioner() : nullptr;
    std::vector<anyEvent*> merged;
    std::vector<anyEvent*> offs;
    merged.reserve(items_.size() * 2);
    for (anyEvent* e : items_) {
        merged.push_back(e);
        if (e->kind() != kKindNoteOn)
            continue;
        const auto* on = static_cast<const NoteOnEvent*>(e);
        const std::int64_t t = std::min<std::int64_t>(std::int64_t(on->time) + on->duration, INT32_MAX);
        auto* off = new NoteOnEvent(std::int32_t(t), on->status);
        off->key = on->key;
        off->velocity = 0;
        off->creationIndex = on->duration == 0 ? on->creationIndex : 0;
        if (positions)
            positions->place(off);
        off->retain();
        if (off->time > endTime)
            endTime = off->time;
        if (on->duration == 0)
            merged.push_back(off);
        else
            offs.push_back(off);
    }
    if (!std::is_sorted(merged.begin(), merged.end(), eventLess))
        std::stable_sort(merged.begin(), merged.end(), eventLess);
    std::stable_sort(offs.begin(), offs.end(), eventLess);
    items_.clear();
    std::merge(merged.begin(), merged.end(), offs.begin(), offs.end(), std::back_inserter(items_), eventLess);
    durationForm = false;
}

int midiTrack::findKind(int from, int k) const
{
    for (std::size_t i = std::size_t(std::max(from, 0)); i < items_.size(); ++i)
        if (items_[i] && items_[i]->status != 0 && items_[i]->kind() == k)
            return int(i);
    return -1;
}

static int findSameKey(const std::vector<anyEvent*>& items, int from, const NoteOnEvent* on, int k)
{
    for (std::size_t i = std::size_t(std::max(from, 0)); i < items.size(); ++i) {
        const anyEvent* e = items[i];
        if (e && e->kind() == k && e->channel() == on->channel() && static_cast<const NoteOnEvent*>(e)->key == on->key)
            return int(i);
    }
    return -1;
}

int midiTrack::findNoteOff(int from, const NoteOnEvent* on) const
{
    return findSameKey(items_, from, on, kKindNoteOff);
}
int midiTrack::findNextNoteOn(int from, const NoteOnEvent* on) const
{
    return findSameKey(items_, from, on, kKindNoteOn);
}

int midiTrack::findAllOff(int from, int ch) const
{
    for (std::size_t i = std::size_t(std::max(from, 0)); i < items_.size(); ++i)
        if (items_[i] && isAllOff(items_[i]) && items_[i]->channel() == ch)
            return int(i);
    return -1;
}

int midiTrack::controllerAt(std::int32_t time, int controller, int def) const
{
    int value = def;
    for (const anyEvent* e : items_) {
        if (!e)
            continue;
        if (e->time > time)
            break;
        if (e->kind() == kKindControlChange) {
            const auto* cc = static_cast<const ControlChangeEvent*>(e);
            if (cc->controller == controller)
                value = cc->value;
        }
    }
    return value;
}

int midiTrack::lowestChannel() const
{
    for (int n = 0; n < 16; ++n)
        if (channels & (1u << n))
            return n;
    return 255;
}

void midiTrack::buildLabel()
{
    label = "[";
    int found = 0;
    for (int n = 0; n < 16 && found < 2; ++n) {
        if (!(channels & (1u << n)))
            continue;
        if (found == 1)
            label += ",";
        label += std::to_string(n + 1);
        ++found;
    }
    label += "]";
}

void midiTracks::clearTracks()
{
    for (midiTrack* t : *this)
        delete t;
    clear();
}
