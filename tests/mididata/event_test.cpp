#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "mididata/bytereader.h"
#include "mididata/bytestream.h"
#include "mididata/event.h"
#include "mididata/midierror.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Reads an event body from bytes and answers how many bytes it took.
std::size_t readFrom(anyEvent& e, const Bytes& bytes)
{
    ByteReader in(bytes.data(), bytes.size(), "short data");
    e.readBody(in);
    return in.position();
}

Bytes bodyOf(const anyEvent& e)
{
    ByteStream s;
    e.writeBody(s);
    return s.bytes();
}

Bytes varLen(std::uint32_t v)
{
    ByteStream s;
    writeVarLen(v, s);
    return s.bytes();
}

std::int32_t readVar(const Bytes& b, std::size_t* used = nullptr)
{
    ByteReader in(b.data(), b.size(), "short data");
    const std::int32_t v = readVarLen(in);
    if (used)
        *used = in.position();
    return v;
}

std::string messageOf(anyEvent& e, const Bytes& bytes)
{
    try {
        readFrom(e, bytes);
    } catch (const MidiDataError& err) {
        return err.what();
    }
    return "";
}

template <class Meta>
void setData(Meta& e, Bytes bytes)
{
    e.length = std::int32_t(bytes.size());
    e.data = std::move(bytes);
}

}  // namespace

TEST(Event, ConstructorsClampTimeSetStatusAndNumberEventsInCreationOrder)
{
    NoteOnEvent a(-5, 0x93);
    NoteOnEvent b(10, 3);
    EXPECT_EQ(a.time, 0);
    EXPECT_EQ(a.status, 0x93);
    EXPECT_EQ(b.status, 0x93);
    EXPECT_EQ(b.creationIndex, a.creationIndex + 1);
    EXPECT_EQ(a.refCount, 0);
    EXPECT_EQ(a.measure, 0u);
    EXPECT_EQ(a.beat, 0u);
    EXPECT_EQ(a.tick, 0u);
    EXPECT_EQ(a.duration, 0);
    EXPECT_EQ(a.channel(), 3);

    EXPECT_EQ(NoteOffEvent(0, 0x85).status, 0x95);
    EXPECT_EQ(NoteOffEvent(0, 0x85).velocity, 0);
    EXPECT_EQ(PolyAfterEvent(0, 0x9C).status, 0xAC);
    EXPECT_EQ(ControlChangeEvent(0, 0x91).status, 0xB1);
    EXPECT_EQ(ProgramChangeEvent(0, 2).status, 0xC2);
    EXPECT_EQ(ChannelAfterTouchEvent(0, 0xE4).status, 0xD4);
    EXPECT_EQ(PitchBendEvent(0, 0x0F).status, 0xEF);

    metaEvent m(-1, 0x7F);
    EXPECT_EQ(m.time, 0);
    EXPECT_EQ(m.status, 0xFF);
    EXPECT_EQ(m.metaType, 0x7F);
    EXPECT_EQ(m.length, 0);
    EXPECT_TRUE(m.data.empty());
    EXPECT_EQ(m.channel(), -1);

    sysexEvent s(5, 0xF7, 3);
    EXPECT_EQ(s.status, 0xF7);
    EXPECT_EQ(s.ordinal, 3);
    EXPECT_TRUE(s.bytes.empty());
    EXPECT_EQ(s.channel(), -1);
}

