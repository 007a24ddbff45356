// The main window shows what the session holds: a scale from a file follows
// the next file, the panel shows the part's voice, a take is not lost without
// a question, and Panic ends a song.
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

#include "app/correctioncontrols.h"
#include "app/practicemenu.h"
#include "app/widgets.h"
#include "mainwindow_fixture.h"
#include "mididata/smf_test_support.h"
#include "perform/session.h"

namespace {

using smftest::timed;

class SessionWindow : public MainWindowTest {
protected:
    void readSong(const QString& name, const smftest::Bytes& bytes)
    {
        const QString path = folderPath() + name;
        smftest::writeFile(path.toStdString(), bytes);
        form->OpenDialog1 = [path] { return path; };
        form->OpenMIDI->trigger();
    }

    // The nth line of there.cfg as the window wrote it at its close.
    QString savedLine(int n)
    {
        restartProgram();
        QFile file(settingsPath());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n")).value(n);
    }

    int askedAboutTake = 0;
    void answerTakeQuestion(TForm1::TakeAnswer answer)
    {
        form->AskAboutTake = [this, answer] {
            ++askedAboutTake;
            return answer;
        };
    }
};

TEST_F(SessionWindow, AMajorFileAfterAMinorOneSoundsItsMelodyInMajorAtFullCorrection)
{
    const smftest::Bytes melody = timed({{0, {0x90, 64, 100}}, {480, {0x80, 64, 0}}});
    readSong(QStringLiteral("minor.mid"), smftest::smf(1, {timed({{0, {0xFF, 0x59, 0x02, 0x00, 0x01}}}), melody}));
    readSong(QStringLiteral("major.mid"), smftest::smf(1, {timed({{0, {0xFF, 0x59, 0x02, 0x00, 0x00}}}), melody}));
    form->Correction->chooseStrength(100);

    // E4 lies five semitones below the centre A4.
    const int height = form->Image4->height();
    moveMouse(form->Image4, QPoint(form->Image4->width() / 2, height / 2 + height * 5 / 24));
    EXPECT_TRUE(form->StatusBar1->currentMessage().contains(QStringLiteral("E 4")))
        << form->StatusBar1->currentMessage().toStdString();
    EXPECT_TRUE(form->Correction->ScaleItems[std::size_t(ScaleKind::Major)]->isChecked());
    EXPECT_TRUE(form->GridKeyItems[0]->isChecked()) << "C major ticked";
}

TEST_F(SessionWindow, ThePanelShowsAndSavesTheVoiceOfYourPart)
{
    readSong(QStringLiteral("band.mid"),
             smftest::smf(1, {timed({}), timed({{0, {0xC2, 73}}, {0, {0x92, 72, 100}}, {480, {0x82, 72, 0}}})}));
    QAction* part = nullptr;
    emit form->Practice->YourPart->aboutToShow();
    for (QAction* entry : form->Practice->YourPart->actions())
        if (entry->text() != QStringLiteral("None"))
            part = entry;
    ASSERT_NE(part, nullptr);
    part->trigger();

    EXPECT_EQ(form->ProgChg->currentIndex(), 73);
    EXPECT_EQ(form->channnelText->text(), QStringLiteral("3"));
    EXPECT_EQ(savedLine(7), QStringLiteral("73")) << "there.cfg keeps what the module plays";
}

TEST_F(SessionWindow, AnUnsavedTakeIsAskedAboutBeforeQuitRecStartAndReadingAFile)
{
    form->ArecStart->trigger();
    moveMouse(form->Image4, QPoint(10, 10));
    form->ArecEnd->trigger();

    answerTakeQuestion(TForm1::TakeAnswer::Cancel);
    form->Quit1->trigger();
    EXPECT_EQ(askedAboutTake, 1);
    EXPECT_TRUE(form->isVisible()) << "Cancel keeps the window open";
    form->ArecStart->trigger();
    EXPECT_EQ(askedAboutTake, 2);
    EXPECT_FALSE(session->performer().IsRecording()) << "Cancel keeps the take";
    form->OpenMIDI->trigger();
    EXPECT_EQ(askedAboutTake, 3);

    // Save opens the save dialog; the window closes only after a good save.
    answerTakeQuestion(TForm1::TakeAnswer::Save);
    const QString path = folderPath() + QStringLiteral("take.mid");
    form->SaveDialog1 = [path] { return path; };
    form->Quit1->trigger();
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_FALSE(form->isVisible());
}

TEST_F(SessionWindow, PanicDuringASongStopsTheSong)
{
    readSong(QStringLiteral("long.mid"), smftest::smf(0, {timed({{0, {0x90, 60, 100}}, {48000, {0x80, 60, 0}}})}));
    form->PlayMIDI->trigger();
    ASSERT_TRUE(session->isPlaying());
    form->Panic->trigger();
    EXPECT_FALSE(session->isPlaying());
    idle();
    EXPECT_FALSE(form->Stop->isEnabled());
}

}  // namespace
