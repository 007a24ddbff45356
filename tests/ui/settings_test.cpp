// there.cfg: written whole at close, read back at start through the controls'
// own handlers, and bad files reported once without stopping the program.
#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>

#include <sys/resource.h>

#include <csignal>

#include "app/practicemenu.h"
#include "app/settingslines.h"
#include "app/widgets.h"
#include "mainwindow_fixture.h"
#include "midispec/midispec.h"

namespace {

class Settings : public MainWindowTest {
protected:
    // The designed values, as a first start writes them (window place aside).
    static QStringList designedLines()
    {
        return {"000", "40", "30", "559", "394", "0", "0", "78", "120", "69", "120",
                "0",   "12", "40", "0",   "0",   "0", "",  "",   "",    ""};
    }

    QByteArray fileBytes() const
    {
        QFile file(settingsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Starts the program again with this there.cfg, forgetting what the last run sent and showed.
    void startWith(const QByteArray& text)
    {
        stopProgram();
        QFile file(settingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(text), text.size());
        file.close();
        messages.clear();
        clearCaptured();
        startProgram();
    }

    void startWith(const QStringList& lines) { startWith(settingsFileText(lines)); }

    static QStringList with(QStringList lines, int lineNumber, const QString& value)
    {
        lines[lineNumber - 1] = value;
        return lines;
    }
};

TEST_F(Settings, FirstStartWritesTwentyOneLinesOfDesignedValuesAtClose)
{
    ASSERT_FALSE(QFile::exists(settingsPath()));
    // The client area's place, which the window is given back, not its frame's.
    const QPoint place = form->geometry().topLeft();
    stopProgram();

    const QByteArray text = fileBytes();
    EXPECT_TRUE(text.endsWith("\r\n"));
    EXPECT_EQ(text.count('\n'), 21);
    EXPECT_EQ(text.count("\r\n"), 21);
    QStringList expected = designedLines();
    expected[1] = QString::number(place.y());
    expected[2] = QString::number(place.x());
    EXPECT_EQ(settingsFileLines(text), expected);
    EXPECT_FALSE(QFile::exists(settingsPath() + QStringLiteral(".part")));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Settings, EverySettingSurvivesARestart)
{
    form->move(40, 30);
    form->resize(600, 420);
    enterText(form->BSM, QStringLiteral("1"));
    enterText(form->BSL, QStringLiteral("2"));
    form->ProgChg->setCurrentIndex(5);
    form->Volume->setValue(90);
    form->UpDownNoteNo->setPosition(60);
    form->UpDownNoteNoClick();
    form->Velosity->setValue(100);
    form->Moduration->setValue(14);
    enterText(form->BendRange->lineEdit(), QStringLiteral("24"));
    form->Reverb->setValue(10);
    form->Chorus->setValue(20);
    form->EasyMode->setChecked(true);
    form->XAxTone->setChecked(true);
    form->N21->trigger();
    form->Blue2->trigger();
    form->GridKeyItems[1]->trigger();
    ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    stopProgram();
    const QByteArray written = fileBytes();
    EXPECT_EQ(settingsFileLines(written).mid(5), (QStringList{"1", "2", "5", "90", "60", "100", "14", "24", "10", "20",
                                                              "1", "1", "", "2", "Blue", "G(#x1)"}));

    clearCaptured();
    startProgram();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(form->pos(), QPoint(40, 30));
    EXPECT_EQ(form->size(), QSize(600, 420));
    EXPECT_EQ(form->BSM->text(), QStringLiteral("1"));
    EXPECT_EQ(form->ProgChg->currentIndex(), 5);
    EXPECT_EQ(form->Volume->value(), 90);
    EXPECT_EQ(form->session().axis().centreNote, 60);
    EXPECT_EQ(form->session().axis().rangeSemitones, 24);
    EXPECT_EQ(form->session().axis().unitsPerSemitone, 341);
    EXPECT_EQ(form->Chorus->value(), 20);
    EXPECT_TRUE(form->EasyMode->isChecked());
    EXPECT_TRUE(form->XAxTone->isChecked());
    EXPECT_TRUE(form->Shape3->isVisible());
    EXPECT_TRUE(form->N21->isChecked());
    EXPECT_FALSE(form->N11->isChecked());
    EXPECT_TRUE(form->Blue2->isChecked());
    EXPECT_FALSE(form->Red2->isChecked());
    EXPECT_EQ(form->GridKeyGroup->checkedAction(), form->GridKeyItems[1]);
    EXPECT_EQ(ScaleTable[66], 1);  // G major: F sharp
    EXPECT_EQ(ScaleTable[65], 0);

    // The restore ends by sending the whole panel: the last message is Setup's chorus.
    const auto sent = captured();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), (Bytes{0xB0, 93, 20}));

