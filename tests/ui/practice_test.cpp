// The Practice menu on the main window: your part left out and played by the
// instrument in its sound, the guide notes, the settings in orvelline.ini and
// a practice take recorded on the song's clock and saved with the song.
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTextStream>

#include <algorithm>

#include "app/intonationwindow.h"
#include "app/practicemenu.h"
#include "app/widgets.h"
#include "mainwindow_fixture.h"
#include "mididata/smf_test_support.h"
#include "perform/intonation.h"
#include "perform/ui/guidenotes.h"

namespace {

using smftest::timed;

class PracticeWindow : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        Performer().Entries.clear();
    }

    void readSong(const smftest::Bytes& bytes)
    {
        const QString path = folderPath() + QStringLiteral("song.mid");
        smftest::writeFile(path.toStdString(), bytes);
        form->OpenDialog1 = [path] { return path; };
        form->OpenMIDI->trigger();
    }

    // A lead on channel 1 with program 40 and a bass on channel 2, each one note
    // of `ticks` at 120 beats a minute.
    static smftest::Bytes band(std::int32_t ticks)
    {
        return smftest::smf(
            1, {
                   timed({{0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}}}),
                   timed({{0, {0xFF, 0x03, 0x04, 'L', 'e', 'a', 'd'}},
                          {0, {0xC0, 40}},
                          {0, {0x90, 69, 100}},
                          {ticks, {0x80, 69, 0}}}),
                   timed({{0, {0xFF, 0x03, 0x04, 'B', 'a', 's', 's'}}, {0, {0x91, 36, 100}}, {ticks, {0x81, 36, 0}}}),
               });
    }

    QAction* entry(QMenu* menu, const QString& text) const
    {
        for (QAction* a : menu->actions())
            if (a->text() == text)
                return a;
        return nullptr;
    }

    static QStringList captions(QMenu* menu)
    {
        QStringList texts;
        for (QAction* a : menu->actions())
            texts << a->text();
        return texts;
    }

    GuideNotes* guide() const { return form->findChild<GuideNotes*>(QStringLiteral("GuideNotes")); }
};

}  // namespace

TEST_F(PracticeWindow, YourPartIsLeftOutOfTheSongAndPlayedInItsOwnSound)
{
    readSong(band(240));
    PracticeMenu* practice = form->Practice;
    EXPECT_EQ(captions(practice->YourPart), (QStringList{"None", "1 Lead (ch 1)", "2 Bass (ch 2)"}));
    clearCaptured();

    entry(practice->YourPart, QStringLiteral("1 Lead (ch 1)"))->trigger();

    EXPECT_EQ(form->channnelText->text(), QStringLiteral("1"));
    const std::vector<Bytes> sent = captured();
    EXPECT_NE(std::find(sent.begin(), sent.end(), Bytes{0xC0, 40}), sent.end());

    clearCaptured();
    form->PlayMIDI->trigger();
    ASSERT_TRUE(waitUntil([] { return !Performer().IsReplaying(); }));
    const std::vector<Bytes> played = captured();
    EXPECT_NE(std::find(played.begin(), played.end(), Bytes{0x91, 36, 100}), played.end());
    EXPECT_EQ(std::find(played.begin(), played.end(), Bytes{0x90, 69, 100}), played.end());

    // Reading a song again chooses no part.
    readSong(band(240));
    EXPECT_EQ(form->Practice->choices().part, PracticeChoices::kNoPart);
}

TEST_F(PracticeWindow, GuideNotesShowYourPartWhileTheSongPlaysAndGoWhenItStops)
{
    readSong(band(480 * 16));  // eight seconds
    form->Practice->choosePart(1);
    form->PlayMIDI->trigger();
    GuideNotes* notes = guide();
    ASSERT_NE(notes, nullptr);
    ASSERT_TRUE(waitUntil([notes] { return notes->shown().current == 69; }));
    EXPECT_TRUE(notes->isVisible());

    form->Stop->trigger();
    ASSERT_TRUE(waitUntil([notes] { return !notes->isVisible(); }));
    EXPECT_EQ(notes->shown().current, -1);
}

