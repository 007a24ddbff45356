// The tone module holds what the panel shows after the player has had it: a
// Stop, which resets every controller of every channel, and the end of a
// replay give it the panel again; a replay or a file with no output open
// says so and starts nothing.
#include <QAction>
#include <QEventLoop>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

#include "app/widgets.h"
#include "mainwindow_fixture.h"
#include "mididata/smf_test_support.h"
#include "mididata/song.h"

namespace {

class PanelAgreement : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        Performer().Entries.clear();
        form->Moduration->setValue(50);
        form->Velosity->setValue(30);
        idle();
        messages.clear();
        clearCaptured();
    }

    void TearDown() override
    {
        Performer().StopRecording();
        MainWindowTest::TearDown();
    }

    // The panel as Setup sends it, then the bend and loudness the performer holds.
    static std::vector<Bytes> thePanel()
    {
        return {{0xB0, 0, 0},   {0xB0, 32, 0}, {0xC0, 78},     {0xB0, 101, 0}, {0xB0, 100, 0}, {0xB0, 6, 12},
                {0xB0, 7, 120}, {0xB0, 1, 50}, {0xB0, 91, 40}, {0xB0, 93, 0},  {0xE0, 0, 64},  {0xB0, 11, 127}};
    }

    // The messages sent after the last reset-all-controllers of channel 16.
    std::vector<Bytes> afterTheReset() const
    {
        const std::vector<Bytes> all = captured();
        const auto reset = std::find(all.rbegin(), all.rend(), Bytes{0xBF, 121, 0});
        return reset == all.rend() ? std::vector<Bytes>{} : std::vector<Bytes>(reset.base(), all.end());
    }
};

}  // namespace

TEST_F(PanelAgreement, StopGivesTheToneModuleThePanelAgain)
{
    // A recording that plays on for a while, with its own modulation and velocity.
    Performer().Entries.assign({{0, 8, 0}, {0, 4, 90}, {5000, 7, 20}});
    idle();
    QTest::mouseClick(form->recReplay, Qt::LeftButton);
    ASSERT_TRUE(Performer().IsReplaying());
    EXPECT_EQ(Performer().Velocity, 30) << "building the song leaves the panel's velocity";

    idle();
    QTest::mouseClick(form->StopButton, Qt::LeftButton);
    EXPECT_FALSE(Performer().IsReplaying());
    EXPECT_EQ(afterTheReset(), thePanel());
    EXPECT_FALSE(form->Timer1->isActive());
}

TEST_F(PanelAgreement, TheEndOfAReplayGivesTheToneModuleThePanelAgain)
{
    Performer().Entries.assign({{0, 8, 0}, {0, 5, 2}, {30, 7, 20}});
    idle();
    QTest::mouseClick(form->recReplay, Qt::LeftButton);
    ASSERT_TRUE(waitUntil([this] { return !form->Timer1->isActive(); }));
    const std::vector<Bytes> all = captured();
    ASSERT_GE(all.size(), thePanel().size());
    EXPECT_EQ(std::vector<Bytes>(all.end() - std::ptrdiff_t(thePanel().size()), all.end()), thePanel());
}

TEST_F(PanelAgreement, WithNoOutputOpenReplayAndPlayMidiSaySoAndStartNothing)
{
    device->gateway().CloseDevice();
    Performer().Entries.assign({{0, 7, 10}, {5000, 7, 20}});
    idle();
    form->ArePlay->trigger();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("No MIDI output is open"))) << messages[0].toStdString();
    EXPECT_FALSE(form->Timer1->isActive()) << "no status text that never ends";
    EXPECT_FALSE(Performer().IsReplaying());

    messages.clear();
    const QString path = folderPath() + QStringLiteral("empty.mid");
    smftest::writeFile(path.toStdString(), smftest::smf(0, {smftest::timed({})}));
    form->ReadMidiFile(path);
    messages.clear();
    idle();
    form->PlayMIDI->trigger();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("No MIDI output is open")));
    idle();
    EXPECT_FALSE(form->Stop->isEnabled());
}

TEST_F(PanelAgreement, ARecordingKeepsTheNotesAsPlayedAcrossAChangeOfTheCentreNote)
{
    idle();
    QTest::mouseClick(form->SpeedButton1, Qt::LeftButton);
    ASSERT_TRUE(Performer().IsRecording());
    moveMouse(form->Image4, {150, 150});  // A4
    // Ends A4; B flat 4 from now on.
    QTest::mouseClick(form->UpDownNoteNo->upButton(), Qt::LeftButton);
    moveMouse(form->Image4, {150, 151});
    moveMouse(form->Panel1, {2, 2});
    idle();
    QTest::mouseClick(form->recEndButton, Qt::LeftButton);

    form->UpDownNoteNo->setPosition(60);
    form->UpDownNoteNoClick();
    midiSong song;
    Performer().BuildSong(song);
    std::vector<Bytes> notes;
    for (std::size_t i = 0; i < song.conductor->size(); ++i)
        if (const auto* on = dynamic_cast<const NoteOnEvent*>(song.conductor->at(i)))
            notes.push_back({on->key, on->velocity});
    EXPECT_EQ(notes, (std::vector<Bytes>{{69, 30}, {69, 0}, {70, 30}, {70, 0}}));
}
