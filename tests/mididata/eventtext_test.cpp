#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "mididata/event.h"

namespace {

template <class Meta>
void setData(Meta& e, std::vector<std::uint8_t> bytes)
{
    e.length = std::int32_t(bytes.size());
    e.data = std::move(bytes);
}

}  // namespace

TEST(EventText, PrefixesShowChannelAndPositionFromOne)
{
    MIDIEvent plain(0, 0x92);
    EXPECT_EQ(plain.ChannelPrefix(), "Chn = 03 ");
    EXPECT_EQ(plain.AsText(), "Chn = 03 ");
    EXPECT_EQ(MIDIEvent(0, 0x8F).ChannelPrefix(), "Chn = 16 ");

    metaEvent e(0, 0x7F);
    EXPECT_EQ(e.TimePrefix(), "001:01:000 ");
    e.measure = 11;
    e.beat = 3;
    e.tick = 7;
    EXPECT_EQ(e.TimePrefix(), "012:04:007 ");
    e.measure = UINT32_MAX;
    e.beat = 1234;
    e.tick = 480;
    EXPECT_EQ(e.TimePrefix(), "4294967296:1235:480 ");
}

TEST(EventText, NoteLinesShowKeyNameVelocityAndDuration)
{
    NoteOnEvent on(0, 0);
    on.key = 60;
    on.velocity = 100;
    on.duration = 480;
    EXPECT_EQ(on.AsText(), "Chn = 01 Note ON:Key 060[ C 4] Vel = 100 Dur = 0480");
    on.duration = 12345;
    EXPECT_EQ(on.AsText(), "Chn = 01 Note ON:Key 060[ C 4] Vel = 100 Dur = 12345");
    on.velocity = 0;
    EXPECT_EQ(on.AsText(), "Chn = 01 Note OFF(Vel = 0):Key 060[ C 4]");
    on.status = 0x85;
    EXPECT_EQ(on.AsText(), "Chn = 06 Note OFF(Vel = 0):Key 060[ C 4]");
    on.key = 200;
    on.velocity = 1;
    on.duration = -3;
    EXPECT_EQ(on.AsText(), "Chn = 06 Note ON:Key 200[++++] Vel = 001 Dur = -0003");

    NoteOffEvent off(0, 9);
    off.key = 38;
    off.velocity = 64;
    EXPECT_EQ(off.AsText(), "Chn = 10 Note OFF:Key  38 Vel =  64 ");

    PolyAfterEvent poly(0, 1);
    poly.key = 5;
    poly.velocity = 0;
    EXPECT_EQ(poly.AsText(), "Chn = 02 Poly Aft:Key   5 Vel =   0 ");
}

TEST(EventText, ChannelMessageLinesAppendTheirNames)
{
    ControlChangeEvent cc(0, 0);
    cc.controller = 7;
    cc.value = 100;
    EXPECT_EQ(cc.AsText(), "Chn = 01 Ctrl Chg:Data 100 Main Volume(7)");

    ProgramChangeEvent pc(0, 15);
    pc.program = 78;
    EXPECT_EQ(pc.AsText(), "Chn = 16 Prog Chg:Prog No  78 Whistle");
    // A broken file can carry any byte; the line still shows something.
    pc.program = 200;
    EXPECT_EQ(pc.AsText(), "Chn = 16 Prog Chg:Prog No 200 " + std::string("200"));

    ChannelAfterTouchEvent at(0, 4);
    at.pressure = 9;
    EXPECT_EQ(at.AsText(), "Chn = 05 Chnl Aft:Value   9 ");

    PitchBendEvent bend(0, 0);
    bend.bend = 8192;
    EXPECT_EQ(bend.AsText(), "Chn = 01 PitchBend:Value     0 ");
    bend.bend = 0;
    EXPECT_EQ(bend.AsText(), "Chn = 01 PitchBend:Value -8192 ");
    bend.bend = 16383;
    EXPECT_EQ(bend.AsText(), "Chn = 01 PitchBend:Value  8191 ");
}

TEST(EventText, TextEventsQuoteTheirCharacters)
{
    trackNameEvent name(0);
    name.setText("Piano");
    EXPECT_EQ(name.AsText(), "Track Name:<Piano>");
    textEvent empty(0);
    EXPECT_EQ(empty.AsText(), "Text:<>");

    copyrightEvent copyright(0);
    copyright.setText("(c) 1999 ");
    EXPECT_EQ(copyright.AsText(), "Copyright:<(c) 1999 >");
    instNameEvent inst(0);
    inst.setText("Flute");
    EXPECT_EQ(inst.AsText(), "Inst Name:<Flute>");
    lyricEvent lyric(0);
    lyric.setText("la");
    EXPECT_EQ(lyric.AsText(), "Lyrics:<la>");
    MarkerEvent marker(0);
    marker.setText("A");
    EXPECT_EQ(marker.AsText(), "Marker:<A>");
    queuePointEvent cue(0);
    cue.setText("go");
    EXPECT_EQ(cue.AsText(), "Queue Point:<go>");

    // The length counts the characters; a length beyond the bytes held shows only those.
    textEvent longer(0);
    setData(longer, {'a', 'b', 'c'});
    longer.length = 2;
    EXPECT_EQ(longer.AsText(), "Text:<ab>");
    longer.length = 50;
    EXPECT_EQ(longer.AsText(), "Text:<abc>");
}

