// A track's searches, lists, sorting and merging, and its song context.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "mididata/event.h"
#include "mididata/smf_test_support.h"
#include "mididata/song.h"
#include "mididata/track.h"
#include "mididata/trackcontext.h"

using smftest::control;
using smftest::note;
using smftest::noteAt;
using smftest::silentOn;

TEST(Track, SearchesSkipEmptySlotsAndAnswerMinusOne)
{
    midiSong song;
    midiTrack t(&song, 0, "");
    auto* on = note(0, 1, 60);
    t.addEvent(on);                       // 0
    t.addEvent(note(10, 2, 60));          // 1 other channel
    t.addEvent(note(20, 1, 61));          // 2 other key
    t.addEvent(silentOn(30, 1, 60));      // 3
    t.addEvent(note(40, 1, 60));          // 4
    t.addEvent(control(50, 1, 7, 0));     // 5
    t.addEvent(control(60, 2, 123, 0));   // 6 other channel
    t.addEvent(control(70, 1, 0x78, 0));  // 7
    t.addEvent(new textEvent(80));        // 8

    EXPECT_EQ(t.findNoteOff(1, on), 3);
    EXPECT_EQ(t.findNoteOff(4, on), -1);
    EXPECT_EQ(t.findNextNoteOn(1, on), 4);
    EXPECT_EQ(t.findNextNoteOn(5, on), -1);
    EXPECT_EQ(t.findAllOff(0, 1), 7);
    EXPECT_EQ(t.findAllOff(0, 2), 6);
    EXPECT_EQ(t.findAllOff(0, 3), -1);
    EXPECT_EQ(t.findKind(0, kKindText), 8);
    EXPECT_EQ(t.findKind(0, kKindNoteOff), 3);
    EXPECT_EQ(t.findKind(0, kKindTempo), -1);
    EXPECT_EQ(t.findKind(100, kKindNoteOn), -1);

    t.releaseAt(3);
    EXPECT_EQ(t[3], nullptr);
    EXPECT_EQ(t.findNoteOff(1, on), -1);
    EXPECT_EQ(t.findKind(0, kKindNoteOff), -1);
    // An event of status 0 is one the writer skips; findKind passes it over.
    t[4]->status = 0;
    EXPECT_EQ(t.findKind(1, kKindNoteOn), 1);
    EXPECT_EQ(t.findKind(3, kKindNoteOn), -1);
    t.pack();
    EXPECT_EQ(t.size(), 8u);
}

TEST(Track, ControllerAtTakesTheLastValueUpToTheTime)
{
    midiSong song;
    midiTrack t(&song, 0, "");
    t.addEvent(control(0, 0, 0, 10));
    t.addEvent(control(100, 0, 7, 90));
    t.addEvent(control(100, 0, 0, 127));
    t.addEvent(control(200, 0, 0, 5));
    t.addEvent(control(50, 0, 0, 99));  // out of order: reached only when nothing later stops the scan
    EXPECT_EQ(t.controllerAt(-1, 0, 42), 42);
    EXPECT_EQ(t.controllerAt(0, 0, 42), 10);
    EXPECT_EQ(t.controllerAt(99, 0, 42), 10);
    EXPECT_EQ(t.controllerAt(100, 0, 42), 127);
    EXPECT_EQ(t.controllerAt(100, 7, 42), 90);
    EXPECT_EQ(t.controllerAt(150, 0, 42), 127);
    EXPECT_EQ(t.controllerAt(1000, 0, 42), 99);
    EXPECT_EQ(t.controllerAt(1000, 11, 42), 42);
}

TEST(Track, LabelsNameTheFirstTwoChannelsUsed)
{
    midiSong song;
    midiTrack t(&song, 0, "");
    t.buildLabel();
    EXPECT_EQ(t.label, "[]");
    t.channels = 1u << 9;
    t.buildLabel();
    EXPECT_EQ(t.label, "[10]");
    EXPECT_EQ(t.lowestChannel(), 9);
    t.channels = 0x0003;
    t.buildLabel();
    EXPECT_EQ(t.label, "[1,2]");
    EXPECT_EQ(t.lowestChannel(), 0);
    t.channels = (1u << 3) | (1u << 5) | (1u << 9);
    t.buildLabel();
    EXPECT_EQ(t.label, "[4,6]");
    EXPECT_EQ(t.lowestChannel(), 3);
    t.channels = 0x8000;
    t.buildLabel();
    EXPECT_EQ(t.label, "[16]");
}

