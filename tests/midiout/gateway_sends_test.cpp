#include <thread>

#include "capturedgateway.h"
#include "mididata/event.h"
#include "midiout/sequenceplayer.h"
#include "platform/midiout.h"

using MidiGatewaySends = CapturedGateway;

TEST_F(MidiGatewaySends, PacksStatusAndDataBytesIntoTheLowThreeBytes)
{
    openDefault();
    EXPECT_EQ(gateway->SendNoteOn(3, 60, 100), 0);
    EXPECT_EQ(gateway->SendControl(1, 0x107, 90), 0);  // only the controller's low 8 bits count

    const auto messages = log->messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].packed, 0x00643C93u);
    EXPECT_EQ(messages[1].bytes, bytesOf({0xB1, 0x07, 0x5A}));
}

TEST_F(MidiGatewaySends, KeepsOnlyTheLowFourBitsOfAChannel)
{
    openDefault();
    gateway->SendNoteOn(-1, 60, 100);  // never a system reset (0xFF)
    gateway->SendPitchBend(0x13, 8192);
    EXPECT_EQ(sent(), (std::vector<Bytes>{bytesOf({0x9F, 60, 100}), bytesOf({0xE3, 0x00, 0x40})}));
}

TEST_F(MidiGatewaySends, SendsBankSelectOnlyForTheBanksGiven)
{
    openDefault();
    EXPECT_EQ(gateway->SendProgram(2, -1, -1, 40), 0);
    EXPECT_EQ(sent(), std::vector<Bytes>{bytesOf({0xC2, 0x28})});

    log->clear();
    gateway->SendProgram(1, 3, 4, 5);
    gateway->SendProgram(0, 8, -1, 6);
    gateway->SendProgram(0, -1, 2, 7);
    EXPECT_EQ(sent(), (std::vector<Bytes>{bytesOf({0xB1, 0x00, 0x03}), bytesOf({0xB1, 0x20, 0x04}),
                                          bytesOf({0xC1, 0x05}), bytesOf({0xB0, 0x00, 0x08}), bytesOf({0xC0, 0x06}),
                                          bytesOf({0xB0, 0x20, 0x02}), bytesOf({0xC0, 0x07})}));
}

TEST_F(MidiGatewaySends, SplitsPitchBendIntoLowAndHighSevenBits)
{
    openDefault();
    gateway->SendPitchBend(0, 8192);
    gateway->SendPitchBend(0, 0);
    gateway->SendPitchBend(0, 16383);
    gateway->SendPitchBend(5, 1000);
    EXPECT_EQ(sent(), (std::vector<Bytes>{bytesOf({0xE0, 0x00, 0x40}), bytesOf({0xE0, 0x00, 0x00}),
                                          bytesOf({0xE0, 0x7F, 0x7F}), bytesOf({0xE5, 1000 & 0x7F, 1000 >> 7})}));
}

TEST_F(MidiGatewaySends, SoundOffAllResetsEveryChannelInAscendingOrder)
{
    openDefault();
    gateway->SoundOffAll();
    std::vector<Bytes> expected;
    for (int channel = 0; channel < 16; ++channel) {
        expected.push_back(bytesOf({0xB0 | channel, 0x78, 0x00}));
        expected.push_back(bytesOf({0xB0 | channel, 0x79, 0x00}));
    }
    EXPECT_EQ(sent(), expected);
}

TEST_F(MidiGatewaySends, ShortSendsWithoutADeviceFailSilently)
{
    EXPECT_EQ(gateway->SendNoteOn(0, 60, 100), int(platform::MidiInvalidHandle));
    EXPECT_EQ(gateway->SendProgram(0, 1, 2, 3), int(platform::MidiInvalidHandle));
    EXPECT_EQ(log->size(), 0u);
    EXPECT_TRUE(sink.texts().empty());
}