TEST(Event, FactoryBuildsTheClassOfEachStatusAndMetaType)
{
    struct Row {
        std::uint8_t status;
        std::uint8_t metaType;
        int kind;
    };
    const Row rows[] = {
        {0x83, 0, kKindNoteOff},       {0x93, 0, kKindNoteOn},        {0xA3, 0, kKindPolyAfter},
        {0xB3, 0, kKindControlChange}, {0xC3, 0, kKindProgramChange}, {0xD3, 0, kKindChannelAfterTouch},
        {0xE3, 0, kKindPitchBend},     {0xF0, 0, kKindSysex},         {0xF7, 0, kKindSysex},
        {0xFF, 0x00, kKindMeta},       {0xFF, 0x01, kKindText},       {0xFF, 0x02, kKindCopyright},
        {0xFF, 0x03, kKindTrackName},  {0xFF, 0x04, kKindMeta},       {0xFF, 0x05, kKindLyric},
        {0xFF, 0x06, kKindMarker},     {0xFF, 0x07, kKindQueuePoint}, {0xFF, 0x21, kKindPortNo},
        {0xFF, 0x2F, kKindMeta},       {0xFF, 0x51, kKindTempo},      {0xFF, 0x54, kKindMeta},
        {0xFF, 0x58, kKindTimeBeat},   {0xFF, 0x59, kKindMeta},       {0xFF, 0x7F, kKindMeta},
    };
    for (const Row& r : rows) {
        std::unique_ptr<anyEvent> e(createEvent(77, r.status, r.metaType));
        ASSERT_NE(e, nullptr) << std::hex << int(r.status) << ' ' << int(r.metaType);
        // A note-on is a sounding note only once it has a velocity.
        if (auto* n = dynamic_cast<NoteOnEvent*>(e.get()))
            n->velocity = 1;
        EXPECT_EQ(e->kind(), r.kind) << std::hex << int(r.status) << ' ' << int(r.metaType);
        EXPECT_EQ(e->time, 77);
        EXPECT_EQ(e->isTrackEnd(), r.status == 0xFF && r.metaType == 0x2F);
        if (r.status == 0xFF) {
            EXPECT_EQ(static_cast<metaEvent*>(e.get())->metaType, r.metaType);
        } else if (r.status < 0x90) {
            // A note-off message is held on the note-on status.
            EXPECT_EQ(e->status, r.status | 0x10);
        } else {
            EXPECT_EQ(e->status, r.status);
        }
    }
    std::unique_ptr<anyEvent> off(createEvent(0, 0x85, 0));
    EXPECT_NE(dynamic_cast<NoteOffEvent*>(off.get()), nullptr);
    std::unique_ptr<anyEvent> key(createEvent(0, 0xFF, 0x59));
    EXPECT_NE(dynamic_cast<keyEvent*>(key.get()), nullptr);
    std::unique_ptr<anyEvent> smpte(createEvent(0, 0xFF, 0x54));
    EXPECT_NE(dynamic_cast<SMPTEOffsetEvent*>(smpte.get()), nullptr);
    std::unique_ptr<anyEvent> inst(createEvent(0, 0xFF, 0x04));
    EXPECT_NE(dynamic_cast<instNameEvent*>(inst.get()), nullptr);
    for (std::uint8_t system : {0xF1, 0xF2, 0xF6, 0xF8, 0xFE})
        EXPECT_EQ(createEvent(0, system, 0), nullptr);
}

TEST(Event, NoteBodiesFollowTheNoteOnAndNoteOffRules)
{
    // A note-on of velocity 0 becomes a note-off on status 8n.
    NoteOnEvent silent(0, 0x93);
    EXPECT_EQ(readFrom(silent, {0x3C, 0x00, 0x55}), 2u);
    EXPECT_EQ(silent.status, 0x83);
    EXPECT_EQ(silent.key, 0x3C);
    EXPECT_EQ(silent.velocity, 0);
    EXPECT_EQ(silent.kind(), kKindNoteOff);
    EXPECT_EQ(silent.channel(), 3);

    NoteOnEvent sounding(0, 0x93);
    readFrom(sounding, {0x3C, 0x64});
    EXPECT_EQ(sounding.status, 0x93);
    EXPECT_EQ(sounding.velocity, 0x64);
    EXPECT_EQ(sounding.kind(), kKindNoteOn);
    EXPECT_EQ(bodyOf(sounding), (Bytes{0x3C, 0x64}));

    // A note-off keeps its key, loses its velocity and keeps status 9n.
    std::unique_ptr<anyEvent> off(createEvent(0, 0x85, 0));
    EXPECT_EQ(readFrom(*off, {0x40, 0x55}), 2u);
    auto* o = static_cast<NoteOffEvent*>(off.get());
    EXPECT_EQ(o->key, 0x40);
    EXPECT_EQ(o->velocity, 0);
    EXPECT_EQ(o->status, 0x95);
    EXPECT_EQ(o->kind(), kKindNoteOff);
    EXPECT_EQ(bodyOf(*o), (Bytes{0x40, 0x00}));

    // Polyphonic aftertouch with pressure 0 stays what it is.
    PolyAfterEvent poly(0, 2);
    readFrom(poly, {0x30, 0x00});
    EXPECT_EQ(poly.status, 0xA2);
    EXPECT_EQ(poly.kind(), kKindPolyAfter);
    EXPECT_EQ(poly.key, 0x30);
    EXPECT_EQ(bodyOf(poly), (Bytes{0x30, 0x00}));
}

