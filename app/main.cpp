// Starts Orvelline: the performer, the application, the message boxes, then
// the main window, the MIDI input, the device window and the debug window in
// this order; runs until the main window is closed (or SIGTERM or SIGHUP close
// it), and takes everything down in the reverse order. Closing the main window
// writes there.cfg; destroying the device window stops playback, closes the
// device and writes device.prf.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/closesignals.h"
#include "app/commandline.h"
#include "app/handlerguard.h"
#include "app/heldmessages.h"
#include "app/messagebox.h"
#include "app/midiinput.h"
#include "app/orvapplication.h"
#include "app/tform1.h"
#include "diag/tdebugwindow.h"
#include "mididata/messagesink.h"
#include "midiout/ui/tmididevice.h"
#include "perform/session.h"
#include "platform/inifile.h"
#include "platform/outputoptions.h"
#include "platform/programfolders.h"
#include "platform/registry.h"
#include "platform/soundsettings.h"

namespace {

// --help and --version answer at once and end the program; the answer is
// not found when Qt's own options stand before them, until Qt has taken those out.
bool answered(const CommandLine& line)
{
    if (line.action == CommandLine::Action::Help)
        std::cout << commandLineHelp().toStdString();
    else if (line.action == CommandLine::Action::Version)
        std::cout << versionLine().toStdString() << '\n';
    else
        return false;
    return true;
}

int refused(const CommandLine& line)
{
    std::cerr << "orvelline: " << line.problem.toStdString() << "\nTry 'orvelline --help'.\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    // Before the application: printing the version needs no display.
    QStringList rawArguments;
    for (int i = 0; i < argc; ++i)
        rawArguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine early = parseCommandLine(rawArguments);
    if (answered(early))
        return 0;
    // Qt's own options have one dash; a long option we do not know is refused
    // here, where no display is needed to say so.
    if (early.action == CommandLine::Action::Error && early.problem.contains(QLatin1String("'--")))
        return refused(early);

    OrvApplication application(argc, argv);
    const CommandLine commandLine = parseCommandLine(QCoreApplication::arguments());
    if (answered(commandLine))
        return 0;
    if (commandLine.action == CommandLine::Action::Error)
        return refused(commandLine);
    // X11 window managers show the window icon; Wayland has none, and the
    // compositor takes the icon from the desktop entry of this name instead.
    QGuiApplication::setDesktopFileName(QStringLiteral(ORV_DESKTOP_ID));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/orvelline.png")));
    const platform::ProgramFolders folders =
        platform::ProgramFolders::ofThisProcess(QCoreApplication::applicationDirPath().toStdString());
    platform::OutputOptions outputs;
    outputs.soundFontFolders = folders.extraFolders();
    // The window outlives a sound server that starts late or restarts.
    outputs.waitForSoundServer = true;
    // The one orvelline.ini of this run: read here, its sound section first;
    // the window reads its own sections, says what was wrong and writes it back.
    platform::IniFile settings = platform::IniFile::load(platform::IniFile::pathIn(folders.settingsFolder()));
    platform::readSoundSettings(settings, outputs);
    platform::selectDefaultMidiBackends(outputs);
    // What goes wrong while starting (no audio output, a device that does not
    // open) is said once the main window stands, so the program is seen to
    // start whatever its output does.
    bool windowShown = false;
    const MessageBoxSink messageBoxes([&windowShown](const QString& text) {
        if (windowShown)
            showMessageBox(text);
        else
            QTimer::singleShot(0, [text] { showMessageBox(text); });
    });

    Session::Options sessionOptions;
    sessionOptions.pause = pauseKeepingTheWindowDrawn;
    Session session(sessionOptions);
    setProgramSession(&session);
    std::unique_ptr<TForm1> mainWindow;
    std::unique_ptr<MidiInput> midiInput;
    std::unique_ptr<TMidiDevice> deviceWindow;
    std::unique_ptr<TDebugWindow> debugWindow;
    const CloseSignals closeSignals([&mainWindow] {
        if (mainWindow)
            mainWindow->closeWithoutQuestions();
        else
            QCoreApplication::quit();
    });
    int exitCode = 1;
    try {
        mainWindow = std::make_unique<TForm1>(folders, session, settings);
        platform::MidiIn::Options inputOptions;
        inputOptions.sequencerDevice = outputs.sequencerDevice;
        midiInput = std::make_unique<MidiInput>(*mainWindow, inputOptions);
        // What it finds wrong in device.prf joins the main window's one start-up message.
        mainWindow->addStartProblems(heldMessages([&] {
            deviceWindow = std::make_unique<TMidiDevice>(
                session.gateway(), folders.settingsFolder(), nullptr,
                [](TMidiDevice& window) { QTimer::singleShot(0, &window, [&window] { window.exec(); }); });
        }));
        deviceWindow->setMidiInput(&midiInput->input(), settings);
        debugWindow = std::make_unique<TDebugWindow>();
        // Only the main window's close ends the program, even with the debug window open.
        deviceWindow->setAttribute(Qt::WA_QuitOnClose, false);
        debugWindow->setAttribute(Qt::WA_QuitOnClose, false);
        mainWindow->show();
        windowShown = true;
        if (!commandLine.midiFile.isEmpty()) {
            // Once the window is up, so that an error about the file has a window to stand in front of.
            TForm1* form = mainWindow.get();
            const QString file = commandLine.midiFile;
            QTimer::singleShot(0, form, [form, file] { runGuarded([&] { form->ReadMidiFile(file); }); });
        }
        exitCode = application.exec();
    } catch (...) {
        reportCurrentException();
    }

    debugWindow.reset();
    deviceWindow.reset();
    midiInput.reset();
    mainWindow.reset();
    setProgramSession(nullptr);
    return exitCode;
}
