#include "capturedperformer.h"

#include "mididata/messagesink.h"
#include "platform/clock.h"
#include "platform/status.h"

#include <string>

namespace {

class TVidizeInitSound : public CapturedPerformer {};
class TVidizeNotes : public CapturedPerformer {};
class TVidizeSetters : public CapturedPerformer {};
class TVidizeChannel : public CapturedPerformer {};

using KV = std::pair<std::int32_t, std::int32_t>;

}  // namespace

TEST_F(TVidizeInitSound, SendsSystemOnProgramAndBendRangeOnChannelOneAndSetsTheDefaults)
{
    performer->Channel = 5;
    performer->Note = 40;
    performer->PitchBend = 3;
    performer->PerformerFlags = TVidize::kNoteSounding | TVidize::kRecording;

    performer->InitSound();

    // No note-off for the note that was sounding, and nothing recorded.
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7},
                                          {0xB0, 0x00, 0x00},
                                          {0xB0, 0x20, 0x00},
                                          {0xC0, 78},
                                          {0xB0, 101, 0},
                                          {0xB0, 100, 0},
                                          {0xB0, 6, 12}}));
    EXPECT_EQ(pauses, (std::vector<NotedPause>{{50, 1}, {2, 5}, {2, 6}, {2, 7}}));
    EXPECT_TRUE(performer->Entries.empty());
    EXPECT_EQ(performer->PerformerFlags, 0u);

    const TVidize& p = *performer;
    EXPECT_EQ(p.Channel, 0);
    EXPECT_EQ(p.ProgramNo, 78);
    EXPECT_EQ(p.BankMSB, 0);
    EXPECT_EQ(p.BankLSB, 0);
    EXPECT_EQ(p.ChannelVolume, 100);
    EXPECT_EQ(p.Note, 69);
    EXPECT_EQ(p.Velocity, 120);
    EXPECT_EQ(p.PitchBendRange, 12);
    EXPECT_EQ(p.ModulationDepth, 0);
    EXPECT_EQ(p.ReverbLevel, 40);
    EXPECT_EQ(p.ChorusLevel, 0);
    EXPECT_EQ(p.ExpressionLevel, 127);
    EXPECT_EQ(p.PitchBend, 8192);
}

TEST_F(TVidizeInitSound, WaitsAfterSystemOnAndAfterEachRangeMessage)
{
    TVidize sleeping(gateway.get());

    sleeping.InitSound();
    const std::int64_t returned = platform::nowMicros();

    const std::vector<platform::CapturedMessage> m = log->messages();
    ASSERT_EQ(m.size(), 7u);
    EXPECT_TRUE(m[0].isLong);
    EXPECT_GE(m[1].micros - m[0].micros, 50000);
    EXPECT_GE(m[5].micros - m[4].micros, 2000);
    EXPECT_GE(m[6].micros - m[5].micros, 2000);
    EXPECT_GE(returned - m[6].micros, 2000);
}

TEST_F(TVidizeInitSound, GoesOnWhenSystemOnCannotBeSent)
{
    std::vector<std::string> shown;
    MessageSink previous = setMessageSink([&](const std::string& text) { shown.push_back(text); });
    log->setLongMessageResult(platform::MidiSendFailed);

    performer->InitSound();
    setMessageSink(std::move(previous));

    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(sent(),
              (std::vector<Bytes>{
                  {0xB0, 0x00, 0x00}, {0xB0, 0x20, 0x00}, {0xC0, 78}, {0xB0, 101, 0}, {0xB0, 100, 0}, {0xB0, 6, 12}}));
    EXPECT_EQ(pauses.front(), (NotedPause{50, 0}));
}

TEST_F(TVidizeSetters, PitchBendIsSentPausedAndRecordedOnlyWhenItChanges)
{
    initialised(true);

    performer->SetPitchBend(8192);
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(pauses.empty());
    EXPECT_TRUE(performer->Entries.empty());

    performer->SetPitchBend(8193);
    performer->SetPitchBend(8193);
    performer->SetPitchBend(0);
    performer->SetPitchBend(16383);

    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xE0, 0x01, 0x40}, {0xE0, 0x00, 0x00}, {0xE0, 0x7F, 0x7F}}));
    EXPECT_EQ(pauses, (std::vector<NotedPause>{{2, 1}, {2, 2}, {2, 3}}));
    EXPECT_EQ(kindsAndValues(*performer), (std::vector<KV>{{6, 8193}, {6, 0}, {6, 16383}}));
    EXPECT_EQ(performer->PitchBend, 16383);
}