TEST(Event, ChannelMessageBodiesReadAndWriteTheirDataBytes)
{
    ControlChangeEvent cc(0, 0);
    EXPECT_EQ(readFrom(cc, {0x07, 0x64, 0x11}), 2u);
    EXPECT_EQ(cc.controller, 7);
    EXPECT_EQ(cc.value, 100);
    EXPECT_EQ(bodyOf(cc), (Bytes{0x07, 0x64}));

    ProgramChangeEvent pc(0, 0);
    EXPECT_EQ(readFrom(pc, {0x30, 0x64}), 1u);
    EXPECT_EQ(pc.program, 0x30);
    EXPECT_EQ(bodyOf(pc), (Bytes{0x30}));

    ChannelAfterTouchEvent at(0, 0);
    EXPECT_EQ(readFrom(at, {0x22, 0x64}), 1u);
    EXPECT_EQ(at.pressure, 0x22);
    EXPECT_EQ(bodyOf(at), (Bytes{0x22}));

    PitchBendEvent bend(0, 0);
    EXPECT_EQ(readFrom(bend, {0x00, 0x40}), 2u);
    EXPECT_EQ(bend.bend, 8192);
    EXPECT_EQ(bodyOf(bend), (Bytes{0x00, 0x40}));
    readFrom(bend, {0x7F, 0x7F});
    EXPECT_EQ(bend.bend, 16383);
    readFrom(bend, {0x01, 0x00});
    EXPECT_EQ(bend.bend, 1);
    bend.bend = 0x2345;
    EXPECT_EQ(bodyOf(bend), (Bytes{0x45, 0x46}));

    MIDIEvent plain(0, 0xB0);
    EXPECT_EQ(readFrom(plain, {0x01, 0x02}), 0u);
    EXPECT_TRUE(bodyOf(plain).empty());
    EXPECT_EQ(plain.kind(), kKindMidi);

    cc.setFirstData(10);
    EXPECT_EQ(cc.controller, 10);
    EXPECT_EQ(cc.value, 100);
    pc.setFirstData(78);
    EXPECT_EQ(pc.program, 78);

    // A body cut short is refused with the reader's message, never read past.
    NoteOnEvent cut(0, 0);
    EXPECT_EQ(messageOf(cut, {0x3C}), "short data");
    PitchBendEvent cutBend(0, 0);
    EXPECT_EQ(messageOf(cutBend, {}), "short data");
}

TEST(Event, MetaBodiesHoldTypeLengthAndData)
{
    textEvent text(0);
    EXPECT_EQ(readFrom(text, {0x01, 0x03, 'a', 'b', 'c', 0x99}), 5u);
    EXPECT_EQ(text.metaType, 0x01);
    EXPECT_EQ(text.length, 3);
    EXPECT_EQ(text.data, (Bytes{'a', 'b', 'c'}));
    EXPECT_EQ(text.ValueText(), "abc");
    EXPECT_EQ(bodyOf(text), (Bytes{0x01, 0x03, 'a', 'b', 'c'}));

    metaEvent empty(0, 0x7F);
    EXPECT_EQ(readFrom(empty, {0x7F, 0x00}), 2u);
    EXPECT_EQ(empty.length, 0);
    EXPECT_TRUE(empty.data.empty());
    EXPECT_EQ(bodyOf(empty), (Bytes{0x7F, 0x00}));

    MarkerEvent longText(0);
    longText.setText(std::string(200, 'x'));
    const Bytes written = bodyOf(longText);
    ASSERT_EQ(written.size(), 203u);
    EXPECT_EQ(written[0], 0x06);
    EXPECT_EQ(written[1], 0x81);
    EXPECT_EQ(written[2], 0x48);
    MarkerEvent again(0);
    EXPECT_EQ(readFrom(again, written), 203u);
    EXPECT_EQ(again.ValueText(), std::string(200, 'x'));
}