TEST_F(MidiGatewaySends, SendsSystemExclusiveAsStatusThenItsBytes)
{
    openDefault();
    sysexEvent gmOn(0, 0xF0, 0);
    gmOn.bytes = bytesOf({0x7E, 0x7F, 0x09, 0x01, 0xF7});
    sysexEvent escape(0, 0xF7, 1);
    escape.bytes = bytesOf({0xF3, 0x01});
    gateway->SendSysEx(gmOn);
    gateway->SendSysEx(escape);

    const auto messages = log->messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(messages[0].isLong);
    EXPECT_EQ(messages[0].bytes, bytesOf({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
    EXPECT_EQ(messages[1].bytes, bytesOf({0xF7, 0xF3, 0x01}));
    EXPECT_TRUE(sink.texts().empty());
}

TEST_F(MidiGatewaySends, ReportsTheDevicesTextWhenSystemExclusiveFails)
{
    sysexEvent gmOn(0, 0xF0, 0);
    gmOn.bytes = bytesOf({0x7E, 0x7F, 0x09, 0x01, 0xF7});
    gateway->SendSysEx(gmOn);
    EXPECT_EQ(sink.texts(), std::vector<std::string>{platform::midiOutGetErrorText(platform::MidiInvalidHandle)});

    openDefault();
    log->setLongMessageResult(platform::MidiSendFailed);
    gateway->SendSysEx(gmOn);
    EXPECT_EQ(sink.texts(), (std::vector<std::string>{platform::midiOutGetErrorText(platform::MidiInvalidHandle),
                                                      platform::midiOutGetErrorText(platform::MidiSendFailed)}));
    EXPECT_EQ(log->size(), 0u);
}

TEST_F(MidiGatewaySends, KeepsSystemExclusiveMessagesWholeWhenTwoThreadsSend)
{
    openDefault();
    sysexEvent first(0, 0xF0, 0);
    first.bytes = bytesOf({0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7});
    sysexEvent second(0, 0xF0, 1);
    second.bytes = bytesOf({0x7E, 0x7F, 0x09, 0x01, 0xF7});
    constexpr int kEach = 200;
    std::thread other([&] {
        for (int i = 0; i < kEach; ++i)
            gateway->SendSysEx(second);
    });
    for (int i = 0; i < kEach; ++i)
        gateway->SendSysEx(first);
    other.join();

    Bytes firstWire = bytesOf({0xF0});
    firstWire.insert(firstWire.end(), first.bytes.begin(), first.bytes.end());
    Bytes secondWire = bytesOf({0xF0});
    secondWire.insert(secondWire.end(), second.bytes.begin(), second.bytes.end());
    int firsts = 0, seconds = 0;
    for (const Bytes& b : sent()) {
        firsts += b == firstWire;
        seconds += b == secondWire;
    }
    EXPECT_EQ(firsts, kEach);
    EXPECT_EQ(seconds, kEach);
}

TEST_F(MidiGatewaySends, SendsEachSongEventByItsStatus)
{
    openDefault();
    NoteOnEvent on(0, 2);
    on.key = 60;
    on.velocity = 100;
    NoteOffEvent off(0, 3);
    off.status = 0x83;  // as a note-off with its own status byte
    off.key = 61;
    off.velocity = 64;
    ControlChangeEvent control(0, 4);
    control.controller = 7;
    control.value = 99;
    ProgramChangeEvent program(0, 5);
    program.program = 40;
    PitchBendEvent bend(0, 6);
    bend.bend = 16383;
    PolyAfterEvent poly(0, 1);
    poly.key = 60;
    poly.velocity = 10;
    ChannelAfterTouchEvent pressure(0, 1);
    pressure.pressure = 50;
    sysexEvent sysex(0, 0xF0, 0);
    sysex.bytes = bytesOf({0x7E, 0x7F, 0x09, 0x01, 0xF7});
    trackNameEvent name(0);
    name.setText("Piano");
    MIDIEvent unfit(0, 0x90);  // a note status on an event without note fields

    for (const anyEvent* e : std::initializer_list<const anyEvent*>{&on, &off, &control, &program, &bend, &poly,
                                                                    &pressure, &sysex, &name, &unfit})
        gateway->SendEvent(*e);
    EXPECT_EQ(sent(), (std::vector<Bytes>{bytesOf({0x92, 60, 100}), bytesOf({0x83, 61, 64}), bytesOf({0xB4, 7, 99}),
                                          bytesOf({0xC5, 40}), bytesOf({0xE6, 0x7F, 0x7F}),
                                          bytesOf({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7})}));
}

TEST_F(MidiGatewaySends, SetTempoEventsChangeThePlayersTempoAndSendNothing)
{
    openDefault();
    TempoEvent tempo(0, 0x51, 400000);
    gateway->SendEvent(tempo);
    EXPECT_EQ(gateway->Player().Tempo(), 400000);

    TempoEvent empty(0);  // no data: the default tempo
    gateway->SendEvent(empty);
    EXPECT_EQ(gateway->Player().Tempo(), 500000);
    EXPECT_TRUE(empty.data.empty());  // read, not filled in

    metaEvent huge(0, 0x51);  // four bytes: more than a tempo can hold
    huge.data = bytesOf({0x7F, 0xFF, 0xFF, 0xFF});
    huge.length = 4;
    gateway->SendEvent(huge);
    EXPECT_EQ(gateway->Player().Tempo(), SequencePlayer::kMaxTempo);
    EXPECT_EQ(log->size(), 0u);
}
