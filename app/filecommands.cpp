// The commands that deal with Standard MIDI Files: reading one to play along
// with, playing it, and saving the recorded performance.
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
#include <QString>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>

#include "app/outputcheck.h"
#include "app/practicemenu.h"
#include "app/tform1.h"
#include "mididata/messagesink.h"
#include "mididata/song.h"
#include "mididata/track.h"
#include "midiout/midigateway.h"
#include "midiout/opensong.h"
#include "midiout/playsong.h"
#include "midiout/practicetrack.h"
#include "midispec/midispec.h"
#include "perform/ui/correctioncontrols.h"
#include "perform/vidize.h"

namespace {

// The gateway the performer is attached to: the one whose player the Stop
// action stops, so that no song is still playing a track that is rebuilt.
MidiGateway* outputGateway()
{
    return Performer().gateway();
}

// The module's time to reset: the window keeps drawing itself meanwhile,
// and what the user does waits until the pause is over.
void pauseKeepingTheWindowDrawn(std::uint32_t milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(std::chrono::milliseconds(milliseconds), &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

std::string localPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// The track the player plays the file from, made on first use and kept
// from song to song.
midiTrack& playTrackFor(std::unique_ptr<midiTrack>& track, midiSong& song)
{
    if (!track)
        track = std::make_unique<midiTrack>(&song, 0, std::string());
    track->song = &song;
    return *track;
}

}  // namespace

void TForm1::OpenMIDIExecute()
{
    const QString path = OpenDialog1 ? OpenDialog1() : QString();
    if (!path.isEmpty())
        ReadMidiFile(path);
    else
        showSongKey();
}

void TForm1::ReadMidiFile(const QString& path)
{
    StopExecute();
    // A file that cannot be read raises its error here and changes nothing:
    // the song read before stays as it was. The reader's message does not say
    // which file it is about; the window does.
    auto song = std::make_unique<midiSong>();
    try {
        song->load(localPath(path));
    } catch (const std::exception& error) {
        showSongKey();
        throw std::runtime_error(QFileInfo(path).fileName().toStdString() + ": " + error.what());
    }
    // The play track may hold the old song's reset messages, which go with that song.
    if (SongTrack) {
        SongTrack->Clear();
        SongTrack->song = song.get();
    }
    FileSong = std::move(song);
    if (Practice)
        Practice->songRead();

    SendSongReset();
    const int channel = freeChannel(*FileSong);
    if (channel >= 0) {
        Performer().SetChannel(channel);
        channnelText->setText(QString::number(channel + 1));
    } else {
        reportMessage("No empty channel.\n空きチャンネルがありません。Try another MIDI file.");
    }
    StatusBar1->showMessage(QFileInfo(path).fileName());
    fileWasRead(path);
    showSongKey();
}

// Also after a cancel: the grid goes back to the key of the file read last,
// without changing the Grid Key menu.
void TForm1::showSongKey()
{
    const keyEvent* key = FileSong ? FileSong->keyAt(1) : nullptr;
    const int sf = key != nullptr ? std::int8_t(key->dataByte(0)) : 0;
    const int mode = key != nullptr ? key->dataByte(1) : 0;
    SelectGridKey(sf, mode);
    Correction->takeKey(sf, mode);
    DrawGrid();
}

void TForm1::SendSongReset()
{
    MidiGateway* gateway = outputGateway();
    if (FileSong && gateway != nullptr)
        sendSongReset(*gateway, *FileSong, pauseKeepingTheWindowDrawn);
}

void TForm1::PlayMIDIExecute()
{
    if (FileSong && !outputReadyToPlay())
        return;
    StopExecute();
    MidiGateway* gateway = outputGateway();
    if (!FileSong || gateway == nullptr)
        return;
    midiTrack& track = playTrackFor(SongTrack, *FileSong);
    // With no practice choice made this plays the song as it is.
    playPractice(*gateway, *FileSong, track, Practice ? Practice->choices() : PracticeChoices{},
                 [this] { StatusBar1->showMessage(QStringLiteral("Skip sysEx")); });
    if (Practice)
        Practice->runStarted(track);
}

// A save that fails reports why through the message sink (see SaveRecording).
void TForm1::SaveMIDIExecute()
{
    const QString path = SaveDialog1 ? SaveDialog1() : QString();
    if (path.isEmpty())
        return;
    Performer().SaveRecording(localPath(path));
}
