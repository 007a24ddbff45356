// The commands that deal with Standard MIDI Files: reading one to play along
// with, playing it, and saving the recorded performance. The session does the
// work; the window asks for the file and shows what came of it.
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QStatusBar>
#include <QString>
#include <QTimer>

#include <chrono>
#include <cstdint>

#include "app/filedialogs.h"
#include "app/practicemenu.h"
#include "app/recentfiles.h"
#include "app/tform1.h"
#include "midiout/opensong.h"
#include "perform/session.h"

namespace {

std::string localPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

}  // namespace

void pauseKeepingTheWindowDrawn(std::uint32_t milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(std::chrono::milliseconds(milliseconds), &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void TForm1::OpenMIDIExecute()
{
    if (!takeMayGo())
        return;
    const QString path = OpenDialog1 ? OpenDialog1() : QString();
    if (!path.isEmpty())
        ReadMidiFile(path);
    else
        showSongKey();
}

// A file that cannot be read raises its error, naming the file, and changes
// nothing: the song read before stays as it was.
void TForm1::ReadMidiFile(const QString& path)
{
    const SongOpened opened = session_.openSong(std::filesystem::path(localPath(path)));
    if (Practice)
        Practice->songRead();
    StatusBar1->showMessage(
        QString::fromStdString(opened.note.empty() ? opened.fileName : opened.fileName + " " + opened.note));
    setWindowTitle(QStringLiteral("O r v e l l i n e - %1").arg(QString::fromStdString(opened.fileName)));
    fileWasRead(path);
    showSessionState();
}

// Recent files lists the file; so does a file dropped or given at start. The
// next file dialog starts in its folder.
void TForm1::fileWasRead(const QString& path)
{
    if (recentFiles_ != nullptr)
        recentFiles_->add(path);
    rememberFolderOf(settings_, path);
}

// After a cancel: the grid goes back to the key of the file read last, and
// the Grid Key menu ticks it.
void TForm1::showSongKey()
{
    session_.restoreSongKey();
}

void TForm1::SendSongReset()
{
    if (const midiSong* song = session_.song())
        sendSongReset(session_.gateway(), *song, pauseKeepingTheWindowDrawn);
}

void TForm1::PlayMIDIExecute()
{
    session_.play([this] { StatusBar1->showMessage(QStringLiteral("Skip sysEx")); });
    if (Practice)
        Practice->runStarted();
}

// A save that fails reports why through the message sink (see SaveRecording).
void TForm1::SaveMIDIExecute()
{
    const QString path = SaveDialog1 ? SaveDialog1() : QString();
    if (path.isEmpty())
        return;
    session_.saveRecording(localPath(path));
}