    stopProgram();
    EXPECT_EQ(fileBytes(), written);
}

TEST_F(Settings, CentreNoteFromTheFileIsShownByItsName)
{
    startWith(with(designedLines(), 10, QStringLiteral("60")));
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(form->UpDownNoteNo->Position, 60);
    EXPECT_EQ(form->session().axis().centreNote, 60);
    EXPECT_EQ(Performer().Note, 60);
    EXPECT_EQ(form->NoteNo->text().trimmed(), QString::fromStdString(NoteName(60)).trimmed());
}

TEST_F(Settings, CaptionsChooseTheirMenuEntriesAndUnknownOnesChangeNothing)
{
    QStringList lines = designedLines();
    lines[18] = QStringLiteral("9");
    lines[19] = QStringLiteral("Blue");
    lines[20] = QStringLiteral("G(#x1)");
    startWith(lines);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(form->N11->isChecked());
    EXPECT_TRUE(form->Blue2->isChecked());
    EXPECT_FALSE(form->Red2->isChecked());
    EXPECT_EQ(form->GridColorName, QStringLiteral("Blue"));
    EXPECT_EQ(form->GridKeyGroup->checkedAction(), form->GridKeyItems[1]);
    EXPECT_EQ(form->GridKeyName, QStringLiteral("G(#x1)"));
}

TEST_F(Settings, PictureFromTheFileIsLoadedAndAMissingOneIsSkippedAndKept)
{
    QImage dark(20, 10, QImage::Format_RGB32);
    dark.fill(Qt::black);
    const QString picturePath = folderPath() + QStringLiteral("dark.bmp");
    ASSERT_TRUE(dark.save(picturePath, "BMP"));
    startWith(with(designedLines(), 18, picturePath));
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(form->Image1->Picture.size(), QSize(20, 10));
    EXPECT_EQ(form->Shape1->Brush, QColor(Qt::black));
    EXPECT_EQ(form->ImageFile, picturePath);

    const QString gone = folderPath() + QStringLiteral("gone.bmp");
    startWith(with(designedLines(), 18, gone));
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(form->Image1->Picture.size(), QSize(300, 300));
    stopProgram();
    EXPECT_EQ(settingsFileLines(fileBytes()).value(17), gone);
}

TEST_F(Settings, ABadLineKeepsItsDefaultTheOthersApplyAndOneMessageNamesThem)
{
    const struct {
        const char* what;
        QStringList lines;
        QList<int> badLines;
        const char* reasonPart;
    } cases[] = {
        {"text in a number line", with(designedLines(), 9, "abc"), {9}, "'abc'"},
        {"note out of range", with(designedLines(), 10, "200"), {10}, "200 is outside 24 to 103"},
        {"bank the handler refuses", with(designedLines(), 6, "x"), {6}, "'x'"},
        {"range no module takes", with(designedLines(), 13, "0"), {13}, "'0' is not a bend range"},
        {"range that is no number", with(with(designedLines(), 13, "1q"), 7, "300"), {7, 13}, "'1q'"},
    };
    for (const auto& bad : cases) {
        SCOPED_TRACE(bad.what);
        // Lines after every fault: instrument, velocity, reverb, both boxes, grid key.
        QStringList lines = with(with(with(bad.lines, 8, "5"), 11, "77"), 14, "9");
        lines = with(with(with(lines, 16, "1"), 17, "1"), 21, "G(#x1)");
        startWith(lines);
        ASSERT_EQ(messages.size(), 1) << messages.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(messages[0].contains(settingsPath()));
        for (int line : bad.badLines)
            EXPECT_TRUE(messages[0].contains(QStringLiteral("line %1 (").arg(line))) << messages[0].toStdString();
        EXPECT_TRUE(messages[0].contains(QLatin1String(bad.reasonPart))) << messages[0].toStdString();
        EXPECT_TRUE(form->isVisible());

        // The bad lines keep their defaults.
        EXPECT_EQ(form->BSM->text(), QStringLiteral("0"));
        EXPECT_EQ(form->BSL->text(), QStringLiteral("0"));
        EXPECT_EQ(form->Volume->value(), 120);
        EXPECT_EQ(form->UpDownNoteNo->Position, 69);
        EXPECT_EQ(form->BendRange->currentText(), QStringLiteral("12"));
        EXPECT_EQ(form->session().axis().rangeSemitones, 12);
        // The lines after them still apply.
        EXPECT_EQ(form->ProgChg->currentIndex(), 5);
        EXPECT_EQ(form->Velosity->value(), 77);
        EXPECT_EQ(form->Reverb->value(), 9);
        EXPECT_TRUE(form->EasyMode->isChecked());
        EXPECT_TRUE(form->XAxTone->isChecked());
        EXPECT_EQ(form->GridKeyGroup->checkedAction(), form->GridKeyItems[1]);
        // And the module gets the panel as it now stands.
        const auto sent = captured();
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent.back(), (Bytes{0xB0, 93, 0}));
        EXPECT_EQ(Performer().ReverbLevel, 9);
    }
}

