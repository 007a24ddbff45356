#include "capturedperformer.h"

#include "mididata/messagesink.h"
#include "platform/clock.h"

#include <string>

namespace {

class TVidizeRecording : public CapturedPerformer {};
class TVidizeConstruction : public CapturedPerformer {};

using KV = std::pair<std::int32_t, std::int32_t>;

void touchEverything(TVidize& p)
{
    p.SetProgram(0, 1, 2);
    p.SetChannelVolume(3);
    p.NoteOn();
    p.NoteOff();
    p.SetVelocity(4);
    p.SetPitchBendRange(5);
    p.SetPitchBend(6);
    p.SetExpression(7);
    p.SetModulation(8);
    p.SetReverb(9);
    p.SetChorus(10);
    p.SetNote(11);
}

void noPause(std::uint32_t) {}

}  // namespace

TEST_F(TVidizeRecording, RecordsEveryChangeOnlyWhileTheRecordingBitIsSet)
{
    initialised(false);
    touchEverything(*performer);
    EXPECT_FALSE(performer->HasRecording());
    EXPECT_FALSE(performer->IsRecording());

    performer->InitSound();
    performer->PerformerFlags |= TVidize::kRecording;
    EXPECT_TRUE(performer->IsRecording());
    touchEverything(*performer);

    EXPECT_EQ(kindsAndValues(*performer), (std::vector<KV>{{0, 2 << 16 | 1 << 8 | 0},
                                                           {1, 3},
                                                           {2, 0},
                                                           {3, 0},
                                                           {4, 4},
                                                           {5, 5},
                                                           {6, 6},
                                                           {7, 7},
                                                           {8, 8},
                                                           {9, 9},
                                                           {10, 10},
                                                           {11, 69 << 8 | 11}}));
    EXPECT_EQ(performer->CurrentEntry, &performer->Entries.back());

    performer->PerformerFlags &= ~TVidize::kRecording;
    performer->InitSound();
    touchEverything(*performer);
    EXPECT_EQ(performer->Entries.size(), 12u);
    EXPECT_TRUE(performer->HasRecording());
}

TEST_F(TVidizeRecording, InitSoundEndsARecordingButKeepsItsEntries)
{
    initialised(true);
    performer->SetVelocity(50);

    performer->InitSound();
    performer->SetVelocity(60);

    EXPECT_FALSE(performer->IsRecording());
    EXPECT_EQ(kindsAndValues(*performer), (std::vector<KV>{{4, 50}}));
}

TEST_F(TVidizeRecording, StopsWithAMessageWhenTheRecordingCannotGrow)
{
    std::vector<std::string> shown;
    MessageSink previous = setMessageSink([&](const std::string& text) { shown.push_back(text); });
    initialised(true);
    performer->setEntryLimit(2);

    performer->SetVelocity(1);
    performer->SetVelocity(2);
    performer->SetVelocity(3);
    performer->SetVelocity(4);
    const bool appended = performer->AppendEntry(4, 5);
    setMessageSink(std::move(previous));

    EXPECT_FALSE(performer->IsRecording());
    EXPECT_EQ(kindsAndValues(*performer), (std::vector<KV>{{4, 1}, {4, 2}}));
    EXPECT_EQ(performer->CurrentEntry, &performer->Entries.back());
    EXPECT_FALSE(appended);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], "Not enough memory to go on recording. Recording stopped; what was recorded is kept.");
}

TEST(TVidizeAppendEntry, TimesEntriesByTheUnsignedClockDifferenceAcrossAWrap)
{
    std::uint32_t now = 20;
    TVidize performer(nullptr, noPause, [&now] { return now; });
    performer.LastTime = 0xFFFFFFF6u;
    EXPECT_TRUE(performer.AppendEntry(6, 9000));

    // 10 ms up to the wrap and NowTime after it.
    ASSERT_EQ(performer.Entries.size(), 1u);
    EXPECT_EQ(performer.NowTime, 20u);
    EXPECT_EQ(performer.Entries[0].delta, 30u);
    EXPECT_EQ(performer.Entries[0].kind, 6);
    EXPECT_EQ(performer.Entries[0].value, 9000);
    EXPECT_EQ(performer.LastTime, 20u);

    performer.LastTime = 0xFFFFFFFFu;
    now = 2;
    performer.AppendEntry(7, 1);
    EXPECT_EQ(performer.Entries[1].delta, 3u);
}

TEST(TVidizeAppendEntry, AppendsWithoutARecordingAndKeepsEarlierEntriesInPlace)
{
    TVidize performer(nullptr, noPause);
    EXPECT_FALSE(performer.IsRecording());

    ASSERT_TRUE(performer.AppendEntry(0, 1));
    const RecordEntry* first = performer.CurrentEntry;
    for (int i = 0; i < 5000; ++i)
        performer.AppendEntry(6, i);

    EXPECT_EQ(performer.Entries.size(), 5001u);
    EXPECT_EQ(first, &performer.Entries.front());
    EXPECT_EQ(first->value, 1);
    EXPECT_EQ(performer.CurrentEntry->value, 4999);
}

TEST_F(TVidizeConstruction, StartsSilentAndZeroedAndWorksWithoutAGateway)
{
    std::vector<std::uint32_t> slept;
    TVidize detached(nullptr, [&](std::uint32_t ms) { slept.push_back(ms); });

    EXPECT_EQ(detached.gateway(), nullptr);
    EXPECT_EQ(detached.PerformerFlags, 0u);
    EXPECT_EQ(detached.Note, 0);
    EXPECT_EQ(detached.PitchBend, 0);
    EXPECT_EQ(detached.ProgramNo, 0);
    EXPECT_FALSE(detached.HasRecording());
    EXPECT_EQ(detached.CurrentEntry, nullptr);

    // Without a gateway the messages are lost, but the state, the pauses and
    // the recording go on as with one.
    detached.InitSound();
    detached.PerformerFlags |= TVidize::kRecording;
    detached.NoteOn();
    detached.SetPitchBend(100);
    EXPECT_EQ(log->size(), 0u);
    EXPECT_EQ(slept, (std::vector<std::uint32_t>{50, 2, 2, 2, 2}));
    EXPECT_EQ(detached.PitchBend, 100);
    EXPECT_EQ(detached.Entries.size(), 2u);
}
