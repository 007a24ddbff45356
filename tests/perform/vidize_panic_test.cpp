#include "capturedperformer.h"

namespace {

class TVidizePanic : public CapturedPerformer {
protected:
    // All sound off and reset all controllers on every channel, in order.
    static std::vector<Bytes> soundOffEverywhere()
    {
        std::vector<Bytes> messages;
        for (std::uint8_t channel = 0; channel < 16; ++channel) {
            messages.push_back({std::uint8_t(0xB0 | channel), 0x78, 0x00});
            messages.push_back({std::uint8_t(0xB0 | channel), 0x79, 0x00});
        }
        return messages;
    }
};

using KV = std::pair<std::int32_t, std::int32_t>;

}  // namespace

TEST_F(TVidizePanic, EndsTheNoteSilencesEveryChannelAndKeepsTheModulationDepth)
{
    initialised(false);
    performer->SetChannel(3);
    performer->SetModulation(50);
    performer->SetPitchBend(9000);
    performer->SetExpression(64);
    performer->NoteOn();
    forget();

    performer->Panic();

    std::vector<Bytes> expected{{0x93, 69, 0}};
    for (const Bytes& message : soundOffEverywhere())
        expected.push_back(message);
    expected.push_back({0xB3, 1, 50});
    EXPECT_EQ(sent(), expected);
    EXPECT_EQ(performer->PerformerFlags & TVidize::kNoteSounding, 0u);
}

TEST_F(TVidizePanic, TheNextMovementStartsANewNoteAndSendsBendAndLoudnessAgain)
{
    initialised(false);
    performer->SetPitchBend(9000);
    performer->SetExpression(64);
    performer->NoteOn();
    performer->Panic();
    forget();

    // The same place as before the panic: the module was reset, so it must hear it again.
    performer->SetPitchBend(9000);
    performer->SetExpression(64);
    performer->NoteOn();
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xE0, 9000 & 0x7F, 9000 >> 7}, {0xB0, 11, 64}, {0x90, 69, 120}}));
}

TEST_F(TVidizePanic, ARecordingKeepsWhatThePanicDidToTheVoice)
{
    initialised(true);
    performer->SetModulation(20);
    performer->SetPitchBend(9000);
    performer->NoteOn();
    performer->Entries.clear();

    performer->Panic();
    EXPECT_EQ(kindsAndValues(*performer), (std::vector<KV>{{RecordKind::NoteOff, 0},
                                                           {RecordKind::PitchBend, 8192},
                                                           {RecordKind::Expression, 127},
                                                           {RecordKind::Modulation, 20}}));
}

TEST_F(TVidizePanic, WithoutAGatewayOnlyTheStateChanges)
{
    initialised(false);
    performer->NoteOn();
    performer->attach(nullptr);
    forget();
    performer->Panic();
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(performer->PerformerFlags & TVidize::kNoteSounding, 0u);
}