TEST_F(TVidizeSetters, ExpressionIsSentPausedAndRecordedOnlyWhenItChanges)
{
    initialised(true);

    performer->SetExpression(127);
    performer->SetExpression(64);
    performer->SetExpression(64);
    performer->SetExpression(0);

    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xB0, 11, 64}, {0xB0, 11, 0}}));
    EXPECT_EQ(pauses, (std::vector<NotedPause>{{2, 1}, {2, 2}}));
    EXPECT_EQ(kindsAndValues(*performer), (std::vector<KV>{{7, 64}, {7, 0}}));
    EXPECT_EQ(performer->ExpressionLevel, 0);
}

TEST_F(TVidizeSetters, ProgramSendsBankSelectThenProgramAndRecordsThePackedValue)
{
    initialised(true);

    performer->SetProgram(1, 2, 3);
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xB0, 0x00, 1}, {0xB0, 0x20, 2}, {0xC0, 3}}));
    EXPECT_EQ(kindsAndValues(*performer), (std::vector<KV>{{0, 3 << 16 | 2 << 8 | 1}}));

    // A bank byte of -1 is left out on the wire; the fields keep its low byte.
    forget();
    performer->SetProgram(-1, -1, 40);
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xC0, 40}}));
    EXPECT_EQ(performer->BankMSB, 0xFF);
    EXPECT_EQ(performer->BankLSB, 0xFF);
    EXPECT_EQ(performer->ProgramNo, 40);
    EXPECT_EQ(performer->Entries.back().value, 40 << 16 | 0xFF << 8 | 0xFF);
    EXPECT_TRUE(pauses.empty());

    // Resending every setting keeps the left-out bank left out: 0xFF is no data byte.
    forget();
    performer->SendAll();
    EXPECT_EQ(sent().front(), (Bytes{0xC0, 40}));
}

TEST_F(TVidizeSetters, BendRangeSendsRegisteredParameterZeroPausingAfterEachMessage)
{
    initialised(true);

    performer->SetPitchBendRange(24);

    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xB0, 101, 0}, {0xB0, 100, 0}, {0xB0, 6, 24}}));
    EXPECT_EQ(pauses, (std::vector<NotedPause>{{2, 1}, {2, 2}, {2, 3}}));
    EXPECT_EQ(performer->PitchBendRange, 24);
    EXPECT_EQ(kindsAndValues(*performer), (std::vector<KV>{{5, 24}}));
}

TEST_F(TVidizeSetters, ControllersAreSentEvenWhenUnchangedAndOnlyVolumePauses)
{
    initialised(true);

    performer->SetChannelVolume(90);
    performer->SetChannelVolume(90);
    performer->SetModulation(84);
    performer->SetModulation(84);
    performer->SetReverb(40);
    performer->SetChorus(7);

    EXPECT_EQ(sent(), (std::vector<Bytes>{
                          {0xB0, 7, 90}, {0xB0, 7, 90}, {0xB0, 1, 84}, {0xB0, 1, 84}, {0xB0, 91, 40}, {0xB0, 93, 7}}));
    EXPECT_EQ(pauses, (std::vector<NotedPause>{{2, 1}, {2, 2}}));
    EXPECT_EQ(kindsAndValues(*performer), (std::vector<KV>{{1, 90}, {1, 90}, {8, 84}, {8, 84}, {9, 40}, {10, 7}}));
    EXPECT_EQ(performer->ChannelVolume, 90);
    EXPECT_EQ(performer->ModulationDepth, 84);
    EXPECT_EQ(performer->ReverbLevel, 40);
    EXPECT_EQ(performer->ChorusLevel, 7);
}