TEST(Event, LengthsBeyondTheDataOrNegativeAreRefused)
{
    // 0x7FFFFFFF claimed, one byte there: refused before anything is allocated for it.
    textEvent huge(0);
    EXPECT_EQ(messageOf(huge, {0x01, 0x87, 0xFF, 0xFF, 0xFF, 0x7F, 'a'}), "short data");
    textEvent twoMissing(0);
    EXPECT_EQ(messageOf(twoMissing, {0x01, 0x03, 'a'}), "short data");
    textEvent negative(0);
    EXPECT_EQ(messageOf(negative, {0x01, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F}), "Data may have been broken.");
    textEvent wide(0);
    EXPECT_EQ(messageOf(wide, {0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}), "Data may have been broken.");

    sysexEvent sx(0, 0xF0, 0);
    EXPECT_EQ(readFrom(sx, {0x03, 0x41, 0x10, 0xF7, 0x00}), 4u);
    EXPECT_EQ(sx.bytes, (Bytes{0x41, 0x10, 0xF7}));
    EXPECT_EQ(bodyOf(sx), (Bytes{0x03, 0x41, 0x10, 0xF7}));
    sysexEvent sxHuge(0, 0xF0, 0);
    EXPECT_EQ(messageOf(sxHuge, {0x87, 0xFF, 0xFF, 0xFF, 0x7F, 0xF7}), "short data");
    sysexEvent sxNegative(0, 0xF7, 0);
    EXPECT_EQ(messageOf(sxNegative, {0x8F, 0xFF, 0xFF, 0xFF, 0x7F}), "Data may have been broken.");
}

TEST(Event, VariableLengthQuantitiesUseSevenBitGroupsMostSignificantFirst)
{
    EXPECT_EQ(varLen(0), (Bytes{0x00}));
    EXPECT_EQ(varLen(127), (Bytes{0x7F}));
    EXPECT_EQ(varLen(128), (Bytes{0x81, 0x00}));
    EXPECT_EQ(varLen(480), (Bytes{0x83, 0x60}));
    EXPECT_EQ(varLen(0x3FFF), (Bytes{0xFF, 0x7F}));
    EXPECT_EQ(varLen(0x4000), (Bytes{0x81, 0x80, 0x00}));
    EXPECT_EQ(varLen(0x0FFFFFFF), (Bytes{0xFF, 0xFF, 0xFF, 0x7F}));
    EXPECT_EQ(varLen(0x10000000), (Bytes{0x81, 0x80, 0x80, 0x80, 0x00}));

    for (std::uint32_t v :
         {0u, 1u, 127u, 128u, 480u, 0x3FFFu, 0x4000u, 0x1FFFFFu, 0x200000u, 0x0FFFFFFFu, 0x10000000u, 0x7FFFFFFFu}) {
        const Bytes b = varLen(v);
        std::size_t used = 0;
        EXPECT_EQ(readVar(b, &used), std::int32_t(v)) << v;
        EXPECT_EQ(used, b.size()) << v;
    }

    // Any number of continuation bytes is accepted.
    EXPECT_EQ(readVar({0x80, 0x80, 0x80, 0x80, 0x80, 0x05}), 5);
    EXPECT_EQ(readVar({0x87, 0xFF, 0xFF, 0xFF, 0x7F}), INT32_MAX);
    // A quantity that reaches the sign bit, or wider, is negative.
    EXPECT_LT(readVar({0x8F, 0xFF, 0xFF, 0xFF, 0x7F}), 0);
    EXPECT_LT(readVar({0x88, 0x80, 0x80, 0x80, 0x00}), 0);
    EXPECT_LT(readVar({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}), 0);
    EXPECT_LT(readVar({0x81, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x00}), 0);

    std::size_t used = 0;
    EXPECT_EQ(readVar({0x81, 0x00, 0x7F}, &used), 128);
    EXPECT_EQ(used, 2u);
    EXPECT_THROW(readVar({0x81}), MidiDataError);
    EXPECT_THROW(readVar({}), MidiDataError);
}

