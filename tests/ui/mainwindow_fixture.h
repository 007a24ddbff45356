#pragma once
// The program as a user starts it, in-process on the offscreen platform: the
// capture device instead of a synthesizer, a temporary program folder (where
// there.cfg and device.prf live), a temporary per-user folder that is not
// there yet (so the user's own never takes part), message boxes recorded
// instead of shown, and the windows created, attached and shown in the
// program's own order.
// Every test of the main window derives from this fixture.
//
// A test that needs files in the program folder before the start writes them
// and calls restartProgram(): the running program is closed as the user
// closes it (there.cfg is written) and started again.
#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPoint>
#include <QPointingDevice>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "app/heldmessages.h"
#include "app/messagebox.h"
#include "app/tform1.h"
#include "diag/tdebugwindow.h"
#include "midiout/midigateway.h"
#include "midiout/ui/tmididevice.h"
#include "perform/session.h"
#include "perform/vidize.h"
#include "platform/capture.h"
#include "platform/inifile.h"
#include "platform/programfolders.h"

class MainWindowTest : public ::testing::Test {
protected:
    using Bytes = std::vector<std::uint8_t>;

    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(userRoot.isValid());
        log = &platform::installCaptureBackend(1);
        sink = std::make_unique<MessageBoxSink>([this](const QString& text) { messages << text; });
        startProgram();
    }

    void TearDown() override
    {
        stopProgram();
        sink.reset();
        platform::removeCaptureBackend();
    }

    // Creates the windows in start-up order and shows the main window, so
    // that its FormShow has run when this returns.
    void startProgram()
    {
        const platform::ProgramFolders folders = platform::ProgramFolders::decide(
            programFolder.toStdString(), userFolderPath().toStdString(), programFolderWritable);
        session = std::make_unique<Session>();
        setProgramSession(session.get());
        iniFile = std::make_unique<platform::IniFile>(
            platform::IniFile::load(platform::IniFile::pathIn(folders.settingsFolder())));
        form = std::make_unique<TForm1>(folders, *session, *iniFile);
        // No test may hang on a modal file dialog; tests that want a file set their own answer.
        form->OpenDialog1 = [] { return QString(); };
        form->SaveDialog1 = [] { return QString(); };
        // Nor on the question about an unsaved take: it is let go unless a test answers otherwise.
        form->AskAboutTake = [] { return TForm1::TakeAnswer::Discard; };
        form->AskAboutKeptTake = askAboutKeptTake;
        form->addStartProblems(heldMessages([&] {
            device = std::make_unique<TMidiDevice>(session->gateway(), folders.settingsFolder(), nullptr,
                                                   [this](TMidiDevice&) { ++deviceWindowModalShows; });
        }));
        debugWindow = std::make_unique<TDebugWindow>();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }

    // Closes the main window as the user does (FormClose writes there.cfg)
    // and destroys the windows in shut-down order. A take not saved is let go.
    void stopProgram()
    {
        if (form) {
            form->AskAboutTake = [] { return TForm1::TakeAnswer::Discard; };
            form->close();
        }
        debugWindow.reset();
        device.reset();
        form.reset();
        iniFile.reset();
        setProgramSession(nullptr);
        session.reset();
    }

    void restartProgram()
    {
        stopProgram();
        startProgram();
    }

    // The program folder, with a trailing separator.
    QString folderPath() const { return programFolder + QLatin1Char('/'); }
    QString settingsPath() const { return folderPath() + QStringLiteral("there.cfg"); }
    // The per-user folder, with a trailing separator.
    QString userFolderPath() const { return userRoot.path() + QStringLiteral("/Orvelline/"); }

    // Every message that reached the capture device since clearCaptured(),
    // short and system-exclusive, with its wire bytes.
    std::vector<platform::CapturedMessage> capturedMessages() const { return log->messages(); }

    // The short messages only, each as its bytes (status first).
    std::vector<Bytes> captured() const
    {
        std::vector<Bytes> shorts;
        for (const platform::CapturedMessage& message : log->messages())
            if (!message.isLong)
                shorts.push_back(message.bytes);
        return shorts;
    }

    void clearCaptured() { log->clear(); }

    // A pointer movement with no button held, delivered to exactly that
    // control at a position in its own coordinates, as the window system
    // reports it when the pointer is over it.
    static void moveMouse(QWidget* target, QPoint at)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(target->mapToGlobal(at)), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier, QPointingDevice::primaryPointingDevice());
        QApplication::sendEvent(target, &move);
    }

    // A pointer movement through the window system, at a position given in
    // over's coordinates: it reaches whichever control lies on top there.
    static void movePointer(QWidget* over, QPoint at)
    {
        QWidget* window = over->window();
        QTest::mouseMove(window->windowHandle(), over->mapTo(window, at));
    }

    // Replaces the whole text of an edit by typing, as a user does after
    // selecting it, and commits it with Enter.
    static void enterText(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    // A typed character, sent to the control as if it had the focus.
    static void typeChar(QWidget* target, char character) { QTest::keyClick(target, character); }

    // Runs the event loop until done() holds (the player and queued reports need it), at most 20 s.
    static bool waitUntil(const std::function<bool()>& done) { return QTest::qWaitFor(done, 20000); }
    // Lets the window go idle (its event loop waits for events), which is
    // when the actions' states are updated.
    static void idle()
    {
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }

    QTemporaryDir folder;
    QTemporaryDir userRoot;
    // Where the program runs from; a test run in a child process is given its parent's folder.
    QString programFolder = folder.path();
    // The answer at the start when an earlier run kept an unsaved take.
    TForm1::KeptTakeQuestion askAboutKeptTake = [] { return TForm1::KeptTakeAnswer::Discard; };
    // Decides, at each start, whether the program folder takes the settings;
    // a test of an installed copy answers false.
    platform::WritableCheck programFolderWritable = platform::isWritableFolder;
    platform::CaptureLog* log = nullptr;
    QStringList messages;  // the texts of the message boxes, in order
    std::unique_ptr<MessageBoxSink> sink;
    std::unique_ptr<Session> session;
    std::unique_ptr<platform::IniFile> iniFile;  // orvelline.ini, as the program holds it
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TMidiDevice> device;
    std::unique_ptr<TDebugWindow> debugWindow;
    int deviceWindowModalShows = 0;
};