TEST(EventText, NumberEventsShowTheirValues)
{
    TempoEvent tempo(0);
    setData(tempo, {0x07, 0xA1, 0x20});
    EXPECT_EQ(tempo.AsText(), "Tempo = 500000 usec/beat");
    setData(tempo, {0x00, 0x00, 0x64});
    EXPECT_EQ(tempo.AsText(), "Tempo =  100 usec/beat");
    EXPECT_EQ(TempoEvent(0).AsText(), "Tempo =    0 usec/beat");

    seqNumEvent seq(0);
    setData(seq, {0x00, 0x07});
    EXPECT_EQ(seq.AsText(), "Sequence Number =    7 ");

    portNoEvent port(0);
    setData(port, {0x01});
    EXPECT_EQ(port.AsText(), "Port No.:<1>");
    EXPECT_EQ(portNoEvent(0).AsText(), "Port No.:<0>");

    EXPECT_EQ(trackEndEvent(0).AsText(), "Track end: ");

    SMPTEOffsetEvent smpte(0);
    setData(smpte, {1, 2, 3, 4, 99});
    EXPECT_EQ(smpte.AsText(), "SMPTE Offset hr:  1 mn:  2 sec:  3 frm:  4 ");
    setData(smpte, {23});
    EXPECT_EQ(smpte.AsText(), "SMPTE Offset hr: 23 mn:  0 sec:  0 frm:  0 ");
}

TEST(EventText, TimeSignatureShowsThePowerOfTwoDenominator)
{
    timeBeatEvent sig(0);
    setData(sig, {4, 2, 24, 8});
    EXPECT_EQ(sig.AsText(), "Time: 4/4 p3 = 24 p4 = 8");
    setData(sig, {6, 3, 36, 8});
    EXPECT_EQ(sig.AsText(), "Time: 6/8 p3 = 36 p4 = 8");
    setData(sig, {1, 31, 0, 0});
    EXPECT_EQ(sig.AsText(), "Time: 1/2147483648 p3 = 0 p4 = 0");
    setData(sig, {1, 32, 0, 0});
    EXPECT_EQ(sig.AsText(), "Time: 1/1 p3 = 0 p4 = 0");
    setData(sig, {1, 0xFF, 0, 0});
    EXPECT_EQ(sig.AsText(), "Time: 1/2147483648 p3 = 0 p4 = 0");
    setData(sig, {3});
    EXPECT_EQ(sig.AsText(), "Time: 3/1 p3 = 0 p4 = 0");
}

TEST(EventText, KeySignatureIsTheKeyNameAlone)
{
    keyEvent key(0);
    setData(key, {0xFD, 0x00});
    EXPECT_EQ(key.AsText(), "Eb Major");
    setData(key, {0x00, 0x01});
    EXPECT_EQ(key.AsText(), "A Minor");
    setData(key, {0xF9, 0x01});
    EXPECT_EQ(key.AsText(), "Ab Minor");
    setData(key, {0x09, 0x00});
    EXPECT_EQ(key.AsText(), "Key sf=9 mode=0");
    // Missing bytes must not pass for C major.
    setData(key, {0x02});
    EXPECT_EQ(key.AsText(), "Key sf=2 mode=-1");
    setData(key, {});
    EXPECT_EQ(key.AsText(), "Key sf=0 mode=-1");
    setData(key, {0x00, 0x00});
    key.length = 1;
    EXPECT_EQ(key.AsText(), "Key sf=0 mode=-1");
}

TEST(EventText, PlainMetaEventsShowPositionTypeAndBytes)
{
    metaEvent e(0, 0x7F);
    setData(e, {0x43, 0x7B});
    EXPECT_EQ(e.AsText(), "001:01:000 Meta Event:Type =7F 43 7B ");

    metaEvent empty(0, 0x05);
    empty.beat = 2;
    EXPECT_EQ(empty.AsText(), "001:03:000 Meta Event:Type = 5 ");

    metaEvent claimsMore(0, 0x60);
    setData(claimsMore, {0x01, 0x02});
    claimsMore.length = 9;
    EXPECT_EQ(claimsMore.AsText(), "001:01:000 Meta Event:Type =60 01 02 ");
    claimsMore.length = -4;
    EXPECT_EQ(claimsMore.AsText(), "001:01:000 Meta Event:Type =60 ");
}

TEST(EventText, SysexShowsBytesAndYamahaParameterName)
{
    sysexEvent gm(0, 0xF0, 0);
    gm.bytes = {0x7E, 0x7F, 0x09, 0x01, 0xF7};
    EXPECT_EQ(gm.AsText(), "Sysex:Length     5 = 7E 7F 09 01 F7 ");

    sysexEvent xg(0, 0xF0, 0);
    xg.bytes = {0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};
    EXPECT_EQ(xg.AsText(), "Sysex:Length     8 = 43 10 4C 00 00 7E 00 F7 XG SYSTEM ON");
    xg.bytes = {0x43, 0x10};
    EXPECT_EQ(xg.AsText(), "Sysex:Length     2 = 43 10 No Address");

    EXPECT_EQ(sysexEvent(0, 0xF7, 3).AsText(), "Sysex:Length     0 = ");
}