TEST(Event, CompareEventsOrdersByTimeThenCreation)
{
    // The first event of a process takes creation number 0; these come later.
    MIDIEvent first(0, 0);
    ControlChangeEvent a(100, 0);
    ASSERT_GT(a.creationIndex, 0);
    NoteOnEvent b(100, 0);
    metaEvent c(50, 0x01);
    EXPECT_EQ(compareEvents(&a, &b), -1);
    EXPECT_EQ(compareEvents(&b, &a), 1);
    EXPECT_EQ(compareEvents(&a, &a), 0);
    EXPECT_EQ(compareEvents(&c, &a), -1);
    EXPECT_EQ(compareEvents(&a, &c), 1);
    EXPECT_TRUE(eventLess(&a, &b));
    EXPECT_FALSE(eventLess(&b, &a));

    // A built note-off has creation number 0 and comes first in its tick.
    b.creationIndex = 0;
    EXPECT_EQ(compareEvents(&b, &a), -1);
    EXPECT_EQ(compareEvents(&a, &b), 1);
}

TEST(Event, TempoEventsAnswerMicrosecondsPerQuarterNote)
{
    TempoEvent none(0);
    EXPECT_EQ(none.kind(), kKindTempo);
    EXPECT_EQ(none.tempoValue(), 500000u);
    EXPECT_EQ(none.length, 0);
    EXPECT_EQ(none.data, (Bytes{0x07, 0xA1, 0x20}));
    EXPECT_EQ(bodyOf(none), (Bytes{0x51, 0x00}));

    TempoEvent read(0);
    readFrom(read, {0x51, 0x03, 0x07, 0xA1, 0x20});
    EXPECT_EQ(read.tempoValue(), 500000u);
    readFrom(read, {0x51, 0x03, 0x09, 0x27, 0xC0});
    EXPECT_EQ(read.tempoValue(), 600000u);

    TempoEvent zero(0);
    setData(zero, {0x00, 0x00, 0x00});
    EXPECT_EQ(zero.tempoValue(), 500000u);

    TempoEvent recorded(0, 0x51, 480000);
    EXPECT_EQ(recorded.metaType, 0x51);
    EXPECT_EQ(recorded.length, 3);
    EXPECT_EQ(recorded.data, (Bytes{0x07, 0x53, 0x00}));
    EXPECT_EQ(recorded.tempoValue(), 480000u);
    EXPECT_EQ(bodyOf(recorded), (Bytes{0x51, 0x03, 0x07, 0x53, 0x00}));
    recorded.setTempoValue(600000);
    EXPECT_EQ(recorded.data, (Bytes{0x09, 0x27, 0xC0}));
    EXPECT_EQ(recorded.numericValue(), 600000u);
}

