// "Export audio...": the take through the built-in synth into a WAV or FLAC
// file. The session renders (perform/session.h); the window asks for the
// file and shows the progress.
#include <QAction>
#include <QApplication>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QProgressDialog>

#include <cmath>

#include "app/filedialogs.h"
#include "app/handlerguard.h"
#include "app/tform1.h"
#include "mididata/messagesink.h"
#include "perform/session.h"

void TForm1::createExportAudio()
{
    ExportAudio = new QAction(QStringLiteral("Export audio..."), this);
    ExportAudio->setObjectName(QStringLiteral("ExportAudio"));
    ExportAudio->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    addAction(ExportAudio);
    ExportDialog1 = [this] {
        const QString name = takeName(session_.songName(), QDate::currentDate()) + QStringLiteral(".wav");
        return askForFile(this, settings(),
                          {QStringLiteral("Export take as audio"),
                           {QStringLiteral("WAV audio (*.wav)"), QStringLiteral("FLAC audio (*.flac)")},
                           {QStringLiteral("wav"), QStringLiteral("flac")},
                           name,
                           true});
    };
    connect(ExportAudio, &QAction::triggered, this, [this] { runGuarded([this] { ExportAudioExecute(); }); });
    // After the designed entries, which keep their places.
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(ExportAudio);
}

void TForm1::ExportAudioExecute()
{
    const QString path = ExportDialog1 ? ExportDialog1() : QString();
    if (path.isEmpty())
        return;
    QProgressDialog progress(QStringLiteral("Exporting audio to %1...").arg(QFileInfo(path).fileName()),
                             QStringLiteral("Cancel"), 0, 1000, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    const RenderResult result =
        session_.exportAudio(QFile::encodeName(path).toStdString(), RenderOptions(), [&progress](double done) {
            progress.setValue(int(std::lround(done * 1000)));
            QApplication::processEvents();
            return !progress.wasCanceled();
        });
    progress.reset();
    if (!result.written() && result.outcome != RenderResult::Outcome::Cancelled)
        reportMessage(result.error);
}