TEST_F(Settings, AShortFileIsSaidOnceAndTheLinesItHoldsApply)
{
    startWith(with(designedLines(), 8, "5").mid(0, 9));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("lines 10-21 (missing, the file ends after line 9)")))
        << messages[0].toStdString();
    EXPECT_EQ(form->ProgChg->currentIndex(), 5);
}

TEST_F(Settings, NothingIsWrittenThatReadingWouldRefuse)
{
    enterText(form->BendRange->lineEdit(), QStringLiteral("24"));
    enterText(form->BSM, QStringLiteral("3"));
    // Texts still being typed at close: the values in use are written instead.
    form->BendRange->lineEdit()->setFocus();
    QTest::keyClick(form->BendRange->lineEdit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(form->BendRange->lineEdit(), QStringLiteral("2q"));
    form->BSM->setText(QStringLiteral("-"));
    form->Reverb->setValue(5);
    stopProgram();
    const QStringList written = settingsFileLines(fileBytes());
    ASSERT_EQ(written.size(), 21);
    EXPECT_EQ(written[5], QStringLiteral("3"));
    EXPECT_EQ(written[12], QStringLiteral("24"));

    messages.clear();
    startProgram();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(form->session().axis().rangeSemitones, 24);
    EXPECT_EQ(form->Reverb->value(), 5);
}

TEST_F(Settings, FirstStartSendsThePanelSoTheToneModuleHoldsWhatItShows)
{
    EXPECT_EQ(Performer().ChannelVolume, 120);
    const auto sent = captured();
    ASSERT_GE(sent.size(), 10u);
    const std::vector<Bytes> last(sent.end() - 4, sent.end());
    EXPECT_EQ(last, (std::vector<Bytes>{{0xB0, 7, 120}, {0xB0, 1, 0}, {0xB0, 91, 40}, {0xB0, 93, 0}}));

    // So the first recording starts from the panel's volume.
    form->ArecStart->trigger();
    form->ArecEnd->trigger();
    ASSERT_GE(Performer().Entries.size(), 2u);
    EXPECT_EQ(Performer().Entries[1].kind, RecordKind::ChannelVolume);
    EXPECT_EQ(Performer().Entries[1].value, 120);
}

TEST_F(Settings, WindowSizeFromTheFileStaysOnTheDesktop)
{
    startWith(with(with(designedLines(), 4, "100000"), 5, "-5"));
    EXPECT_TRUE(messages.isEmpty());
    const QSize desktop = form->screen()->availableVirtualGeometry().size();
    EXPECT_LE(form->width(), std::max(desktop.width(), 559));
    EXPECT_EQ(form->height(), 388);
}

TEST_F(Settings, FailedWriteIsReportedAndTheOldFileStays)
{
    startWith(designedLines());
    const QByteArray before = fileBytes();
    // The disk "fills up" after 16 bytes: the new file cannot be written whole.
    struct rlimit old = {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = 16;
    void (*previous)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    form->Volume->setValue(50);
    stopProgram();
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, previous);
    // orvelline.ini cannot be written either, and says so on its own.
    ASSERT_EQ(messages.filter(settingsPath()).size(), 1) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(fileBytes(), before);
    // Nothing is left beside it.
    EXPECT_EQ(QDir(QFileInfo(settingsPath()).path()).entryList(QDir::Files).filter(QStringLiteral("there.cfg")),
              QStringList{QStringLiteral("there.cfg")});
}

TEST_F(Settings, HostileSettingsFilesGiveOneShortMessageAndAProtectedOneIsNotReplaced)
{
    stopProgram();
    QByteArray ini = "[Practice]\nTempo=fast\n";
    for (int i = 0; i < 1000; ++i)
        ini += "not a key\n";
    ini += "[Correction]\nglide_ms=" + QByteArray(100000, '1') + "\n";
    const QString iniPath = folderPath() + QStringLiteral("orvelline.ini");
    QFile file(iniPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(ini);
    file.close();
    QFile profile(folderPath() + QStringLiteral("device.prf"));
    ASSERT_TRUE(profile.open(QIODevice::WriteOnly));
    profile.write("0001\r\n");
    profile.close();
    startWith(with(designedLines(), 9, "x"));

    ASSERT_EQ(messages.size(), 1) << messages.join(QLatin1Char('\n')).left(2000).toStdString();
    EXPECT_TRUE(messages[0].contains(QStringLiteral("Illegal data version."))) << "device.prf's problem joins them";
    EXPECT_TRUE(messages[0].contains(settingsPath() + QStringLiteral(": line 9 ("))) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(QStringLiteral("orvelline.ini, line 3: expected key=value")));
    // 1000 bad lines, the overlong one and the tempo, of which a screenful is listed.
    EXPECT_TRUE(messages[0].contains(QStringLiteral("\nand 982 more"))) << messages[0].toStdString();
    EXPECT_LT(messages[0].size(), 3000);
    EXPECT_EQ(form->Practice->choices().tempoPercent, 100);

    ASSERT_TRUE(file.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    form->Practice->setTempo(80);
    messages.clear();
    stopProgram();
    ASSERT_EQ(messages.size(), 1) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(messages[0].contains(iniPath) && messages[0].contains(QStringLiteral("read-only")))
        << messages[0].toStdString();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), ini);
    file.close();
    file.setPermissions(file.permissions() | QFile::WriteOwner);
    startProgram();
}

TEST(SettingsFileText, EndsEveryLineWithCrLfAndReadsBareLineFeedsToo)
{
    EXPECT_EQ(settingsFileText({"000", "", "a\r\nb"}), QByteArray("000\r\n\r\nab\r\n"));
    EXPECT_EQ(settingsFileLines("000\r\n\r\nx\r\n"), (QStringList{"000", "", "x"}));
    EXPECT_EQ(settingsFileLines("000\n12\nlast"), (QStringList{"000", "12", "last"}));
    EXPECT_EQ(settingsFileLines(""), QStringList{""});
    EXPECT_EQ(settingsFileLines(QStringLiteral("Bb(bx2)\r\n/tmp/é.jpg\r\n").toUtf8()),
              (QStringList{"Bb(bx2)", QStringLiteral("/tmp/é.jpg")}));
}

}  // namespace