TEST(Event, ValueTextGivesCharactersOrDecimalsOfTheData)
{
    trackNameEvent name(0);
    setData(name, {'P', 'i', 'a', 'n', 'o'});
    EXPECT_EQ(name.ValueText(), "Piano");

    keyEvent key(0);
    setData(key, {0xFD, 0x01});
    EXPECT_EQ(key.ValueText(), "253 1 ");
    EXPECT_EQ(keyEvent(0).ValueText(), "");
    EXPECT_EQ(metaEvent(0, 0x7F).ValueText(), "");

    timeBeatEvent meter(0);
    setData(meter, {6, 3, 24, 8});
    EXPECT_EQ(meter.ValueText(), "6 3 24 8 ");

    // Texts and decimals take only the bytes the event counts.
    lyricEvent lyric(0);
    lyric.data = {'l', 'a', 'l', 'a'};
    lyric.length = 2;
    EXPECT_EQ(lyric.ValueText(), "la");
    SMPTEOffsetEvent smpte(0);
    smpte.data = {1, 2};
    smpte.length = 5;
    EXPECT_EQ(smpte.ValueText(), "1 2 ");

    copyrightEvent c(0);
    c.setText("A B");
    EXPECT_EQ(c.length, 3);
    EXPECT_EQ(c.ValueText(), "A B");
    c.setText("");
    EXPECT_EQ(c.length, 0);
    EXPECT_EQ(c.ValueText(), "");

    for (metaEvent* textual : std::initializer_list<metaEvent*>{new textEvent(0), new queuePointEvent(0),
                                                                new MarkerEvent(0), new lyricEvent(0)}) {
        textual->setText("ok");
        EXPECT_EQ(textual->ValueText(), "ok") << int(textual->metaType);
        delete textual;
    }
    instNameEvent inst(0);
    inst.setText("ab");
    EXPECT_EQ(inst.ValueText(), "97 98 ");

    portNoEvent port(0);
    setData(port, {0x01});
    EXPECT_EQ(port.numericValue(), 1u);
    seqNumEvent seq(0);
    setData(seq, {0x12, 0x34});
    EXPECT_EQ(seq.numericValue(), 0x1234u);
    EXPECT_EQ(seqNumEvent(0).numericValue(), 0u);
}

TEST(Event, SameSysexComparesTheBytesAndNotTheStatus)
{
    sysexEvent a(0, 0xF0, 0);
    sysexEvent b(10, 0xF7, 4);
    EXPECT_TRUE(sameSysex(&a, &b));
    a.bytes = {0x7E, 0x7F, 0x09, 0x01, 0xF7};
    b.bytes = {0x7E, 0x7F, 0x09, 0x01, 0xF7};
    EXPECT_TRUE(sameSysex(&a, &b));
    b.bytes = {0x7E, 0x7F, 0x09, 0x01};
    EXPECT_FALSE(sameSysex(&a, &b));
    b.bytes = {0x7E, 0x7F, 0x09, 0x02, 0xF7};
    EXPECT_FALSE(sameSysex(&a, &b));
}

TEST(Event, EventsKeepTheirValuesWhileOthersComeAndGo)
{
    // Many events made and destroyed in mixed order, as loading and closing songs does.
    std::vector<NoteOnEvent*> live;
    std::int32_t made = 0;
    auto make = [&] {
        auto* e = new NoteOnEvent(made, std::uint8_t(made));
        e->key = std::uint8_t(made % 128);
        e->duration = made;
        live.push_back(e);
        ++made;
    };
    for (int i = 0; i < 20000; ++i)
        make();
    for (std::size_t i = 0; i < live.size(); i += 2) {
        delete live[i];
        live[i] = nullptr;
    }
    for (int i = 0; i < 20000; ++i)
        make();
    for (std::size_t i = live.size() / 2; i < live.size(); ++i) {
        delete live[i];
        live[i] = nullptr;
    }
    for (int i = 0; i < 5000; ++i)
        make();
    std::size_t wrong = 0, count = 0;
    std::vector<const void*> addresses;
    for (const NoteOnEvent* e : live) {
        if (!e)
            continue;
        ++count;
        addresses.push_back(e);
        wrong += e->key != e->duration % 128 || e->time != e->duration || e->channel() != (e->duration & 0x0F);
    }
    EXPECT_EQ(wrong, 0u);
    std::sort(addresses.begin(), addresses.end());
    EXPECT_EQ(std::adjacent_find(addresses.begin(), addresses.end()), addresses.end());
    EXPECT_EQ(count, 10000u + 5000u);
    for (NoteOnEvent* e : live)
        delete e;
}
