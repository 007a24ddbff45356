// The recorder's four actions: Rec.Start, Rec.End, Replay and Stop, and their
// enabled states.
#include <QAction>
#include <QString>

#include "app/correctioncontrols.h"
#include "app/tform1.h"
#include "perform/session.h"
#include "perform/vidize.h"

// Rec.Start empties the recording: a take not saved yet is asked about first.
void TForm1::ArecStartExecute()
{
    if (!takeMayGo())
        return;
    session_.startRecording();
    ShowMarquee(QStringLiteral("Recording"));
}

void TForm1::ArecEndExecute()
{
    session_.stopRecording();
    StopMarquee();
}

void TForm1::ArePlayExecute()
{
    if (session_.replay())
        ShowMarquee(QStringLiteral("Replay"));
}

// Also what stops a song started with "Play MIDI": there is one player.
void TForm1::StopExecute()
{
    session_.stop();
    Correction->release();
    StopMarquee();
}

// A recording may start while a replay plays: the player sends without the
// performer, so the replayed events are not recorded.
void TForm1::UpdateActions()
{
    const TVidize& performer = session_.performer();
    const bool recording = performer.IsRecording();
    const bool playing = session_.isPlaying();
    ArecStart->setEnabled(!recording);
    ArecEnd->setEnabled(recording);
    ArePlay->setEnabled(!playing && performer.HasRecording() && !recording);
    Stop->setEnabled(playing);
}
