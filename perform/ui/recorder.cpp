// The recorder's four actions: Rec.Start, Rec.End, Replay and Stop, and their
// enabled states.
#include <QAction>
#include <QString>

#include "app/outputcheck.h"
#include "app/practicemenu.h"
#include "app/tform1.h"
#include "perform/vidize.h"

void TForm1::ArecStartExecute()
{
    Performer().StartRecording();
    if (Practice)
        Practice->recordingStarted();
    ShowMarquee(QStringLiteral("Recording"));
}

void TForm1::ArecEndExecute()
{
    Performer().StopRecording();
    StopMarquee();
}

void TForm1::ArePlayExecute()
{
    if (!outputReadyToPlay())
        return;
    ShowMarquee(QStringLiteral("Replay"));
    Performer().Replay();
}

// Also what stops a song started with "Play MIDI": there is one player. The
// stop silences every channel and resets its controllers, the note the
// pointer may be playing included; the tone module then gets the panel's
// settings again.
void TForm1::StopExecute()
{
    TVidize& performer = Performer();
    performer.NoteOff();
    performer.StopReplay();
    performer.Resync();
    StopMarquee();
}

// A recording may start while a replay plays: the player sends without the
// performer, so the replayed events are not recorded.
void TForm1::UpdateActions()
{
    const TVidize& performer = Performer();
    const bool recording = performer.IsRecording();
    const bool playing = performer.IsReplaying();
    ArecStart->setEnabled(!recording);
    ArecEnd->setEnabled(recording);
    ArePlay->setEnabled(!playing && performer.HasRecording() && !recording);
    Stop->setEnabled(playing);
}
