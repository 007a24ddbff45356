// The main window as the program starts it: what start-up sends, the designed
// controls and menus, how the window grows, the context menus, the device
// window entry, errors in handlers, and the end of a song reported from the
// player's thread.
#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <stdexcept>
#include <thread>

#include "app/handlerguard.h"
#include "app/widgets.h"
#include "mainwindow_fixture.h"
#include "midispec/midispec.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

QStringList captions(const QMenu* menu)
{
    QStringList texts;
    for (const QAction* entry : menu->actions())
        texts << entry->text();
    return texts;
}

void rightClick(QWidget* target, QPoint at)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &event);
}

TEST_F(MainWindowTest, StartUpSendsSystemOnProgramAndBendRangeThenThePanelWithoutSettings)
{
    const auto sent = capturedMessages();
    ASSERT_EQ(sent.size(), 17u);
    EXPECT_TRUE(sent[0].isLong);
    EXPECT_EQ(sent[0].bytes, (Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
    // The panel follows, so the tone module holds the volume and reverb it shows.
    EXPECT_EQ(captured(), (std::vector<Bytes>{{0xB0, 0, 0},
                                              {0xB0, 32, 0},
                                              {0xC0, 78},
                                              {0xB0, 101, 0},
                                              {0xB0, 100, 0},
                                              {0xB0, 6, 12},
                                              {0xB0, 0, 0},
                                              {0xB0, 32, 0},
                                              {0xC0, 78},
                                              {0xB0, 101, 0},
                                              {0xB0, 100, 0},
                                              {0xB0, 6, 12},
                                              {0xB0, 7, 120},
                                              {0xB0, 1, 0},
                                              {0xB0, 91, 40},
                                              {0xB0, 93, 0}}));
    EXPECT_TRUE(messages.isEmpty());

    ASSERT_EQ(form->ProgChg->count(), 128);
    for (int program : {0, 78, 127})
        EXPECT_EQ(form->ProgChg->itemText(program), QString::fromStdString(ProgramName(program)));
    EXPECT_EQ(form->ProgChg->currentIndex(), 78);

    EXPECT_EQ(Form1, form.get());
    EXPECT_EQ(form->AppFolder, folderPath());
    EXPECT_EQ(device->gateway().Folder, folderPath().toStdString());
    EXPECT_EQ(ScaleTable[61], 0);  // C major: no C sharp
    EXPECT_EQ(ScaleTable[60], 1);
}

TEST_F(MainWindowTest, FirstStartShowsTheRedGridInCWhateverKeyCameBefore)
{
    stopProgram();
    QFile::remove(settingsPath());
    SelectGridKey(1, 0);  // G major: F sharp in the key, F not
    startProgram();

    const QImage& layer = form->Image4->Picture;
    ASSERT_EQ(layer.height(), 300);
    auto redPixelsInRow = [&](int y) {
        int red = 0;
        for (int x = 0; x < layer.width(); ++x)
            red += (layer.pixel(x, y) | 0xFF000000u) == qRgb(255, 0, 0);
        return red;
    };
    // With range 12 around note 69, F (65) lies at y = 200 and F sharp (66) at y = 187.
    EXPECT_EQ(redPixelsInRow(200), layer.width());
    EXPECT_GT(redPixelsInRow(187), 0);
    EXPECT_LT(redPixelsInRow(187), layer.width() - 3);
}

TEST_F(MainWindowTest, BuildsTheDesignedWindowAndPanel)
{
    EXPECT_EQ(form->windowTitle(), QStringLiteral("O r v e l l i n e"));
    EXPECT_EQ(form->size(), QSize(559, 394));
    EXPECT_EQ(form->minimumSize(), QSize(559, 388));

    const struct {
        const char* name;
        QRect geometry;
        bool visible;
    } placed[] = {
        {"Panel1", {0, 0, 346, 394}, true},       {"Image1", {16, 20, 300, 300}, true},
        {"Image4", {16, 20, 300, 300}, true},     {"Shape1", {16, 12, 301, 9}, true},
        {"Shape2", {16, 320, 301, 9}, true},      {"Shape3", {316, 20, 9, 301}, false},
        {"Shape4", {8, 20, 9, 301}, false},       {"StatusBar1", {1, 374, 344, 19}, true},
        {"Panel2", {346, 0, 213, 394}, true},     {"BSM", {38, 12, 21, 21}, true},
        {"ProgChg", {86, 12, 109, 21}, true},     {"Volume", {50, 40, 145, 17}, true},
        {"UpDownNoteNo", {83, 68, 16, 21}, true}, {"BendRange", {50, 128, 51, 21}, true},
        {"Button1", {132, 216, 75, 25}, false},   {"Image2", {1, 1, 65, 17}, true},
    };
    for (const auto& expected : placed) {
        SCOPED_TRACE(expected.name);
        auto* control = form->findChild<QWidget*>(QString::fromLatin1(expected.name));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->geometry(), expected.geometry);
        EXPECT_EQ(control->isVisible(), expected.visible);
    }
    // The recorder's buttons two by two from (8, 328), no smaller than designed and
    // as large as their captions need; the scrolling text beside them, inside the panel.
    const QRect start = form->SpeedButton1->geometry();
    EXPECT_EQ(start.topLeft(), QPoint(8, 328));
    EXPECT_GE(start.width(), 65);
    EXPECT_GE(start.height(), std::max(17, form->SpeedButton1->sizeHint().height()));
    EXPECT_EQ(form->recEndButton->geometry(), start.translated(start.width() + 2, 0));
    EXPECT_EQ(form->recReplay->geometry(), start.translated(0, start.height() + 2));
    EXPECT_EQ(form->StopButton->geometry(), start.translated(start.width() + 2, start.height() + 2));
    EXPECT_GT(form->Panel3->x(), form->recEndButton->geometry().right());
    EXPECT_TRUE(form->Panel2->contentsRect().contains(form->Panel3->geometry()));
    // The grid layer lies over the picture and gets the pointer there.
    EXPECT_EQ(form->Panel1->childAt(100, 100), form->Image4);
    EXPECT_TRUE(form->Image4->Transparent);
    EXPECT_TRUE(form->Image1->Stretch);
    EXPECT_EQ(form->Image1->Picture.size(), QSize(300, 300));

    EXPECT_EQ(form->BSM->toolTip(), QStringLiteral("Bank Select:MSB:バンクセレクトMSB"));
    EXPECT_EQ(form->channnelText->toolTip(), QStringLiteral("Channnel used:使用チャンネル(設定不可)"));
    EXPECT_EQ(form->XAxTone->toolTip(), QStringLiteral("Set X-axis to tone:横軸を音高にします"));
    EXPECT_EQ(form->Setup->toolTip(), QStringLiteral("Send settings to the tone module:現在の設定を音源に送信します"));
    EXPECT_EQ(form->XAxTone->pos(), QPoint(88, 260));
    EXPECT_EQ(form->XAxTone->text(), QStringLiteral("X-Axis to Tone"));

    EXPECT_EQ(form->BSM->text(), QStringLiteral("0"));
    EXPECT_EQ(form->BSL->text(), QStringLiteral("0"));
    EXPECT_EQ(form->Volume->value(), 120);
    EXPECT_EQ(form->Volume->minimum(), 1);
    EXPECT_EQ(form->Moduration->minimum(), 0);
    EXPECT_EQ(form->Moduration->maximum(), 127);
    EXPECT_EQ(form->Reverb->value(), 40);
    EXPECT_EQ(form->UpDownNoteNo->Position, 69);
    EXPECT_EQ(form->UpDownNoteNo->Min, 24);
    EXPECT_EQ(form->UpDownNoteNo->Max, 103);
    EXPECT_EQ(form->NoteNo->text().trimmed(), QStringLiteral("A 4"));
    EXPECT_EQ(form->channnelText->text(), QStringLiteral("1"));
    EXPECT_EQ(form->BendRange->currentText(), QStringLiteral("12"));
    EXPECT_EQ(form->BendRange->count(), 5);
    EXPECT_FALSE(form->EasyMode->isChecked());
    EXPECT_EQ(form->Button1->text(), QStringLiteral("Debug"));
    EXPECT_EQ(form->Timer1->interval(), 150);
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(form->SpeedButton1->text(), QStringLiteral("Rec.Start"));
    EXPECT_EQ(form->SaveMIDI->text(), QStringLiteral("Save as MIDI file"));
    EXPECT_EQ(form->session().axis().rangeSemitones, 12);
    EXPECT_EQ(form->session().axis().unitsPerSemitone, 682);
    EXPECT_EQ(form->session().axis().centreNote, 69);
    EXPECT_EQ(form->GridColor, 255u);
}

TEST_F(MainWindowTest, MenusHoldTheDesignedEntriesInOrder)
{
    // The designed entries come first, then Practice; a key shown after a tab is not part of the caption.
    QStringList window = captions(form->PopupMenu1);
    for (QString& caption : window)
        caption = caption.section(QLatin1Char('\t'), 0, 0);
    EXPECT_EQ(window.mid(0, 15),
              (QStringList{"Device...", "", "Rec.Start", "Rec.End", "Replay", "Stop", "Panic", "", "Read MIDI file",
                           "Play MIDI", "Stop", "", "Save as MIDI file", "", "Practice"}));
    // "Scale" and "Correction" follow "Grid Key": the pitch correction; then
    // the pen and MIDI input choices.
    EXPECT_EQ(captions(form->PopupMenu2), (QStringList{"Load &Image", "", "Cursor", "", "Grid Color", "Grid Key",
                                                       "Scale", "Correction", "", "Input"}));
    EXPECT_EQ(captions(form->Cursor1), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(captions(form->GridColor2), (QStringList{"White", "Black", "Red", "Blue", "Green", "Yellow"}));
    EXPECT_TRUE(form->N11->isChecked());
    EXPECT_TRUE(form->Red2->isChecked());

    const QStringList keys{"C(no #b)", "G(#x1)", "F(bx1)",  "D(#x2)",  "Bb(bx2)", "A(#x3)",  "Eb(bx3)", "E(#x4)",
                           "Ab(bx4)",  "B(#x5)", "Db(bx5)", "F#(#x6)", "Gb(bx6)", "C#(#x7)", "Cb(bx7)"};
    EXPECT_EQ(captions(form->GridKey1), keys);
    EXPECT_EQ(form->GridKeyItems[0]->objectName(), QStringLiteral("Cnob1"));
    EXPECT_EQ(form->GridKeyItems[14]->objectName(), QStringLiteral("Cbbx71"));
    EXPECT_EQ(form->GridKeyGroup->checkedAction(), form->GridKeyItems[0]);
    form->GridKeyItems[5]->trigger();
    EXPECT_EQ(form->GridKeyGroup->checkedAction(), form->GridKeyItems[5]);
    EXPECT_EQ(form->GridKeyName, QStringLiteral("A(#x3)"));
}

TEST_F(MainWindowTest, MenuEntriesFollowAndRunTheirActions)
{
    auto* stop1 = form->findChild<QAction*>(QStringLiteral("Stop1"));
    auto* stop2 = form->findChild<QAction*>(QStringLiteral("Stop2"));
    ASSERT_NE(stop1, nullptr);
    ASSERT_NE(stop2, nullptr);
    QSignalSpy stops(form->Stop, &QAction::triggered);

    form->Stop->setEnabled(false);
    EXPECT_FALSE(stop1->isEnabled());
    EXPECT_FALSE(stop2->isEnabled());
    EXPECT_FALSE(form->StopButton->isEnabled());
    form->Stop->setEnabled(true);
    EXPECT_TRUE(stop2->isEnabled());
    stop2->trigger();
    EXPECT_EQ(stops.count(), 1);
}

TEST_F(MainWindowTest, PanelGrowsWithTheWindowAndTheControlPanelStaysAtTheRight)
{
    form->resize(759, 494);
    EXPECT_EQ(form->Panel1->geometry(), QRect(0, 0, 546, 494));
    EXPECT_EQ(form->Image1->geometry(), QRect(16, 20, 500, 400));
    EXPECT_EQ(form->Image4->geometry(), QRect(16, 20, 500, 400));
    EXPECT_EQ(form->Shape1->geometry(), QRect(16, 12, 501, 9));
    EXPECT_EQ(form->Shape2->geometry(), QRect(16, 420, 501, 9));
    EXPECT_EQ(form->Shape3->geometry(), QRect(516, 20, 9, 401));
    EXPECT_EQ(form->Shape4->geometry(), QRect(8, 20, 9, 401));
    EXPECT_EQ(form->StatusBar1->geometry(), QRect(1, 474, 544, 19));
    EXPECT_EQ(form->Panel2->geometry(), QRect(546, 0, 213, 494));
    EXPECT_EQ(form->Volume->geometry(), QRect(50, 40, 145, 17));
    // The grid is redrawn for the new size of its layer.
    EXPECT_EQ(form->Image4->Picture.size(), QSize(500, 400));

    form->resize(100, 100);
    EXPECT_EQ(form->size(), QSize(559, 388));
    EXPECT_EQ(form->Image1->size(), QSize(300, 294));
}

TEST_F(MainWindowTest, RightClickOpensTheSurfaceMenuOnTheSurfaceAndTheWindowMenuElsewhere)
{
    QFile picture(folderPath() + QStringLiteral("sky.jpg"));
    ASSERT_TRUE(picture.open(QIODevice::WriteOnly));
    picture.close();

    rightClick(form->Image4, {50, 50});
    EXPECT_TRUE(form->PopupMenu2->isVisible());
    EXPECT_FALSE(form->PopupMenu1->isVisible());
    // Opening it lists the pictures of the program folder in place of the placeholder.
    EXPECT_EQ(captions(form->LoadImage2), QStringList{QStringLiteral("sky.jpg")});
    form->PopupMenu2->hide();

    rightClick(form->Panel2, {5, 300});
    EXPECT_TRUE(form->PopupMenu1->isVisible());
    EXPECT_FALSE(form->PopupMenu2->isVisible());
    form->PopupMenu1->hide();

    rightClick(form->Volume, {5, 5});
    EXPECT_TRUE(form->PopupMenu1->isVisible());
    form->PopupMenu1->hide();
}

TEST_F(MainWindowTest, DeviceEntryShowsTheDeviceWindowModally)
{
    bool shownModally = false;
    QTimer::singleShot(0, device.get(), [&] {
        shownModally = device->isVisible() && device->isModal();
        device->reject();
    });
    form->Device1->trigger();
    EXPECT_TRUE(shownModally);
    EXPECT_FALSE(device->isVisible());
}

TEST_F(MainWindowTest, AnErrorInAHandlerIsShownAndTheProgramGoesOn)
{
    // Through the control's own signal, as typing does.
    enterText(form->BSM, QStringLiteral("q"));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("'q'")));
    EXPECT_TRUE(form->isVisible());

    // What escapes an event handler is caught by the application object.
    class Throwing : public QObject {
    public:
        bool event(QEvent*) override { throw std::runtime_error("Couldn't find MIDI Header block"); }
    } throwing;
    QEvent nudge(QEvent::User);
    EXPECT_FALSE(QApplication::sendEvent(&throwing, &nudge));
    EXPECT_EQ(messages.value(1), QStringLiteral("Couldn't find MIDI Header block"));

    EXPECT_TRUE(runGuarded([] {}));
    EXPECT_FALSE(runGuarded([] { throw 42; }));
    ASSERT_EQ(messages.size(), 3);
    EXPECT_FALSE(messages[2].isEmpty());
}