TEST_F(PracticeWindow, CountInLoopAndTempoAreKeptInTheSettingsFileKeyByKey)
{
    form->Practice->setCountIn(true);
    form->Practice->AskBar = [](const QString&, int) { return 3; };
    form->Practice->LoopFrom->trigger();
    form->Practice->AskBar = [](const QString&, int) { return 5; };
    form->Practice->LoopTo->trigger();
    entry(form->Practice->Tempo, QStringLiteral("70 %"))->trigger();

    restartProgram();
    PracticeChoices kept = form->Practice->choices();
    EXPECT_TRUE(kept.countIn);
    EXPECT_EQ(kept.loopFrom, 3);
    EXPECT_EQ(kept.loopTo, 5);
    EXPECT_EQ(kept.tempoPercent, 70);
    EXPECT_TRUE(form->Practice->CountIn->isChecked());
    EXPECT_EQ(form->Practice->LoopFrom->text(), QStringLiteral("Loop from bar 3..."));
    EXPECT_TRUE(messages.isEmpty());

    // A bad tempo costs that key alone, and says where it is.
    QFile ini(folderPath() + QStringLiteral("orvelline.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(ini.readAll());
    ini.close();
    text.replace(QStringLiteral("Tempo=70"), QStringLiteral("Tempo=fast"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write(text.toUtf8());
    ini.close();
    restartProgram();
    kept = form->Practice->choices();
    EXPECT_EQ(kept.tempoPercent, 100);
    EXPECT_EQ(kept.loopTo, 5);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("orvelline.ini"))) << messages[0].toStdString();
}

TEST_F(PracticeWindow, APracticeTakeIsSavedWithTheSongsTracksAndReadByTheReport)
{
    readSong(band(480 * 8));  // four seconds
    // A recording made while no song plays is no practice take.
    form->ArecStart->trigger();
    form->ArecEnd->trigger();
    form->Practice->SaveTake->trigger();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("No practice take yet")));
    messages.clear();

    form->Practice->choosePart(1);
    form->PlayMIDI->trigger();
    ASSERT_TRUE(Performer().IsReplaying());
    form->ArecStart->trigger();
    moveMouse(form->Image4, {form->Image4->width() / 2, form->Image4->height() / 2});
    QTest::qWait(300);
    moveMouse(form->Panel1, {2, 2});
    form->ArecEnd->trigger();
    form->Stop->trigger();
    ASSERT_TRUE(form->Practice->hasTake());

    const QString path = folderPath() + QStringLiteral("take.mid");
    form->SaveDialog1 = [path] { return path; };
    form->Practice->SaveTake->trigger();

    EXPECT_TRUE(messages.isEmpty());
    midiSong take;
    take.load(path.toStdString());
    EXPECT_EQ(take.format, 1);
    ASSERT_EQ(take.tracks.size(), 4u);
    const midiTrack* played = takeTrackOf(take);
    ASSERT_NE(played, nullptr);
    EXPECT_EQ(played->name, kPracticeTakeTrackName);
    EXPECT_EQ(played->number, 3);

    form->Practice->Report->trigger();
    auto* report = form->findChild<IntonationWindow*>(QStringLiteral("IntonationWindow"));
    ASSERT_NE(report, nullptr);
    EXPECT_TRUE(report->isVisible());
    EXPECT_EQ(report->Pass->count(), 1);
    EXPECT_TRUE(report->Summary->horizontalHeaderItem(0)->text().contains(QStringLiteral("best")));

    // Export writes the table and the picture; Close closes.
    const QString csv = folderPath() + QStringLiteral("report.csv"), png = folderPath() + QStringLiteral("report.png");
    report->AskExportPath = [csv](const QString&) { return csv; };
    report->ExportCsv->click();
    report->AskExportPath = [png](const QString&) { return png; };
    report->ExportPng->click();
    QFile table(csv);
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    EXPECT_TRUE(table.readLine().startsWith("pass,start_s,end_s,note,name"));
    EXPECT_TRUE(table.readLine().startsWith("1,0.000,"));
    EXPECT_FALSE(QImage(png).isNull());
    report->AskExportPath = [this](const QString&) { return folderPath() + QStringLiteral("no/such/report.csv"); };
    report->ExportCsv->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Could not write"))) << messages[0].toStdString();
    report->Close->click();
    EXPECT_FALSE(report->isVisible());

    // The pass went into the practice log once, however often the report opens.
    form->Practice->Report->trigger();
    QFile practiceLog(folderPath() + QStringLiteral("practice-log.csv"));
    ASSERT_TRUE(practiceLog.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = practiceLog.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3) << "heading, one pass, and the final line end";
    EXPECT_TRUE(lines[1].contains(",song.mid,1,1,100,1,")) << lines[1].toStdString();
    EXPECT_TRUE(report->Trend->text().contains(QStringLiteral("Earlier"))) << report->Trend->text().toStdString();
}

TEST_F(PracticeWindow, ALoopOutsideTheSongOrBackwardsIsRefusedAndThePlayingSongShowsWhereItIs)
{
    readSong(band(480 * 8));  // two bars
    EXPECT_EQ(form->windowTitle(), QStringLiteral("O r v e l l i n e - song.mid"));
    form->Practice->AskBar = [](const QString&, int) { return 5; };
    form->Practice->LoopFrom->trigger();
    form->Practice->setLoop(2, 1);
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0], QStringLiteral("The song has 2 bars: a loop lies within bars 1 to 2."));
    EXPECT_TRUE(messages[1].contains(QStringLiteral("comes before its first"))) << messages[1].toStdString();
    EXPECT_FALSE(form->Practice->choices().loops());

    form->Practice->setLoop(2, 2);
    EXPECT_TRUE(form->Practice->choices().loops());
    form->PlayMIDI->trigger();
    QLabel* position = form->Practice->Position;
    ASSERT_TRUE(waitUntil([position] { return position->text().startsWith(QStringLiteral("Bar 2:")); }))
        << position->text().toStdString();
    EXPECT_TRUE(position->text().endsWith(QStringLiteral("pass 1"))) << position->text().toStdString();
    form->Stop->trigger();
    ASSERT_TRUE(waitUntil([position] { return position->text().isEmpty(); }));
}
