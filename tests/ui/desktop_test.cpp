// What a desktop program adds to the designed window: the window's place from
// run to run, the keyboard (Tab through the panel, shortcuts, the menu key),
// help, files from the command line, the desktop and the recent list, hints
// that show values, and the panel's own font size.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>

#include <vector>

#include "app/commandline.h"
#include "app/recentfiles.h"
#include "app/widgets.h"
#include "app/windowplace.h"
#include "mainwindow_fixture.h"
#include "mididata/smf_test_support.h"
#include "midispec/version.h"

namespace {

class Desktop : public MainWindowTest {
protected:
    QString writeSong(const QString& name)
    {
        const QString path = folderPath() + name;
        smftest::writeFile(path.toStdString(),
                           smftest::smf(1, {smftest::timed({{0, {0x90, 60, 100}}, {10, {0x80, 60, 0}}})}));
        return path;
    }

    QStringList recentEntries() const
    {
        QStringList captions;
        for (const QAction* entry : form->RecentFiles1->actions())
            if (entry->isEnabled())
                captions << entry->text();
        return captions;
    }

    void activate()
    {
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    QString settingsLine(int number) const
    {
        QFile file(settingsPath());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n")).value(number - 1);
    }
};

// The control that holds the focus, or whose part (a combo box's line edit) does.
bool holdsFocus(QWidget* control)
{
    QWidget* focus = QApplication::focusWidget();
    return focus != nullptr && (focus == control || control->isAncestorOf(focus));
}

}  // namespace

TEST_F(Desktop, WindowComesBackAtTheSamePlaceAfterRestartsAndStaysOnTheScreen)
{
    const QRect available = form->screen()->availableGeometry();
    const QRect place(available.left() + 123, available.top() + 77, 600, 420);
    form->setGeometry(place);
    for (int run = 0; run < 5; ++run) {
        restartProgram();
        EXPECT_EQ(form->geometry(), place) << "after restart " << run + 1;
    }
    EXPECT_EQ(settingsLine(2), QString::number(place.top()));
    EXPECT_EQ(settingsLine(3), QString::number(place.left()));

    // A place beyond a screen that has become smaller is pulled back onto it.
    form->setGeometry(available.right() + 500, available.top() - 300, 600, 420);
    restartProgram();
    EXPECT_TRUE(available.contains(form->geometry())) << form->geometry().x() << "," << form->geometry().y();
    EXPECT_EQ(form->size(), QSize(600, 420));

    EXPECT_EQ(placeWithin(QRect(-50, 900, 200, 100), QRect(0, 0, 1024, 768)), QRect(0, 668, 200, 100));
    EXPECT_EQ(placeWithin(QRect(10, 10, 2000, 100), QRect(0, 0, 1024, 768)), QRect(0, 10, 1024, 100));
}

TEST_F(Desktop, MaximisedStateIsKeptWhileThereCfgHoldsTheNormalPlace)
{
    const QRect available = form->screen()->availableGeometry();
    const QRect normal(available.left() + 40, available.top() + 30, 580, 400);
    form->setGeometry(normal);
    form->showMaximized();
    ASSERT_TRUE(waitUntil([&] { return form->isMaximized(); }));
    restartProgram();
    EXPECT_TRUE(form->isMaximized());
    EXPECT_EQ(settingsLine(2), QString::number(normal.top()));
    EXPECT_EQ(settingsLine(4), QString::number(normal.width()));
    QFile ini(userFolderPath() + QStringLiteral("orvelline.ini"));
    QFile programIni(folderPath() + QStringLiteral("orvelline.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly) || programIni.open(QIODevice::ReadOnly));
    const QByteArray text = ini.isOpen() ? ini.readAll() : programIni.readAll();
    EXPECT_TRUE(text.contains("[Window]") && text.contains("maximized=1")) << text.constData();

    form->showNormal();
    ASSERT_TRUE(waitUntil([&] { return !form->isMaximized(); }));
    restartProgram();
    EXPECT_FALSE(form->isMaximized());
}

TEST_F(Desktop, TabVisitsEveryPanelControlInReadingOrder)
{
    activate();
    const std::vector<QWidget*> order{form->BSM,
                                      form->BSL,
                                      form->ProgChg,
                                      form->Volume,
                                      form->UpDownNoteNo->upButton(),
                                      form->UpDownNoteNo->downButton(),
                                      form->Velosity,
                                      form->BendRange,
                                      form->Setup,
                                      form->Moduration,
                                      form->Reverb,
                                      form->Chorus,
                                      form->EasyMode,
                                      form->XAxTone,
                                      form->SpeedButton1,
                                      form->recEndButton,
                                      form->recReplay,
                                      form->StopButton};
    // Each shows that it has the focus: it looks different with it than without.
    form->Panel1->setFocus();
    std::vector<QImage> unfocused;
    for (QWidget* control : order)
        unfocused.push_back(control->grab().toImage());
    form->BSM->setFocus(Qt::TabFocusReason);
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i > 0)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_TRUE(holdsFocus(order[i])) << "step " << i << ": " << order[i]->objectName().toStdString() << " wanted, "
                                          << QApplication::focusWidget()->objectName().toStdString() << " has it";
        EXPECT_NE(order[i]->grab().toImage(), unfocused[i])
            << order[i]->objectName().toStdString() << " shows no focus";
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_TRUE(holdsFocus(form->recReplay));

    // A focused slider moves with the arrow keys, and its hint shows where it stands.
    form->Reverb->setFocus(Qt::TabFocusReason);
    QTest::keyClick(form->Reverb, Qt::Key_Right);
    EXPECT_EQ(form->Reverb->value(), 41);
    EXPECT_TRUE(form->Reverb->toolTip().endsWith(QStringLiteral(" (41)"))) << form->Reverb->toolTip().toStdString();
    // and shows it at once, without waiting for the pointer to rest on it.
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_TRUE(QToolTip::text().endsWith(QStringLiteral(" (41)"))) << QToolTip::text().toStdString();
    QToolTip::hideText();
    EXPECT_TRUE(form->Volume->toolTip().startsWith(QStringLiteral("Volume:"))) << form->Volume->toolTip().toStdString();
}

TEST_F(Desktop, ShortcutsReachTheMenusCommandsAndHelp)
{
    activate();
    int asked = 0;
    form->OpenDialog1 = [&asked] {
        ++asked;
        return QString();
    };
    QTest::keyClick(form->BSM, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(asked, 1) << "Ctrl+O reads a MIDI file";
    EXPECT_EQ(form->BSM->text(), QStringLiteral("0"));

    QTest::keyClick(form->Volume, Qt::Key_F1);
    auto* help = form->findChild<QDialog*>(QStringLiteral("HowToPlayBox"));
    ASSERT_NE(help, nullptr);
    auto* helpText = help->findChild<QLabel*>(QStringLiteral("HowToPlayText"));
    ASSERT_NE(helpText, nullptr);
    // The whole program: the keys, the surface's menu, the recorder, files and practice.
    for (const char* part :
         {"Z X C V B N M , . /", "Escape", "keys 1 to 5", "\"Scale\"", "\"Correction\"", "Practice", "pen pressure",
          "MIDI controller", "touchscreen", "Export audio", "Rec.Start", "Read MIDI file", "\"Surface\""})
        EXPECT_TRUE(helpText->text().contains(QString::fromUtf8(part))) << part;
    help->close();

    form->Setup->setFocus();
    QCursor::setPos(form->Panel2->mapToGlobal(QPoint(100, 300)));
    QTest::keyClick(form->Setup, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(form->PopupMenu1->isVisible()) << "Shift+F10 opens the window's menu";
    form->PopupMenu1->close();
    QTest::keyClick(form->Setup, Qt::Key_Menu);
    EXPECT_TRUE(form->PopupMenu1->isVisible()) << "so does the Menu key";
    form->PopupMenu1->close();
    QCursor::setPos(form->Image4->mapToGlobal(QPoint(150, 150)));
    QTest::keyClick(form->Setup, Qt::Key_Menu);
    EXPECT_TRUE(form->PopupMenu2->isVisible()) << "over the picture, the picture's own menu";
    form->PopupMenu2->close();

    // The square's own menu, whole, is reachable from the window's menu too.
    EXPECT_TRUE(form->PopupMenu1->actions().contains(form->Surface1));
    EXPECT_EQ(form->Surface1->text(), QStringLiteral("Surface"));
    EXPECT_EQ(form->Surface1->menu(), form->PopupMenu2);
    EXPECT_TRUE(form->PopupMenu2->actions().contains(form->GridKey1->menuAction()));

    // Added after the designed entries, which keep their places.
    const QList<QAction*> entries = form->PopupMenu1->actions();
    ASSERT_GE(entries.size(), 6);
    EXPECT_EQ(entries.first()->text(), QStringLiteral("Device..."));
    EXPECT_TRUE(entries[entries.size() - 4]->text().startsWith(QStringLiteral("How to play")));
    EXPECT_EQ(entries[entries.size() - 3]->text(), QStringLiteral("About Orvelline…"));
    EXPECT_TRUE(
        form->findChild<QAction*>(QStringLiteral("ReadMIDIfile1"))->text().endsWith(QStringLiteral("\tCtrl+O")));

    form->About1->trigger();
    auto* about = form->findChild<QMessageBox*>(QStringLiteral("AboutBox"));
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->text().contains(QStringLiteral(ORVELLINE_VERSION)));
    about->close();

    // None takes a key of the instrument.
    for (const QAction* action : form->actions())
        for (const QKeySequence& key : action->shortcuts())
            for (const int reserved : {int(Qt::Key_Z), int(Qt::Key_Slash), int(Qt::Key_Space)})
                EXPECT_NE(key, QKeySequence(reserved)) << action->objectName().toStdString();

    QTest::keyClick(form->BSM, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(form->isVisible()) << "Ctrl+Q closes the window";
    EXPECT_TRUE(QFile::exists(settingsPath())) << "as its close button does, writing the settings";
}

TEST_F(Desktop, AFileReadFromAnywhereIsNamedAndKeptInRecentFiles)
{
    form->UpdateFileActions();
    EXPECT_FALSE(form->PlayMIDI->isEnabled()) << "nothing to play yet";
    EXPECT_FALSE(form->SaveMIDI->isEnabled()) << "nothing recorded to save";
    EXPECT_TRUE(recentEntries().isEmpty());

    const QString first = writeSong(QStringLiteral("first.mid"));
    form->ReadMidiFile(first);
    EXPECT_EQ(form->StatusBar1->currentMessage(), QStringLiteral("first.mid"));
    form->UpdateFileActions();
    EXPECT_TRUE(form->PlayMIDI->isEnabled());

    // Dropped on the window.
    const QString second = writeSong(QStringLiteral("second & more.midi"));
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(second)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &drop);
    delete data;
    EXPECT_EQ(form->StatusBar1->currentMessage(), QStringLiteral("second & more.midi"));
    EXPECT_EQ(recentEntries(), (QStringList{QStringLiteral("&1 second && more.midi"), QStringLiteral("&2 first.mid")}));

    for (int i = 0; i < 6; ++i)
        form->ReadMidiFile(writeSong(QStringLiteral("song #%1;.mid").arg(i)));
    // Names holding what the settings file takes for a comment come back whole.
    restartProgram();
    const QStringList kept = recentEntries();
    ASSERT_EQ(kept.size(), RecentFiles::kMaxFiles);
    EXPECT_EQ(kept.first(), QStringLiteral("&1 song #5;.mid"));
    EXPECT_EQ(kept.last(), QStringLiteral("&5 song #1;.mid"));

    // A file that cannot be read is named in the message.
    messages.clear();
    form->RecentFiles1->actions().first()->trigger();
    EXPECT_TRUE(messages.isEmpty());
    QFile::remove(folderPath() + QStringLiteral("song #4;.mid"));
    form->RecentFiles1->actions()[1]->trigger();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.first().startsWith(QStringLiteral("song #4;.mid: "))) << messages.first().toStdString();
}

TEST_F(Desktop, StatusLineSaysHowToBeginWhileNothingElseShows)
{
    auto* hint = form->StatusBar1->findChild<QLabel*>(QStringLiteral("StartHint"));
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(hint->text(), QStringLiteral("Move the pointer over the picture to play"));
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(form->StatusBar1->currentMessage(), QString()) << "the hint is no message";
    form->StatusBar1->showMessage(QStringLiteral("Skip sysEx"));
    EXPECT_FALSE(hint->isVisible());
    form->StatusBar1->clearMessage();
    EXPECT_TRUE(hint->isVisible());
}

TEST_F(Desktop, LoadImageNamesTheFolderSearchedWhenItFindsNoPicture)
{
    form->PopupMenu1Popup();
    const QList<QAction*> entries = form->LoadImage2->actions();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_FALSE(entries.first()->isEnabled());
    EXPECT_TRUE(entries.first()->text().contains(QDir::toNativeSeparators(folderPath())))
        << entries.first()->text().toStdString();

    ASSERT_TRUE(QImage(4, 4, QImage::Format_RGB32).save(folderPath() + QStringLiteral("a.bmp"), "BMP"));
    form->PopupMenu1Popup();
    ASSERT_EQ(form->LoadImage2->actions().size(), 1);
    EXPECT_EQ(form->LoadImage2->actions().first()->text(), QStringLiteral("a.bmp"));
}

TEST_F(Desktop, PanelKeepsItsDesignedFontSizeAtAnyDesktopSize)
{
    const QFont desktop = QApplication::font();
    QFont large = desktop;
    large.setPointSize(14);
    QApplication::setFont(large);
    restartProgram();
    auto* inst = form->Panel2->findChild<QLabel*>(QStringLiteral("Label1"));
    auto* range = form->Panel2->findChild<QLabel*>(QStringLiteral("Label6"));
    ASSERT_NE(inst, nullptr);
    ASSERT_NE(range, nullptr);
    EXPECT_EQ(inst->font().pixelSize(), 12);
    EXPECT_LE(inst->geometry().right(), form->BSM->geometry().left()) << "\"Inst.\" stays clear of the bank";
    EXPECT_LE(range->geometry().right(), form->BendRange->geometry().left()) << "\"Range\" stays clear of its box";
    EXPECT_LE(form->SpeedButton1->fontMetrics().horizontalAdvance(QStringLiteral("Rec.Start")),
              form->SpeedButton1->width());
    QApplication::setFont(desktop);
}

TEST(CommandLine, TakesOneMidiFileHelpAndVersion)
{
    const auto parse = [](QStringList arguments) {
        arguments.prepend(QStringLiteral("orvelline"));
        return parseCommandLine(arguments);
    };
    EXPECT_EQ(parse({}).action, CommandLine::Action::Run);
    EXPECT_TRUE(parse({}).midiFile.isEmpty());
    const CommandLine song = parse({QStringLiteral("song.mid")});
    EXPECT_EQ(song.action, CommandLine::Action::Run);
    EXPECT_EQ(song.midiFile, QStringLiteral("song.mid"));
    EXPECT_EQ(parse({QStringLiteral("--"), QStringLiteral("-odd.mid")}).midiFile, QStringLiteral("-odd.mid"));
    EXPECT_EQ(parse({QStringLiteral("song.mid"), QStringLiteral("--help")}).action, CommandLine::Action::Help);
    EXPECT_EQ(parse({QStringLiteral("--version")}).action, CommandLine::Action::Version);
    EXPECT_EQ(versionLine(), QStringLiteral("orvelline " ORVELLINE_VERSION));
    EXPECT_TRUE(commandLineHelp().startsWith(QStringLiteral("Usage: orvelline ")));

    const CommandLine unknown = parse({QStringLiteral("--frobnicate")});
    EXPECT_EQ(unknown.action, CommandLine::Action::Error);
    EXPECT_TRUE(unknown.problem.contains(QStringLiteral("--frobnicate")));
    EXPECT_EQ(parse({QStringLiteral("a.mid"), QStringLiteral("b.mid")}).action, CommandLine::Action::Error);
}