TEST_F(TVidizeSetters, VelocityIsOnlyStoredAndRecordedUntilTheNextNoteOn)
{
    initialised(true);

    performer->SetVelocity(100);
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(kindsAndValues(*performer), (std::vector<KV>{{4, 100}}));

    performer->NoteOn();
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0x90, 69, 100}}));
}

TEST_F(TVidizeNotes, NoteOnStartsTheNoteOnceAndNoteOffEndsItWithVelocityZero)
{
    initialised(true);

    performer->NoteOff();
    performer->NoteOn();
    performer->NoteOn();
    EXPECT_EQ(performer->PerformerFlags & TVidize::kNoteSounding, TVidize::kNoteSounding);
    performer->NoteOff();
    performer->NoteOff();

    EXPECT_EQ(sent(), (std::vector<Bytes>{{0x90, 69, 120}, {0x90, 69, 0}}));
    EXPECT_EQ(kindsAndValues(*performer), (std::vector<KV>{{2, 0}, {3, 0}}));
    EXPECT_EQ(performer->PerformerFlags & TVidize::kNoteSounding, 0u);
    EXPECT_TRUE(pauses.empty());
}

TEST_F(TVidizeNotes, ChangingTheNoteWhileSoundingEndsTheOldNoteFirst)
{
    initialised(false);

    performer->SetNote(72);
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(performer->Note, 72);

    performer->NoteOn();
    performer->SetNote(72);
    performer->SetNote(60);
    performer->NoteOn();
    performer->NoteOff();

    EXPECT_EQ(sent(), (std::vector<Bytes>{{0x90, 72, 120}, {0x90, 72, 0}, {0x90, 60, 120}, {0x90, 60, 0}}));
}

TEST_F(TVidizeChannel, IgnoresChannelsOutsideZeroToFifteen)
{
    initialised(true);

    performer->SetChannel(16);
    performer->SetChannel(-1);
    performer->SetChannel(255);

    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(pauses.empty());
    EXPECT_TRUE(performer->Entries.empty());
    EXPECT_EQ(performer->Channel, 0);
}

TEST_F(TVidizeChannel, MovesTheVoiceAndResendsEverySettingInOrder)
{
    initialised(true);
    performer->SetModulation(30);
    performer->SetChorus(5);
    performer->SetVelocity(99);
    forget();
    performer->Entries.clear();

    performer->SetChannel(2);

    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xB2, 0x00, 0},
                                          {0xB2, 0x20, 0},
                                          {0xC2, 78},
                                          {0xB2, 101, 0},
                                          {0xB2, 100, 0},
                                          {0xB2, 6, 12},
                                          {0xB2, 7, 100},
                                          {0xB2, 1, 30},
                                          {0xB2, 91, 40},
                                          {0xB2, 93, 5}}));
    EXPECT_EQ(pauses, (std::vector<NotedPause>{{2, 4}, {2, 5}, {2, 6}, {2, 7}}));
    EXPECT_EQ(kindsAndValues(*performer),
              (std::vector<KV>{{0, 78 << 16}, {5, 12}, {4, 99}, {1, 100}, {8, 30}, {9, 40}, {10, 5}}));

    forget();
    performer->NoteOn();
    performer->SetPitchBend(100);
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0x92, 69, 99}, {0xE2, 100, 0}}));
}

TEST_F(TVidizeChannel, ResyncGivesTheToneModuleThePerformersWholeStateAgain)
{
    initialised(true);
    performer->SetChannel(3);
    performer->SetModulation(30);
    performer->SetPitchBend(9000);
    performer->SetExpression(64);
    forget();

    performer->Resync();

    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xB3, 0x00, 0},
                                          {0xB3, 0x20, 0},
                                          {0xC3, 78},
                                          {0xB3, 101, 0},
                                          {0xB3, 100, 0},
                                          {0xB3, 6, 12},
                                          {0xB3, 7, 100},
                                          {0xB3, 1, 30},
                                          {0xB3, 91, 40},
                                          {0xB3, 93, 0},
                                          {0xE3, 9000 & 0x7F, 9000 >> 7},
                                          {0xB3, 11, 64}}));
    // The next movement to the same place sends nothing: the module has it already.
    forget();
    performer->SetPitchBend(9000);
    performer->SetExpression(64);
    EXPECT_TRUE(sent().empty());
}
