// The note ends on every way the pointer can leave the playing surface, each
// tried through the events the window system and Qt deliver for it.
#include <QContextMenuEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QInputEvent>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>

#include "app/widgets.h"
#include "mainwindow_fixture.h"

namespace {

class NoteGuardTest : public MainWindowTest {
protected:
    // Plays the centre note from the middle of the surface, through the window system.
    void playANote()
    {
        movePointer(form->Panel1, {2, 2});
        movePointer(form->Image4, {150, 150});
        ASSERT_TRUE(Performer().PerformerFlags & TVidize::kNoteSounding);
        ASSERT_FALSE(form->StatusBar1->currentMessage().isEmpty());
        clearCaptured();
    }

    // The note ended exactly as leaving over the border ends it.
    void expectTheNoteEnded(const char* how)
    {
        EXPECT_EQ(captured(), (std::vector<Bytes>{{0x90, 69, 0}})) << how;
        EXPECT_FALSE(Performer().PerformerFlags & TVidize::kNoteSounding) << how;
        EXPECT_TRUE(form->StatusBar1->currentMessage().isEmpty()) << how;
    }

    void send(QObject* receiver, QEvent::Type type)
    {
        QEvent event(type);
        QApplication::sendEvent(receiver, &event);
    }
};

}  // namespace

TEST_F(NoteGuardTest, LeavingTheSurfaceEndsTheNoteWhereverThePointerGoes)
{
    playANote();
    movePointer(form->Panel2, {100, 100});
    expectTheNoteEnded("a jump onto the control panel");

    playANote();
    movePointer(form->StatusBar1, {20, 8});
    expectTheNoteEnded("a move onto the status line");

    // The window system tells the window the pointer has gone (any jump out of it).
    playANote();
    send(form->windowHandle(), QEvent::Leave);
    expectTheNoteEnded("a jump out of the window");

    // Between the surface and its strips the note goes on.
    playANote();
    movePointer(form->Shape1, {150, 4});
    movePointer(form->Image4, {150, 100});
    EXPECT_TRUE(Performer().PerformerFlags & TVidize::kNoteSounding);
    for (const Bytes& message : captured())
        EXPECT_NE(message[0], 0x90) << "no note message while moving onto a strip and back";
}

TEST_F(NoteGuardTest, AMenuOrDialogOpeningEndsTheNote)
{
    playANote();
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, {50, 50}, form->Image4->mapToGlobal(QPoint(50, 50)));
    QApplication::sendEvent(form->Image4, &rightClick);
    ASSERT_TRUE(form->PopupMenu2->isVisible());
    expectTheNoteEnded("the surface's menu");
    form->PopupMenu2->hide();

    playANote();
    QDialog dialog(form.get());
    dialog.show();
    expectTheNoteEnded("a dialog");
    dialog.hide();

    // A modal window blocks the main window; the note ends when it opens.
    playANote();
    bool endedWhileOpen = false;
    QTimer::singleShot(0, device.get(), [&] {
        endedWhileOpen = !(Performer().PerformerFlags & TVidize::kNoteSounding);
        device->reject();
    });
    form->Device1->trigger();
    EXPECT_TRUE(endedWhileOpen);
}

TEST_F(NoteGuardTest, TheWindowLosingFocusOrSightEndsTheNote)
{
    QWidget other;
    other.show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    playANote();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    expectTheNoteEnded("another window activated");
    other.hide();

    playANote();
    send(form.get(), QEvent::WindowDeactivate);
    expectTheNoteEnded("the window deactivated");

    playANote();
    QApplicationStateChangeEvent inactive(Qt::ApplicationInactive);
    QApplication::sendEvent(qApp, &inactive);
    expectTheNoteEnded("the application no longer active");

    playANote();
    QApplicationStateChangeEvent active(Qt::ApplicationActive);
    QApplication::sendEvent(qApp, &active);
    EXPECT_TRUE(captured().empty()) << "becoming active again changes nothing";

    playANote();
    form->showMinimized();
    expectTheNoteEnded("the window minimised");
    form->showNormal();

    playANote();
    form->hide();
    expectTheNoteEnded("the window hidden");
    form->show();
}

TEST_F(NoteGuardTest, ClosingTheWindowEndsTheNoteBeforeTheDeviceGoes)
{
    playANote();
    form->close();
    expectTheNoteEnded("the window closed");
}