TEST(Track, ListsReleaseOnlyTheirOwnReferences)
{
    midiSong song;
    auto* shared = note(0, 0, 60);
    auto* a = new midiTrack(&song, 0, "");
    auto* b = new midiTrack(&song, 1, "");
    a->addEvent(shared);
    b->addEvent(shared);
    EXPECT_EQ(shared->refCount, 2);
    a->releaseAt(0);
    EXPECT_EQ(a->at(0), nullptr);
    EXPECT_EQ(shared->refCount, 1);
    a->pack();
    EXPECT_TRUE(a->empty());

    // Taking an event out hands its reference to the caller.
    a->addEvent(shared);
    anyEvent* taken = a->takeAt(0);
    EXPECT_EQ(taken, shared);
    EXPECT_EQ(shared->refCount, 2);
    anyEvent::release(taken);
    EXPECT_EQ(shared->refCount, 1);

    // Replacing an event releases only the reference of its slot.
    a->addEvent(shared);
    auto* other = note(0, 0, 62);
    a->replaceAt(1, other);
    EXPECT_EQ(a->at(1), other);
    EXPECT_EQ(other->refCount, 1);
    EXPECT_EQ(shared->refCount, 1);
    a->replaceAt(1, other);  // by itself: still there
    EXPECT_EQ(other->refCount, 1);
    a->releaseAt(1);

    auto* name = new trackNameEvent(0);
    name->setText("Lead");
    b->addEvent(name);
    b->nameEvent = name;
    b->releaseAt(1);
    EXPECT_EQ(b->nameEvent, nullptr);

    a->addEvent(shared);
    midiTracks list;
    list.push_back(a);
    list.clearTracks();
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(shared->refCount, 1);
    EXPECT_EQ(noteAt(*b, 0), shared);
    b->Clear();
    EXPECT_TRUE(b->empty());
    delete b;
}

TEST(Track, SortOrdersByTimeThenCreationAndDropsEmptySlots)
{
    midiSong song;
    midiTrack t(&song, 0, "");
    auto* first = control(100, 0, 1, 1);
    auto* second = control(100, 0, 1, 2);
    auto* early = control(10, 0, 1, 3);
    t.addEvent(second);
    t.addEvent(control(5, 0, 1, 4));
    t.addEvent(first);
    t.addEvent(early);
    t.releaseAt(1);
    t.sort();
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0], early);
    EXPECT_EQ(t[1], first);
    EXPECT_EQ(t[2], second);
}

TEST(Track, MergeByTimePutsEachEventAfterTheListsEventsOfItsTimeWithOneReference)
{
    midiSong song;
    midiTrack t(&song, 0, "");
    auto* at0 = control(0, 0, 1, 1);
    auto* at100 = control(100, 0, 1, 2);
    auto* at200 = control(200, 0, 1, 3);
    t.addEvent(at0);
    t.addEvent(control(50, 0, 1, 4));
    t.addEvent(at100);
    t.addEvent(at200);
    t.releaseAt(1);  // an empty slot goes first

    // Given out of time order; two of one time keep the order given.
    auto* late = control(300, 0, 2, 1);
    auto* firstAt100 = control(100, 0, 2, 2);
    auto* secondAt100 = control(100, 0, 2, 3);
    auto* atStart = control(0, 0, 2, 4);
    late->retain();  // held elsewhere too: the track adds its own reference
    t.mergeByTime({late, firstAt100, atStart, secondAt100});
    EXPECT_EQ(t.items(), (std::vector<anyEvent*>{at0, atStart, at100, firstAt100, secondAt100, at200, late}));
    EXPECT_EQ(late->refCount, 2);
    EXPECT_EQ(firstAt100->refCount, 1);
    EXPECT_EQ(atStart->refCount, 1);
    anyEvent::release(late);

    t.mergeByTime({});
    EXPECT_EQ(t.size(), 7u);
}

namespace {

// A song stand-in that numbers its positions by time and names one reset.
class StampingContext : public TrackContext {
public:
    explicit StampingContext(const anyEvent* reset) : reset_(reset) {}
    void setPosition(anyEvent* e) const override { e->tick = std::uint32_t(e->time) + 1; }
    std::unique_ptr<EventPositioner> positioner() const override
    {
        struct Stamp : EventPositioner {
            void place(anyEvent* e) override { e->tick = std::uint32_t(e->time) + 1; }
        };
        return std::make_unique<Stamp>();
    }
    bool isPrebuiltReset(const anyEvent* e) const override { return e == reset_; }

private:
    const anyEvent* reset_;
};

}  // namespace

TEST(Track, AsksItsSongOnlyThroughTheContextForPositionsAndResets)
{
    auto* reset = new sysexEvent(0, 0xF0, 0);
    reset->refCount = anyEvent::kPermanent;  // as the song holds its prebuilt resets
    auto* other = new sysexEvent(0, 0xF0, 0);
    const StampingContext context(reset);
    midiTrack track(const_cast<StampingContext*>(&context), 1, "");

    track.insertEvent(note(10, 0, 60, 100, 30), true);
    EXPECT_EQ(track.at(0)->tick, 11u) << "an inserted event is positioned by the context";
    track.addEvent(reset);
    track.addEvent(other);
    track.durationForm = false;
    track.foldNoteOffs();
    ASSERT_EQ(track.size(), 2u) << "only the context's reset is taken out";
    EXPECT_EQ(track.at(1), other);
    EXPECT_EQ(reset->refCount, anyEvent::kPermanent);

    track.expandDurations();
    ASSERT_EQ(track.size(), 3u);
    EXPECT_EQ(track.at(2)->time, 40);
    EXPECT_EQ(track.at(2)->tick, 41u) << "a made note-off is positioned by the context";
    delete reset;
}