TEST_F(MainWindowTest, EndOfSongFromThePlayersThreadClearsTheStatusTextOnTheWindowThread)
{
    form->ShowMarquee(QStringLiteral("Replay"));
    for (int tick = 0; tick < 10; ++tick)
        form->Timer1Timer();
    ASSERT_TRUE(form->Timer1->isActive());
    const QImage scrolled = form->Image2->Picture;

    std::thread player([this] { device->gateway().OnSongEnd(); });
    player.join();
    // Nothing of the window was touched from the other thread.
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(form->Image2->Picture, scrolled);

    QCoreApplication::processEvents();
    EXPECT_FALSE(form->Timer1->isActive());
    QImage blank(form->Image2->Picture.size(), form->Image2->Picture.format());
    blank.fill(form->Image2->palette().color(QPalette::Button));
    EXPECT_EQ(form->Image2->Picture, blank);
}

TEST_F(MainWindowTest, ShutDownLeavesNoWindowAndNoEndOfSongHandlerBehind)
{
    stopProgram();
    EXPECT_EQ(Form1, nullptr);
    EXPECT_EQ(MidiDevice, nullptr);
    EXPECT_TRUE(QFile::exists(settingsPath()));
    EXPECT_TRUE(QFile::exists(folderPath() + QStringLiteral("device.prf")));
}

}  // namespace
